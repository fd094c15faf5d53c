#pragma once
// The blob data file data.tmd beside the executable: the bytes of image
// records (Type 2) and whole-clipboard records (Type 20), one extent per
// capture, appended one after the other with nothing in between. Nothing is
// ever overwritten, moved or freed.
//
// Every operation opens the file exclusively (it must exist), does its work
// and closes it again, failures included. Offsets are kept below 2^31: a
// record's FilePosition is a 32-bit signed start, sign-extended.

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>

#include "platform/Clipboard.h"
#include "store/DataTable.h"

namespace tembric::platform {
class FileSystem;
}

namespace tembric::store {

inline constexpr const char* kBlobFileName = "data.tmd";

// Where one record's bytes are: FilePosition and Size of its row.
struct BlobExtent {
  std::int64_t filePosition = 0;
  std::int64_t size = 0;
  bool operator==(const BlobExtent&) const = default;
};

// A failed blob file operation; what() is the text shown to the user:
// "Cannot open file "<path>". <reason>", "Stream read error", ...
class BlobFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kStreamReadError = "Stream read error";
inline constexpr const char* kStreamWriteError = "Stream write error";
// An append that would take the file to 2^31 bytes or more.
inline constexpr const char* kBlobFileFull = "The data file cannot grow beyond 2 GB";

// Appends to the open blob file, for a writer that streams its bytes.
class BlobWriter {
 public:
  virtual ~BlobWriter() = default;
  // The absolute offset the next byte lands at.
  virtual std::int64_t Position() const = 0;
  // Throws BlobFileError; bytes written before a failure stay in the file.
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
};

// The whole clipboard as SaveToFile captures it. The clipboard is opened
// before the blob file and closed before the row is updated; WriteSnapshot
// writes the snapshot straight into the file, its entry positions absolute
// (the writer's Position()).
class ClipboardCapture {
 public:
  virtual ~ClipboardCapture() = default;
  virtual void OpenClipboard() = 0;  // throws when the clipboard cannot be opened
  virtual void WriteSnapshot(BlobWriter& out) = 0;
  virtual void CloseClipboard() noexcept = 0;
};

// The system's clipboard as SaveToFile captures it: every format it offers,
// in the snapshot encoding, its header positions absolute in the blob file.
// Opening fails with ClipboardOpenError ("Cannot open clipboard") while
// another program holds it.
class SystemClipboardCapture final : public ClipboardCapture {
 public:
  SystemClipboardCapture(platform::Clipboard& clipboard, platform::WindowHandle owner)
      : clipboard_(clipboard), owner_(owner) {}
  void OpenClipboard() override;
  void WriteSnapshot(BlobWriter& out) override;
  void CloseClipboard() noexcept override;

 private:
  platform::Clipboard& clipboard_;
  platform::WindowHandle owner_;
};

class BlobFile {
 public:
  BlobFile(platform::FileSystem& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  // data.tmd in `folder` (the executable's folder).
  static BlobFile InFolder(platform::FileSystem& fs, const std::string& folder);

  const std::string& Path() const { return path_; }
  platform::FileSystem& Files() const { return fs_; }

 private:
  platform::FileSystem& fs_;
  std::string path_;
};

// At start: creates the file empty when it does not exist and leaves an
// existing one untouched. Returns true when it created it. Throws
// platform::FileError when it cannot be created.
bool CreateBlobFileIfMissing(const BlobFile& blob);

// Opens the file, appends `bytes` at its end and closes it; returns the new
// extent (size 0 for no bytes, at the end of the file).
BlobExtent AppendToBlobFile(const BlobFile& blob, std::span<const std::uint8_t> bytes);

// The bytes of `extent`. The start is taken as its 32-bit value, as written.
// Throws kStreamReadError when the extent runs past the end of the file.
Bytes ReadBlobExtent(const BlobFile& blob, const BlobExtent& extent);

// The extent the records table's current row points at.
BlobExtent CurrentExtent(const DataTable& records);

// Captures the whole clipboard into the file and points the records table's
// current row at it with Type 20 (put into edit mode when browsing; the
// caller posts). When writing fails part-way the row still points at the
// bytes written so far and the failure is rethrown; when the file cannot be
// opened the clipboard is closed, the row is left alone and the failure goes
// to the caller.
void SaveToFile(const BlobFile& blob, ClipboardCapture& clipboard, DataTable& records);

// Stores a picture, saved as a BMP file by `saveBitmap`, into the file and
// points the current row at it with Type 2. The file is opened before the
// picture is saved; the row is changed only when everything succeeded.
void SaveImageToFile(const BlobFile& blob, const std::function<Bytes()>& saveBitmap, DataTable& records);

}  // namespace tembric::store
