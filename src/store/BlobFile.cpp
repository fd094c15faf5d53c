#include "store/BlobFile.h"

#include <exception>
#include <limits>
#include <memory>

#include "platform/FileSystem.h"
#include "store/ClipboardSnapshot.h"
#include "store/Tables.h"

namespace tembric::store {
namespace {

constexpr std::uint64_t kMaxFileSize = std::numeric_limits<std::int32_t>::max();

std::unique_ptr<platform::ExclusiveFile> Open(const BlobFile& blob) {
  try {
    return blob.Files().OpenExclusive(blob.Path());
  } catch (const platform::FileError& e) {
    throw BlobFileError("Cannot open file \"" + blob.Path() + "\". " + e.Reason());
  }
}

// The end of the file as the start of the next extent. Offsets are stored
// as 32-bit signed values, so a file that has grown past them (by another
// program) is full: cutting its length to 32 bits would point new rows at old
// bytes.
std::int64_t EndOf(platform::ExclusiveFile& file) {
  std::uint64_t size = 0;
  try {
    size = file.Size();
  } catch (const platform::FileError&) {
    throw BlobFileError(kStreamReadError);
  }
  if (size > kMaxFileSize) throw BlobFileError(kBlobFileFull);
  return static_cast<std::int64_t>(size);
}

class FileWriter final : public BlobWriter {
 public:
  FileWriter(platform::ExclusiveFile& file, std::int64_t start) : file_(file), position_(start) {}

  std::int64_t Position() const override { return position_; }

  void Write(std::span<const std::uint8_t> bytes) override {
    if (position_ < 0 || static_cast<std::uint64_t>(position_) + bytes.size() > kMaxFileSize)
      throw BlobFileError(kBlobFileFull);
    try {
      file_.Append(bytes);
    } catch (const platform::FileError&) {
      Resync();
      throw BlobFileError(kStreamWriteError);
    }
    position_ += static_cast<std::int64_t>(bytes.size());
  }

  // The true end after a failed write, which may have written part of its bytes.
  void Resync() {
    try {
      position_ = static_cast<std::int64_t>(file_.Size());
    } catch (const platform::FileError&) {
      // keep the last known end
    }
  }

 private:
  platform::ExclusiveFile& file_;
  std::int64_t position_;
};

void PointRowAt(DataTable& records, const BlobExtent& extent, RecordType type) {
  if (records.State() == TableState::Browse) records.Edit();
  records.Set("FilePosition", extent.filePosition);
  records.Set("Size", extent.size);
  records.Set("Type", static_cast<std::int16_t>(type));
}

}  // namespace

BlobFile BlobFile::InFolder(platform::FileSystem& fs, const std::string& folder) {
  return BlobFile(fs, platform::JoinPath(folder, kBlobFileName));
}

bool CreateBlobFileIfMissing(const BlobFile& blob) { return blob.Files().CreateNew(blob.Path()); }

BlobExtent AppendToBlobFile(const BlobFile& blob, std::span<const std::uint8_t> bytes) {
  const auto file = Open(blob);
  const std::int64_t start = EndOf(*file);
  FileWriter out(*file, start);
  out.Write(bytes);
  return {start, EndOf(*file) - start};
}

Bytes ReadBlobExtent(const BlobFile& blob, const BlobExtent& extent) {
  const auto file = Open(blob);
  const std::int64_t start = static_cast<std::int32_t>(static_cast<std::uint32_t>(extent.filePosition));
  if (start < 0 || extent.size < 0) throw BlobFileError(kStreamReadError);
  try {
    // Checked before allocating, so that a damaged row cannot ask for gigabytes.
    if (static_cast<std::uint64_t>(start) + static_cast<std::uint64_t>(extent.size) > file->Size())
      throw BlobFileError(kStreamReadError);
    Bytes bytes(static_cast<std::size_t>(extent.size));
    if (file->ReadAt(static_cast<std::uint64_t>(start), bytes) != bytes.size()) throw BlobFileError(kStreamReadError);
    return bytes;
  } catch (const platform::FileError&) {
    throw BlobFileError(kStreamReadError);
  }
}

BlobExtent CurrentExtent(const DataTable& records) {
  return {records.AsInteger("FilePosition"), records.AsInteger("Size")};
}

namespace {

// The snapshot encoder writing through the blob file's writer.
class BlobWriterSink final : public SnapshotSink {
 public:
  explicit BlobWriterSink(BlobWriter& out) : out_(out) {}
  std::uint64_t Position() const override { return static_cast<std::uint64_t>(out_.Position()); }
  void Write(std::span<const std::uint8_t> bytes) override { out_.Write(bytes); }

 private:
  BlobWriter& out_;
};

}  // namespace

void SystemClipboardCapture::OpenClipboard() {
  if (!clipboard_.Open(owner_)) throw ClipboardOpenError();
}

void SystemClipboardCapture::WriteSnapshot(BlobWriter& out) {
  BlobWriterSink sink(out);
  CaptureClipboard(clipboard_, sink);
}

void SystemClipboardCapture::CloseClipboard() noexcept { clipboard_.Close(); }

void SaveToFile(const BlobFile& blob, ClipboardCapture& clipboard, DataTable& records) {
  clipboard.OpenClipboard();
  std::unique_ptr<platform::ExclusiveFile> file;
  std::int64_t start = 0;
  try {
    file = Open(blob);
    start = EndOf(*file);
  } catch (...) {
    clipboard.CloseClipboard();
    throw;
  }
  FileWriter out(*file, start);
  std::exception_ptr failure;
  try {
    clipboard.WriteSnapshot(out);
  } catch (...) {
    failure = std::current_exception();
    out.Resync();
  }
  clipboard.CloseClipboard();
  PointRowAt(records, {start, out.Position() - start}, RecordType::ClipboardInBlob);
  file.reset();
  if (failure) std::rethrow_exception(failure);
}

void SaveImageToFile(const BlobFile& blob, const std::function<Bytes()>& saveBitmap, DataTable& records) {
  const auto file = Open(blob);
  const std::int64_t start = EndOf(*file);
  const Bytes bitmap = saveBitmap();
  FileWriter out(*file, start);
  out.Write(bitmap);
  const std::int64_t end = EndOf(*file);
  PointRowAt(records, {start, end - start}, RecordType::Image);
}

}  // namespace tembric::store
