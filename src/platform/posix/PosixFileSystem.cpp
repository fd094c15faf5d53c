// Files on POSIX systems (the native build of the tools and tests).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tembric::platform {
namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

FileErrorKind KindOf(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return FileErrorKind::NotFound;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
    case ETIMEDOUT:
    case ESTALE:
      return FileErrorKind::Transient;
    default:
      return FileErrorKind::Other;
  }
}

[[noreturn]] void Fail(const std::string& path, int err) { throw FileError(path, ErrnoText(err), KindOf(err)); }

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now so that the caller sees the error of the close.
  int Close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

// Exclusive through an advisory lock on the open file: every exclusive open,
// in this process or another, takes it, so a second one is refused while the
// first is held. Plain opens elsewhere are not kept out, as POSIX has no
// sharing modes.
class PosixExclusiveFile final : public ExclusiveFile {
 public:
  PosixExclusiveFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  std::uint64_t Size() override {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) Fail(path_, errno);
    return static_cast<std::uint64_t>(st.st_size);
  }

  void Append(std::span<const std::uint8_t> bytes) override {
    if (::lseek(fd_.get(), 0, SEEK_END) < 0) Fail(path_, errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(path_, errno);
      }
      done += static_cast<std::size_t>(n);
    }
  }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    std::size_t done = 0;
    while (done < into.size()) {
      const ssize_t n = ::pread(fd_.get(), into.data() + done, into.size() - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(path_, errno);
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return done;
  }

 private:
  std::string path_;
  Fd fd_;
};

class PosixFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) override { return Stamp(path).has_value(); }

  std::optional<FileStamp> Stamp(const std::string& path) override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if (KindOf(errno) == FileErrorKind::NotFound) return std::nullopt;
      Fail(path, errno);
    }
    return FileStamp{static_cast<std::uint64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
                     S_ISDIR(st.st_mode)};
  }

  bool CreateNew(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
      if (errno == EEXIST) return false;
      Fail(path, errno);
    }
    if (fd.Close() != 0) Fail(path, errno);
    SyncFolder(path);
    return true;
  }

  std::string FinalPath(const std::string& path) override {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string final(resolved);
    std::free(resolved);
    return final;
  }

  std::vector<std::uint8_t> ReadAll(const std::string& path) override {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) Fail(path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) Fail(path, errno);
    if (!S_ISREG(st.st_mode)) throw FileError(path, "not a regular file");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(path, errno);
      }
      if (n == 0) break;  // the file shrank meanwhile
      done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
  }

  void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) override {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (fd.get() < 0) Fail(path, errno);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(path, errno);
      }
      if (n == 0) throw FileError(path, "nothing was written");
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) Fail(path, errno);
    if (fd.Close() != 0) Fail(path, errno);
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (::rename(from.c_str(), to.c_str()) != 0) Fail(to, errno);
    SyncFolder(to);
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (Exists(to)) throw FileError(to, "already exists");
    if (::rename(from.c_str(), to.c_str()) != 0) Fail(from, errno);
    SyncFolder(to);
  }

  void Remove(const std::string& path) override { ::unlink(path.c_str()); }

  std::unique_ptr<ExclusiveFile> OpenExclusive(const std::string& path) override {
    const int raw = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (raw < 0) Fail(path, errno);
    auto file = std::make_unique<PosixExclusiveFile>(path, raw);
    if (::flock(raw, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK)
        throw FileError(path, "The process cannot access the file because it is being used by another process",
                        FileErrorKind::Transient);
      Fail(path, errno);
    }
    return file;
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) Fail(folder, errno);
    struct DirCloser {
      DIR* dir;
      ~DirCloser() { ::closedir(dir); }
    } closer{dir};
    std::vector<FolderEntry> entries;
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (!entry) break;
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      bool isFolder = entry->d_type == DT_DIR;
      if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
        struct stat st {};
        isFolder = ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      }
      entries.push_back({name, isFolder});
    }
    if (errno != 0) Fail(folder, errno);
    return entries;
  }

 private:
  // Makes the rename itself durable.
  static void SyncFolder(const std::string& path) {
    Fd dir(::open(ParentFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
  }
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace tembric::platform
