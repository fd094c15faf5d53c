// The record dialog's content: kind and source, the picture and its
// centring, Paste, Load from file, the linked file and the plugin's
// properties.

#include <algorithm>
#include <exception>
#include <optional>
#include <string_view>

#include "editing/RecordDialog.h"
#include "paste/Bmp.h"
#include "paste/Jpeg.h"
#include "paste/PasteAction.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "plugins/PluginCalls.h"
#include "store/DataTable.h"
#include "store/Tables.h"

namespace tembric::editing {

namespace {

// The name other programs put JPEG pictures on the clipboard under.
constexpr const char* kJpegClipboardFormat = "JFIF";

std::uint32_t U32At(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 4 > b.size()) throw paste::ImageError("DIB is cut short");
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// A text with its lines broken as a memo shows them: every line break
// (CR LF, CR or LF) becomes CR LF; a break at the very end ends the last line.
std::string MemoLines(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = static_cast<char>(bytes[i]);
    if (c != '\r' && c != '\n') {
      out += c;
      continue;
    }
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (i + 1 < bytes.size()) out += "\r\n";
  }
  return out;
}

}  // namespace

paste::DecodedImage DecodeClipboardDib(const std::vector<std::uint8_t>& dib) {
  // The DIB is a BMP file without its 14-byte file header: give it one and
  // read it with the checked BMP reader.
  constexpr std::size_t kFileHeader = 14;
  const std::uint32_t headerSize = U32At(dib, 0);
  std::size_t tableStart = headerSize;
  std::size_t entries = 0;
  std::size_t entrySize = 4;
  if (headerSize == 12) {
    if (dib.size() < 12) throw paste::ImageError("DIB is cut short");
    const unsigned bits = dib[10] | (dib[11] << 8);
    entries = bits <= 8 ? std::size_t{1} << bits : 0;
    entrySize = 3;
  } else {
    const unsigned bits = U32At(dib, 12) >> 16;
    const std::uint32_t compression = U32At(dib, 16);
    const std::uint32_t used = U32At(dib, 32);
    constexpr std::uint32_t kBitfields = 3;
    if (compression == kBitfields && headerSize == 40) tableStart += 12;
    entries = used != 0 ? used : bits <= 8 ? std::size_t{1} << bits : 0;
  }
  const std::size_t pixelOffset = kFileHeader + tableStart + entries * entrySize;
  std::vector<std::uint8_t> file(kFileHeader, 0);
  file[0] = 'B';
  file[1] = 'M';
  const std::size_t total = kFileHeader + dib.size();
  for (int i = 0; i < 4; ++i) {
    file[2 + i] = static_cast<std::uint8_t>(total >> (8 * i));
    file[10 + i] = static_cast<std::uint8_t>(pixelOffset >> (8 * i));
  }
  file.insert(file.end(), dib.begin(), dib.end());
  return paste::DecodeBmp(file);
}

// ---- Kind and source ----------------------------------------------------------

void RecordDialog::SetKind(ContentKind kind) {
  kind_ = kind;
  view_.SetContentKind(kind);
}

void RecordDialog::SetSource(ContentSource source) {
  source_ = source;
  view_.SetContentSource(source);
}

void RecordDialog::ContentKindChanged(ContentKind kind) {
  kind_ = kind;
  ApplyKind();
}

void RecordDialog::ContentSourceChanged(ContentSource source) {
  source_ = source;
  ApplySource();
}

void RecordDialog::ApplyKind() {
  SetSource(ContentSource::Database);
  ApplySource();
  view_.SetEnabled(DialogPart::SourceList, kind_ != ContentKind::RawClipboard);
  view_.SetVisible(DialogPart::Memo, kind_ == ContentKind::Text);
  view_.SetVisible(DialogPart::Picture, kind_ == ContentKind::Image);
  storedNoteVisible_ = kind_ == ContentKind::RawClipboard && RowHoldsStoredClipboard();
  view_.SetVisible(DialogPart::StoredContentNote, storedNoteVisible_);
  view_.SetVisible(DialogPart::ClipboardViewer, kind_ == ContentKind::RawClipboard && !storedNoteVisible_);
  view_.SetVisible(DialogPart::FilePanel, false);
  CentrePicture();
  if (view_.IsActive()) view_.SetFocus(kind_ == ContentKind::Text ? FocusTarget::Memo : FocusTarget::ContentArea);
}

void RecordDialog::ApplySource() {
  const bool file = source_ == ContentSource::ExternalFile;
  view_.SetVisible(DialogPart::FilePanel, file);
  if (file) view_.SetFocus(FocusTarget::FilePath);
  view_.SetEnabled(DialogPart::LoadFromFile, kind_ != ContentKind::RawClipboard && !file);
}

// ---- Picture ------------------------------------------------------------------------

void RecordDialog::Resized() { CentrePicture(); }

void RecordDialog::CentrePicture() {
  const Extent viewport = view_.PictureViewport();
  view_.SetPicturePosition(CentredOffset(viewport.width, picture_.width),
                           CentredOffset(viewport.height, picture_.height));
}

