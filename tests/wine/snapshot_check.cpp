// Clipboard snapshots against the real clipboard: CF_UNICODETEXT and a
// registered "HTML Format" are captured, the clipboard emptied, and the
// snapshot restored. The snapshot's HTML entry is given a foreign number first,
// as if captured in another session: it must come back under the number the
// running system gives the name. Handles under a private and an application
// GDI-object number (a heap pointer and a pen) are left out of a capture, and
// a crafted snapshot naming those numbers places nothing under them. Checks
// read the clipboard with user32 directly. Exit code 0 when every check passed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Clipboard.h"
#include "store/ClipboardSnapshot.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// The bytes of `format` on the open clipboard, read without the code under test.
std::vector<unsigned char> RawData(UINT format) {
  std::vector<unsigned char> out;
  HANDLE h = GetClipboardData(format);
  if (!h) return out;
  const void* p = GlobalLock(h);
  if (!p) return out;
  out.assign(static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + GlobalSize(h));
  GlobalUnlock(h);
  return out;
}

bool StartsWith(const std::vector<unsigned char>& block, const void* data, std::size_t size) {
  return block.size() >= size && std::memcmp(block.data(), data, size) == 0;
}

std::vector<UINT> EntryFormats(const std::vector<std::uint8_t>& snapshot) {
  namespace store = tembric::store;
  std::vector<UINT> formats;
  for (std::size_t at = 0; at + store::kClipEntryHeaderSize <= snapshot.size();) {
    const store::ClipEntryHeader h = store::DecodeClipEntryHeader(
        std::span<const std::uint8_t>(snapshot).subspan(at).first<store::kClipEntryHeaderSize>());
    formats.push_back(h.format);
    at += store::kClipEntryHeaderSize + h.dataSize;
  }
  return formats;
}

bool Contains(const std::vector<UINT>& formats, UINT format) {
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// Handles that are not memory blocks, placed as another application would.
void CheckApplicationRanges(tembric::platform::Clipboard& clipboard, HWND window) {
  using tembric::platform::ClipboardOpen;
  namespace store = tembric::store;
  const auto owner = reinterpret_cast<tembric::platform::WindowHandle>(window);
  constexpr UINT kPrivate = CF_PRIVATEFIRST + 0x40, kGdiObject = CF_GDIOBJFIRST + 0x40, kNumbered = 0x0490;
  static const char kPlain[] = "plain";
  void* heapBlock = HeapAlloc(GetProcessHeap(), 0, 64);  // a private handle that is a readable pointer
  std::memset(heapBlock, 0x77, 64);
  {
    ClipboardOpen open(clipboard, owner);
    Check(open.IsOpen() && clipboard.Empty(), "clipboard emptied for the application ranges");
    Check(SetClipboardData(kPrivate, heapBlock) != nullptr, "a heap pointer placed under a private number");
    // Windows takes a pen there; Wine refuses the range.
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    const bool penPlaced = SetClipboardData(kGdiObject, pen) != nullptr;
    if (!penPlaced) DeleteObject(pen);
    std::printf("pen under an application GDI-object number %s\n", penPlaced ? "placed" : "refused by the system");
    Check(clipboard.SetData(CF_TEXT, {reinterpret_cast<const std::uint8_t*>(kPlain), sizeof kPlain}),
          "CF_TEXT placed beside them");
    Check(!clipboard.SetData(kPrivate, {reinterpret_cast<const std::uint8_t*>(kPlain), sizeof kPlain}) &&
              !clipboard.SetData(kGdiObject, {reinterpret_cast<const std::uint8_t*>(kPlain), sizeof kPlain}),
          "memory refused under the application ranges");
  }
  {
    ClipboardOpen open(clipboard, owner);
    std::vector<std::uint8_t> snapshot;
    store::VectorSink sink(snapshot);
    store::CaptureClipboard(clipboard, sink);
    const std::vector<UINT> formats = EntryFormats(snapshot);
    Check(Contains(formats, CF_TEXT), "CF_TEXT captured");
    Check(!Contains(formats, kPrivate) && !Contains(formats, kGdiObject), "the application ranges left out");
  }

  std::vector<std::uint8_t> crafted;
  for (const UINT format : {kPrivate, kGdiObject, kNumbered}) {
    store::ClipEntryHeader h;
    h.position = static_cast<std::int32_t>(crafted.size());
    h.dataSize = sizeof kPlain;
    h.format = format;
    std::uint8_t raw[store::kClipEntryHeaderSize];
    store::EncodeClipEntryHeader(h, raw);
    crafted.insert(crafted.end(), raw, raw + sizeof raw);
    crafted.insert(crafted.end(), kPlain, kPlain + sizeof kPlain);
  }
  try {
    store::RestoreClipboard(clipboard, crafted, owner);
  } catch (const std::exception& e) {
    std::printf("restore threw: %s\n", e.what());
  }
  Check(OpenClipboard(window) != FALSE, "clipboard opened for the range checks");
  Check(!IsClipboardFormatAvailable(kPrivate) && !IsClipboardFormatAvailable(kGdiObject),
        "nothing restored under the application ranges");
  Check(StartsWith(RawData(kNumbered), kPlain, sizeof kPlain), "a numbered memory format restored");
  CloseClipboard();
  HeapFree(GetProcessHeap(), 0, heapBlock);  // private handles stay their owner's to free
}

}  // namespace

