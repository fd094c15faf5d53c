// Files on Windows, through the ANSI API so that paths are system code page texts.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/FileSystem.h"
#include "platform/win32/Handles.h"

namespace tembric::platform {
namespace {

std::string LastErrorText(DWORD err) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n && text ? std::string(text, n) : "system error " + std::to_string(err);
  if (text) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' ||
                             result.back() == '.'))
    result.pop_back();
  return result;
}

class Win32ExclusiveFile final : public ExclusiveFile {
 public:
  Win32ExclusiveFile(std::string path, HANDLE handle) : path_(std::move(path)), file_(handle) {}

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) throw FileError(path_, LastErrorText(GetLastError()));
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  void Append(std::span<const std::uint8_t> bytes) override {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) throw FileError(path_, LastErrorText(GetLastError()));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr))
        throw FileError(path_, LastErrorText(GetLastError()));
      if (written == 0) throw FileError(path_, "nothing was written");
      done += written;
    }
  }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) throw FileError(path_, LastErrorText(GetLastError()));
    std::size_t done = 0;
    while (done < into.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(into.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file_.get(), into.data() + done, chunk, &got, nullptr))
        throw FileError(path_, LastErrorText(GetLastError()));
      if (got == 0) break;
      done += got;
    }
    return done;
  }

 private:
  std::string path_;
  win32::FileHandle file_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::vector<std::uint8_t> ReadAll(const std::string& path) override {
    win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) throw FileError(path, LastErrorText(GetLastError()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throw FileError(path, LastErrorText(GetLastError()));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr))
        throw FileError(path, LastErrorText(GetLastError()));
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return bytes;
  }

  void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    win32::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw FileError(path, LastErrorText(GetLastError()));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr))
        throw FileError(path, LastErrorText(GetLastError()));
      done += written;
    }
    if (!FlushFileBuffers(file.get())) throw FileError(path, LastErrorText(GetLastError()));
    if (!CloseHandle(file.Detach())) throw FileError(path, LastErrorText(GetLastError()));
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      throw FileError(to, LastErrorText(GetLastError()));
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
      throw FileError(from, LastErrorText(GetLastError()));
  }

  void Remove(const std::string& path) override { DeleteFileA(path.c_str()); }

  std::unique_ptr<ExclusiveFile> OpenExclusive(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw FileError(path, LastErrorText(GetLastError()));
    return std::make_unique<Win32ExclusiveFile>(path, file);
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace tembric::platform
