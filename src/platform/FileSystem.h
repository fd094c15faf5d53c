#pragma once
// Files as the store and the settings file need them: whole reads, and whole
// writes that replace a file in one step. Paths are texts in the system's
// ANSI code page on Windows and plain bytes elsewhere.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tembric::platform {

// Why a file operation failed, as far as callers act on it.
enum class FileErrorKind {
  Other,      // refused for good: no rights, read-only, disk full, bad name ...
  NotFound,   // the file, or a folder on its way, does not exist
  Transient,  // another program holds the file for a moment (sharing or lock
              // violation) or the network dropped: worth a short retry
};

// A file operation the system refused. what() names the file and the reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& reason, FileErrorKind kind = FileErrorKind::Other)
      : std::runtime_error(path + ": " + reason), path_(path), reason_(reason), kind_(kind) {}
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }
  FileErrorKind Kind() const { return kind_; }

 private:
  std::string path_;
  std::string reason_;
  FileErrorKind kind_;
};

// How long a file is and when it was last written; equal stamps mean the file
// was not rewritten (as far as the file system can tell). A folder has a
// stamp too, marked as one.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // the system's own last-write time, in its own units
  bool folder = false;
  bool operator==(const FileStamp&) const = default;
};

// One entry of a folder listing.
struct FolderEntry {
  std::string name;  // the name alone, without the folder
  bool folder = false;
  bool operator==(const FolderEntry&) const = default;
};

// A file held open for reading and writing with no sharing: while it is
// open, no other handle of this or any other process may be open on it.
// Destroying it closes the file.
class ExclusiveFile {
 public:
  virtual ~ExclusiveFile() = default;
  // The current length in bytes. Throws FileError.
  virtual std::uint64_t Size() = 0;
  // Writes `bytes` at the end of the file. Throws FileError, possibly after
  // part of the bytes were written.
  virtual void Append(std::span<const std::uint8_t> bytes) = 0;
  // Reads into `into` from `offset`; returns how many bytes were read, fewer
  // than asked only at the end of the file. Throws FileError.
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when `path` exists, false when it or a folder on its way is not
  // found. Any other failure (no rights, a device not ready, a network error)
  // throws FileError: "cannot tell" must never be taken for "absent", or an
  // empty file would be created, and later saved, over a real one.
  virtual bool Exists(const std::string& path) = 0;

  // The stamp of `path`; nullopt when it does not exist (the file or a folder
  // on its way not found). Throws FileError on any other failure.
  virtual std::optional<FileStamp> Stamp(const std::string& path) = 0;

  // Creates `path` empty unless something of that name exists already: true
  // when it was created, false when it existed (and was left untouched).
  // Creation and the test are one step, so two processes creating the same
  // file cannot truncate each other's. Throws FileError.
  virtual bool CreateNew(const std::string& path) = 0;

  // The file that `path` finally names: the target of a symbolic link or
  // junction (followed to the end), else `path` itself. A library kept as a
  // link into a synced folder is saved beside the link's target, so that the
  // replace of a save does not turn the link into a plain file.
  virtual std::string FinalPath(const std::string& path) { return path; }

  // Waits before attempt `attempt` (1, 2, ...) of an operation that failed
  // with a transient error. Fakes do not wait.
  virtual void PauseBeforeRetry(int attempt);

  // The whole file. Throws FileError when it cannot be opened or read.
  virtual std::vector<std::uint8_t> ReadAll(const std::string& path) = 0;

  // Creates or truncates `path`, writes `bytes` and flushes them to the disk
  // before returning. Throws FileError, also when the system accepts none
  // of the bytes.
  virtual void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;

  // Puts `from` in the place of `to` in one step: a reader sees either the old
  // `to` or the new one, never a mixture, even across a crash. Throws FileError.
  virtual void Replace(const std::string& from, const std::string& to) = 0;

  // Renames `from` to `to`, which must not exist yet. Throws FileError.
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // Removes `path` if it exists, read-only or not; failures are ignored.
  virtual void Remove(const std::string& path) = 0;

  // Opens the existing file `path` for reading and writing without sharing.
  // Throws FileError when it does not exist, another handle holds it open
  // (FileErrorKind::Transient) or the system refuses. File systems without exclusive opens refuse always.
  virtual std::unique_ptr<ExclusiveFile> OpenExclusive(const std::string& path) {
    throw FileError(path, "exclusive opens are not supported here");
  }

  // The entries of `folder`, files and folders of any attribute, in the order
  // the file system returns them; never "." or "..". Throws FileError:
  // NotFound when the folder (or one on its way) does not exist, any other
  // kind when it cannot be listed, also part-way through.
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) {
    throw FileError(folder, "listing folders is not supported here");
  }
};

// Writes `bytes` to a temporary file beside `path` (TemporaryPathFor), flushes
// it, then replaces `path` with it. A crash at any moment leaves `path` either
// whole and old or whole and new. A temporary file left by an earlier run is
// removed first (read-only or not): the caller's bytes are newer.
// Failures throw SaveError:
// - the temporary file could not be written: it is removed, `path` untouched;
// - the replace still failed after retrying for about two seconds (another
//   program holds `path`, or it is read-only): the temporary file is KEPT,
//   whole and flushed, as the only copy of the new bytes; KeptCopy() names it.
void WriteFileAtomically(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes);

class SaveError : public FileError {
 public:
  SaveError(const FileError& cause, std::string keptCopy)
      : FileError(cause.Path(), cause.Reason(), cause.Kind()), keptCopy_(std::move(keptCopy)) {}
  // The whole new file left beside `path` when only the replace failed; "" otherwise.
  const std::string& KeptCopy() const { return keptCopy_; }

 private:
  std::string keptCopy_;
};

// Runs `op`, retrying it while it fails with a FileError that `retry` accepts,
// for about two seconds in all (pauses through fs.PauseBeforeRetry); the last
// failure propagates.
template <class Op, class Pred>
auto RetryFileOperation(FileSystem& fs, Op&& op, Pred&& retry) -> decltype(op()) {
  constexpr int kAttempts = 8;  // pauses of 50, 100, 200, then 400 ms: 2.35 s in all
  for (int attempt = 1;; ++attempt) {
    try {
      return op();
    } catch (const FileError& e) {
      if (attempt >= kAttempts || !retry(e)) throw;
    }
    fs.PauseBeforeRetry(attempt);
  }
}

inline bool IsTransient(const FileError& e) { return e.Kind() == FileErrorKind::Transient; }

// The temporary file name WriteFileAtomically uses for `path`.
std::string TemporaryPathFor(const std::string& path);

// The real file system of the running platform.
FileSystem& RealFileSystem();

}  // namespace tembric::platform

namespace tembric::platform {

// `folder` and `name` joined with the folder's own separator: the one it
// ends with or last contains, else the platform's ("\" on Windows).
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder part of a path ("" when it has none).
std::string FolderOf(const std::string& path);

}  // namespace tembric::platform