int main() {
  using tembric::platform::ClipboardOpen;
  namespace store = tembric::store;
  tembric::platform::Clipboard& clipboard = tembric::platform::RealClipboard();

  HWND window = CreateWindowExA(0, "STATIC", "snapshot_check", 0, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  Check(window != nullptr, "owner window created");
  const auto owner = reinterpret_cast<tembric::platform::WindowHandle>(window);

  static const wchar_t kText[] = L"Snapshot \u00e4\u00f6\u00fc text";
  static const char kHtml[] = "Version:0.9\r\nStartHTML:0\r\n<html><body>snapshot</body></html>";
  const UINT html = clipboard.RegisterFormat("HTML Format");
  const UINT decoy = clipboard.RegisterFormat("Tembric Snapshot Decoy");
  bool emptyPlaced = false;
  Check(html >= 0xC000 && decoy >= 0xC000 && html != decoy, "formats registered");

  {
    ClipboardOpen open(clipboard, owner);
    Check(open.IsOpen(), "clipboard opened for writing");
    Check(clipboard.Empty(), "emptied");
    Check(clipboard.SetData(CF_UNICODETEXT, {reinterpret_cast<const std::uint8_t*>(kText), sizeof kText}),
          "CF_UNICODETEXT placed");
    Check(clipboard.SetData(html, {reinterpret_cast<const std::uint8_t*>(kHtml), sizeof kHtml}), "HTML placed");
    Check(!clipboard.SetData(CF_BITMAP, {reinterpret_cast<const std::uint8_t*>(kHtml), 4}),
          "memory refused as a bitmap");
    // Windows takes a zero-byte (discarded) block; Wine may refuse it. Either
    // way it must not end up in a snapshot as data.
    emptyPlaced = clipboard.SetData(0x0480, {});
    std::printf("empty block %s\n", emptyPlaced ? "placed" : "refused by the system");
  }

  std::vector<std::uint8_t> snapshot;
  {
    ClipboardOpen open(clipboard, owner);
    Check(open.IsOpen(), "clipboard opened for capture");
    std::printf("formats on offer:");
    for (auto f : clipboard.EnumFormats()) std::printf(" 0x%X", f);
    std::printf("\n");
    Check(clipboard.FormatName(html) == std::optional<std::string>("HTML Format"), "FormatName of HTML Format");
    Check(!clipboard.FormatName(CF_UNICODETEXT), "no name for CF_UNICODETEXT");
    store::VectorSink sink(snapshot);
    const std::size_t entries = store::CaptureClipboard(clipboard, sink);
    std::printf("captured %zu entries, %zu bytes\n", entries, snapshot.size());
    Check(entries >= 2, "at least two entries captured");
    if (emptyPlaced)
      Check(clipboard.GetData(0x0480).kind == tembric::platform::ClipData::Kind::Object,
            "an empty block cannot be locked");
  }

  // Give the HTML entry the decoy's number, as a capture in another session could have.
  bool retagged = false;
  for (std::size_t at = 0; at + store::kClipEntryHeaderSize <= snapshot.size();) {
    store::ClipEntryHeader h = store::DecodeClipEntryHeader(
        std::span<const std::uint8_t>(snapshot).subspan(at).first<store::kClipEntryHeaderSize>());
    if (h.format == html) {
      Check(h.nameLength == 12 && std::strcmp(reinterpret_cast<const char*>(h.name), "HTML Format") == 0,
            "HTML entry carries its name");
      h.format = decoy;
      std::uint8_t raw[store::kClipEntryHeaderSize];
      store::EncodeClipEntryHeader(h, raw);
      std::memcpy(snapshot.data() + at, raw, sizeof raw);
      retagged = true;
    }
    at += store::kClipEntryHeaderSize + h.dataSize;
  }
  Check(retagged, "HTML entry found in the snapshot");

  {
    ClipboardOpen open(clipboard, owner);
    Check(open.IsOpen() && clipboard.Empty(), "clipboard emptied between capture and restore");
  }
  Check(!IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(html), "nothing left after empty");

  try {
    store::RestoreClipboard(clipboard, snapshot, owner);
    Check(true, "restore ran");
  } catch (const std::exception& e) {
    std::printf("restore threw: %s\n", e.what());
    Check(false, "restore ran");
  }

  Check(OpenClipboard(window) != FALSE, "clipboard opened for the checks");
  Check(StartsWith(RawData(CF_UNICODETEXT), kText, sizeof kText), "CF_UNICODETEXT came back");
  Check(StartsWith(RawData(html), kHtml, sizeof kHtml), "HTML came back under the session's number");
  Check(!IsClipboardFormatAvailable(decoy), "nothing under the captured number");
  CloseClipboard();

  // Restore is closed on every path: a header cut short throws and leaves the clipboard free.
  std::vector<std::uint8_t> cut(snapshot.begin(), snapshot.begin() + 100);
  bool threw = false;
  try {
    store::RestoreClipboard(clipboard, cut, owner);
  } catch (const store::SnapshotReadError&) {
    threw = true;
  }
  Check(threw, "header cut short throws");
  Check(OpenClipboard(window) != FALSE, "clipboard free after a failed restore");
  CloseClipboard();

  CheckApplicationRanges(clipboard, window);

  DestroyWindow(window);
  std::printf("%s\n", failures ? "FAILED" : "PASSED");
  return failures ? 1 : 0;
}
