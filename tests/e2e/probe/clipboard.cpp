// The clipboard of the prefix, as any other program of the user sees it.
#include <cstdio>
#include <cstring>

#include "probe.h"

namespace probe {
namespace {

// Another program may hold the clipboard for a moment (Tembric while it
// places a record or puts the saved text back): try for a second.
bool OpenWithRetries(HWND owner) {
  const Deadline deadline(1.0);
  while (!OpenClipboard(owner)) {
    if (deadline.Passed()) {
      std::fprintf(stderr, "the clipboard stayed busy for 1 s (held by %s)\n", Hex(GetOpenClipboardWindow()).c_str());
      return false;
    }
    TinySleep();
  }
  return true;
}

// Closes the clipboard however the command ends.
struct Opened {
  ~Opened() { CloseClipboard(); }
};

std::string FormatName(UINT format) {
  static const struct {
    UINT format;
    const char* name;
  } kPredefined[] = {
      {CF_TEXT, "CF_TEXT"},
      {CF_BITMAP, "CF_BITMAP"},
      {CF_METAFILEPICT, "CF_METAFILEPICT"},
      {CF_SYLK, "CF_SYLK"},
      {CF_DIF, "CF_DIF"},
      {CF_TIFF, "CF_TIFF"},
      {CF_OEMTEXT, "CF_OEMTEXT"},
      {CF_DIB, "CF_DIB"},
      {CF_PALETTE, "CF_PALETTE"},
      {CF_PENDATA, "CF_PENDATA"},
      {CF_RIFF, "CF_RIFF"},
      {CF_WAVE, "CF_WAVE"},
      {CF_UNICODETEXT, "CF_UNICODETEXT"},
      {CF_ENHMETAFILE, "CF_ENHMETAFILE"},
      {CF_HDROP, "CF_HDROP"},
      {CF_LOCALE, "CF_LOCALE"},
      {CF_DIBV5, "CF_DIBV5"},
  };
  for (const auto& p : kPredefined)
    if (p.format == format) return p.name;
  char name[256];
  if (GetClipboardFormatNameA(format, name, sizeof name) > 0) return name;
  return "-";
}

}  // namespace

namespace {

// Places a copy of `bytes` under `format`; false when the system refused it.
bool Place(UINT format, const void* bytes, std::size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (memory == nullptr) return false;
  std::memcpy(GlobalLock(memory), bytes, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory) != nullptr) return true;
  std::fprintf(stderr, "SetClipboardData refused format %u (error %lu)\n", format, GetLastError());
  GlobalFree(memory);
  return false;
}

}  // namespace

// Empties the clipboard and places TEXT as CF_TEXT (the system adds the
// other text formats when asked for them), then each further NAME DATA pair
// as the registered format NAME holding DATA and its terminating zero. The
// data belongs to the system once placed, so it stays after the probe ends.
int ClipboardSetText(const Args& args) {
  if (args.empty() || args.size() % 2 != 1) return kUsage;
  // Owned by a window of this process: with no owner, EmptyClipboard leaves
  // the clipboard without one and SetClipboardData may be refused.
  HWND owner =
      CreateWindowExA(0, "STATIC", "tembric-probe clipboard", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (owner == nullptr || !OpenWithRetries(owner)) return kNo;
  bool placed = false;
  {
    const Opened opened;
    placed = EmptyClipboard() && Place(CF_TEXT, args[0].c_str(), args[0].size() + 1);
    for (std::size_t i = 1; placed && i + 1 < args.size(); i += 2) {
      const UINT format = RegisterClipboardFormatA(args[i].c_str());
      placed = format != 0 && Place(format, args[i + 1].c_str(), args[i + 1].size() + 1);
    }
  }
  DestroyWindow(owner);
  return placed ? kYes : kNo;
}

// Prints the CF_TEXT text escaped to one line; exit 1 when there is none.
int ClipboardText(const Args& args) {
  if (!args.empty()) return kUsage;
  if (!OpenWithRetries(nullptr)) return kNo;
  const Opened opened;
  if (!IsClipboardFormatAvailable(CF_TEXT)) {
    std::fprintf(stderr, "no text on the clipboard\n");
    return kNo;
  }
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* p = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (p == nullptr) {
    std::fprintf(stderr, "the clipboard's text cannot be read\n");
    return kNo;
  }
  std::string text;
  const SIZE_T size = GlobalSize(data);
  for (SIZE_T i = 0; i < size && p[i] != '\0'; ++i) text += p[i];
  GlobalUnlock(data);
  std::printf("%s\n", Escape(text).c_str());
  return kYes;
}

// One line per format on offer, in the clipboard's order: NUMBER NAME
// (NAME "-" for a private format). Exit 1 when the clipboard is empty.
int ClipboardFormats(const Args& args) {
  if (!args.empty()) return kUsage;
  if (!OpenWithRetries(nullptr)) return kNo;
  const Opened opened;
  int count = 0;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f), ++count)
    std::printf("%u %s\n", f, FormatName(f).c_str());
  return count > 0 ? kYes : kNo;
}

}  // namespace probe
