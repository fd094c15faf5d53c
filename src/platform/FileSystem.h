#pragma once
// Files as the store and the settings file need them: whole reads, and whole
// writes that replace a file in one step. Paths are texts in the system's
// ANSI code page on Windows and plain bytes elsewhere.

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tembric::platform {

// A file operation the system refused. what() names the file and the reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason), path_(path), reason_(reason) {}
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
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

  virtual bool Exists(const std::string& path) = 0;

  // The whole file. Throws FileError when it cannot be opened or read.
  virtual std::vector<std::uint8_t> ReadAll(const std::string& path) = 0;

  // Creates or truncates `path`, writes `bytes` and flushes them to the disk
  // before returning. Throws FileError.
  virtual void WriteAndFlush(const std::string& path, const std::vector<std::uint8_t>& bytes) = 0;

  // Puts `from` in the place of `to` in one step: a reader sees either the old
  // `to` or the new one, never a mixture, even across a crash. Throws FileError.
  virtual void Replace(const std::string& from, const std::string& to) = 0;

  // Renames `from` to `to`, which must not exist yet. Throws FileError.
  virtual void Rename(const std::string& from, const std::string& to) = 0;

  // Removes `path` if it exists; failures are ignored.
  virtual void Remove(const std::string& path) = 0;

  // Opens the existing file `path` for reading and writing without sharing.
  // Throws FileError when it does not exist, another handle holds it open or
  // the system refuses. File systems without exclusive opens refuse always.
  virtual std::unique_ptr<ExclusiveFile> OpenExclusive(const std::string& path) {
    throw FileError(path, "exclusive opens are not supported here");
  }
};

// Writes `bytes` to a temporary file beside `path`, flushes it, then replaces
// `path` with it. A crash at any moment leaves `path` either whole and old or
// whole and new. On failure the temporary file is removed and FileError
// propagates; `path` is untouched.
void WriteFileAtomically(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes);

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
