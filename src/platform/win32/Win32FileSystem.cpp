// Files on Windows, through the ANSI API so that paths are system code page texts.
#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/Handles.h"

namespace tembric::platform {
namespace {

std::string LastErrorText(DWORD err) {
  char* text = nullptr;
  const DWORD n =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, err, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n && text ? std::string(text, n) : "system error " + std::to_string(err);
  if (text) LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == ' ' || result.back() == '.'))
    result.pop_back();
  return result;
}

FileErrorKind KindOf(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FileErrorKind::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_NETWORK_BUSY:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_SEM_TIMEOUT:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_NOT_READY:
      return FileErrorKind::Transient;
    default:
      return FileErrorKind::Other;
  }
}

[[noreturn]] void Fail(const std::string& path, DWORD err) { throw FileError(path, LastErrorText(err), KindOf(err)); }

class Win32ExclusiveFile final : public ExclusiveFile {
 public:
  Win32ExclusiveFile(std::string path, HANDLE handle) : path_(std::move(path)), file_(handle) {}

  std::uint64_t Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) Fail(path_, GetLastError());
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  void Append(std::span<const std::uint8_t> bytes) override {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file_.get(), zero, nullptr, FILE_END)) Fail(path_, GetLastError());
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file_.get(), bytes.data() + done, chunk, &written, nullptr)) Fail(path_, GetLastError());
      if (written == 0) throw FileError(path_, "nothing was written");
      done += written;
    }
  }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) Fail(path_, GetLastError());
    std::size_t done = 0;
    while (done < into.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(into.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file_.get(), into.data() + done, chunk, &got, nullptr)) Fail(path_, GetLastError());
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
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD err = GetLastError();
    if (KindOf(err) == FileErrorKind::NotFound) return false;
    Fail(path, err);
  }

  std::optional<FileStamp> Stamp(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
      const DWORD err = GetLastError();
      if (KindOf(err) == FileErrorKind::NotFound) return std::nullopt;
      Fail(path, err);
    }
    FileStamp stamp;
    stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.modified = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                               data.ftLastWriteTime.dwLowDateTime);
    stamp.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return stamp;
  }

  bool CreateNew(const std::string& path) override {
    win32::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD err = GetLastError();
      if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return false;
      Fail(path, err);
    }
    if (!CloseHandle(file.Detach())) Fail(path, GetLastError());
    return true;
  }

  std::string FinalPath(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    win32::FileHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return path;
    char buffer[MAX_PATH * 4];
    const DWORD n = GetFinalPathNameByHandleA(file.get(), buffer, sizeof buffer, FILE_NAME_NORMALIZED);
    if (n == 0 || n >= sizeof buffer) return path;
    std::string final(buffer, n);
    // "\\?\C:\x" and "\\?\UNC\server\share\x" back to the plain forms.
    if (final.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + final.substr(8);
    if (final.rfind("\\\\?\\", 0) == 0) return final.substr(4);
    return final;
  }

  std::vector<std::uint8_t> ReadAll(const std::string& path) override {
    win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) Fail(path, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) Fail(path, GetLastError());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) Fail(path, GetLastError());
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return bytes;
  }

  void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    win32::FileHandle file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(path, GetLastError());
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) Fail(path, GetLastError());
      if (written == 0) throw FileError(path, "nothing was written");
      done += written;
    }
    if (!FlushFileBuffers(file.get())) Fail(path, GetLastError());
    if (!CloseHandle(file.Detach())) Fail(path, GetLastError());
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      Fail(to, GetLastError());
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) Fail(from, GetLastError());
  }

  void Remove(const std::string& path) override {
    if (DeleteFileA(path.c_str()) || GetLastError() != ERROR_ACCESS_DENIED) return;
    // A read-only file: clear the attribute and try once more.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
        !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)))
      DeleteFileA(path.c_str());
  }

  std::unique_ptr<ExclusiveFile> OpenExclusive(const std::string& path) override {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(path, GetLastError());
    return std::make_unique<Win32ExclusiveFile>(path, file);
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    // Any attribute: hidden and system entries are listed too.
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      if (err == ERROR_FILE_NOT_FOUND || err == ERROR_NO_MORE_FILES) return {};  // a drive's empty root
      Fail(folder, err);
    }
    struct SearchCloser {
      HANDLE search;
      ~SearchCloser() { FindClose(search); }
    } closer{search};
    std::vector<FolderEntry> entries;
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &found));
    const DWORD err = GetLastError();
    if (err != ERROR_NO_MORE_FILES) Fail(folder, err);
    return entries;
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace tembric::platform