void RecordDialog::SetPicture(paste::DecodedImage image) {
  picture_ = std::move(image);
  view_.SetPicture(picture_);
}

// ---- Clipboard ----------------------------------------------------------------------

bool RecordDialog::ClipboardHoldsText() {
  namespace clip = platform::clip;
  return s_.clipboard.IsFormatAvailable(clip::kText) || s_.clipboard.IsFormatAvailable(clip::kUnicodeText) ||
         s_.clipboard.IsFormatAvailable(clip::kOemText);
}

bool RecordDialog::ClipboardHoldsPicture() {
  namespace clip = platform::clip;
  if (s_.clipboard.IsFormatAvailable(clip::kBitmap) || s_.clipboard.IsFormatAvailable(clip::kDib)) return true;
  const platform::ClipFormat jpeg = s_.clipboard.RegisterFormat(kJpegClipboardFormat);
  return jpeg != 0 && s_.clipboard.IsFormatAvailable(jpeg);
}

std::optional<std::string> RecordDialog::ClipboardText() {
  const platform::ClipboardOpen open(s_.clipboard, platform::kNoWindow);
  if (!open) return std::nullopt;
  const platform::ClipData data = s_.clipboard.GetData(platform::clip::kText);
  if (data.kind != platform::ClipData::Kind::Memory) return std::string();
  const auto end = std::find(data.bytes.begin(), data.bytes.end(), 0);
  return std::string(data.bytes.begin(), end);
}

std::optional<paste::DecodedImage> RecordDialog::ClipboardPicture() {
  const platform::ClipboardOpen open(s_.clipboard, platform::kNoWindow);
  if (!open) return std::nullopt;
  try {
    const platform::ClipData dib = s_.clipboard.GetData(platform::clip::kDib);
    if (dib.kind == platform::ClipData::Kind::Memory) return DecodeClipboardDib(dib.bytes);
    const platform::ClipFormat jpeg = s_.clipboard.RegisterFormat(kJpegClipboardFormat);
    const platform::ClipData jfif = jpeg != 0 ? s_.clipboard.GetData(jpeg) : platform::ClipData{};
    if (jfif.kind == platform::ClipData::Kind::Memory) return paste::DecodeJpeg(jfif.bytes);
  } catch (const paste::ImageError&) {
    // A picture that does not decode is not taken.
  }
  return std::nullopt;
}

void RecordDialog::Paste() {
  if (kind_ == ContentKind::RawClipboard) {
    // The stored snapshot gives way to the current clipboard, which Save stores.
    if (RowEditable()) s_.records.Set("Type", static_cast<std::int64_t>(store::RecordType::Creating));
    ApplyKind();
    return;
  }
  if (source_ == ContentSource::ExternalFile) {
    if (const std::optional<std::string> text = ClipboardText()) SetBound(TextBox::FilePath, *text);
    return;
  }
  if (kind_ == ContentKind::Text) {
    if (const std::optional<std::string> text = ClipboardText()) SetBound(TextBox::Memo, *text);
    return;
  }
  if (std::optional<paste::DecodedImage> picture = ClipboardPicture()) SetPicture(std::move(*picture));
  CentrePicture();
}

// ---- Files --------------------------------------------------------------------------

const char* RecordDialog::FilterForKind() const { return kind_ == ContentKind::Image ? kImageFilter : kTextFilter; }

void RecordDialog::BrowseFile() {
  if (const std::optional<std::string> path = view_.ChooseFile(FilterForKind())) SetBound(TextBox::FilePath, *path);
}

void RecordDialog::LoadFromFile() {
  if (kind_ == ContentKind::RawClipboard || source_ != ContentSource::Database) return;
  const std::optional<std::string> path = view_.ChooseFile(FilterForKind());
  if (!path) return;
  SetBound(TextBox::FilePath, *path);
  try {
    if (kind_ == ContentKind::Text) {
      SetBound(TextBox::Memo, MemoLines(s_.files.ReadAll(*path)));
      return;
    }
    // The extension, in any letter case, decides; other files load nothing.
    const std::optional<paste::ImageFormat> format = paste::ImageFormatOfName(*path);
    if (format == paste::ImageFormat::Jpeg)
      SetPicture(paste::DecodeJpeg(s_.files.ReadAll(*path)));
    else if (format == paste::ImageFormat::Bmp)
      SetPicture(paste::DecodeBmp(s_.files.ReadAll(*path)));
  } catch (const std::exception& e) {
    // The content stays as it was; the chosen path is already the row's.
    view_.ShowMessage(e.what());
  }
  CentrePicture();
}

// ---- Plugin ----------------------------------------------------------------------------

void RecordDialog::PluginProperties() {
  if (!inputs_.node.PluginHasProperties) return;
  try {
    // Loads, calls and unloads on every path, the pending messages handled first.
    plugins::SetPluginProperties(s_.libraries, inputs_.node.PluginLibrary, inputs_.node.PluginIndex);
  } catch (const plugins::PluginError& e) {
    view_.ShowMessage(e.what());
  }
}

}  // namespace tembric::editing
