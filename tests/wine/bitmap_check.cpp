// Decoded images placed on the real clipboard: an 8-bit BMP with a four-colour
// table comes out as a CF_BITMAP of its size and a CF_PALETTE with its
// colours, and the system's CF_DIB beside it has the pixels in the right
// places; a 24-bit image brings no palette; a DIB whose rows are cut short
// is refused and the clipboard keeps what it held. Checks read the
// clipboard with user32 and gdi32 directly. Exit code 0 when every check passed.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "paste/ImageDecoding.h"
#include "platform/Clipboard.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A BMP file of `width` x `height` at `bits` (8 or 24), bottom-up. Palette
// entry i is (red 60 i, green 255 - 60 i, blue 10 i); pixel (x, y) from the
// top is entry (x + y) % 4, or that entry's colour for 24 bits.
std::vector<std::uint8_t> MakeBmp(int width, int height, int bits) {
  const std::size_t colours = bits == 8 ? 4 : 0;
  const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
  const std::size_t offset = 14 + 40 + 4 * colours;
  std::vector<std::uint8_t> b(offset + stride * static_cast<std::size_t>(height), 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(b, 46, static_cast<std::uint32_t>(colours));
  auto colour = [](int i) { return RGB(60 * i, 255 - 60 * i, 10 * i); };
  for (std::size_t i = 0; i < colours; ++i) {
    const COLORREF c = colour(static_cast<int>(i));
    b[54 + 4 * i] = GetBValue(c);
    b[55 + 4 * i] = GetGValue(c);
    b[56 + 4 * i] = GetRValue(c);
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.data() + offset + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const int index = (x + y) % 4;
      if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(index);
      } else {
        const COLORREF c = colour(index);
        row[3 * x] = GetBValue(c);
        row[3 * x + 1] = GetGValue(c);
        row[3 * x + 2] = GetRValue(c);
      }
    }
  }
  return b;
}

// Places `dib` through the code under test; true when SetBitmap accepted it.
bool Place(tembric::platform::Clipboard& clipboard, HWND owner, const std::vector<std::uint8_t>& dib) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const bool placed = clipboard.SetBitmap(dib);
  CloseClipboard();
  return placed;
}

// The colour of pixel (x, y) from the top of the clipboard's CF_DIB (8 or 24 bits).
COLORREF DibPixel(const BITMAPINFOHEADER* h, int x, int y) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(h) + h->biSize;
  const std::size_t colours = h->biBitCount <= 8 ? (h->biClrUsed ? h->biClrUsed : (1u << h->biBitCount)) : 0;
  const std::size_t masks = h->biCompression == BI_BITFIELDS ? 12 : 0;
  const std::uint8_t* bits = base + masks + 4 * colours;
  const std::size_t stride = ((static_cast<std::size_t>(h->biWidth) * h->biBitCount + 31) / 32) * 4;
  const int row = h->biHeight > 0 ? h->biHeight - 1 - y : y;
  const std::uint8_t* p = bits + stride * static_cast<std::size_t>(row);
  if (h->biBitCount == 8) {
    const std::uint8_t* q = base + masks + 4 * p[x];
    return RGB(q[2], q[1], q[0]);
  }
  const int step = h->biBitCount / 8;
  return RGB(p[step * x + 2], p[step * x + 1], p[step * x]);
}

}  // namespace

int main() {
  tembric::platform::Clipboard& clipboard = tembric::platform::RealClipboard();
  tembric::paste::FileImageDecoder decoder;
  HWND window = CreateWindowExA(0, "STATIC", "bitmap_check", 0, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  Check(window != nullptr, "owner window created");

  // 8 bits with a colour table.
  const auto eight = decoder.DecodeToDib(tembric::paste::ImageFormat::Bmp, MakeBmp(7, 5, 8));
  Check(Place(clipboard, window, eight), "8-bit image placed");
  if (OpenClipboard(window)) {
    Check(IsClipboardFormatAvailable(CF_BITMAP) != FALSE, "CF_BITMAP on offer");
    BITMAP info{};
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    Check(bitmap && GetObjectA(bitmap, sizeof info, &info) == sizeof info, "CF_BITMAP readable");
    Check(info.bmWidth == 7 && info.bmHeight == 5, "CF_BITMAP is 7 x 5");
    HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
    Check(palette != nullptr, "CF_PALETTE on offer");
    PALETTEENTRY entries[8] = {};
    const UINT count = palette ? GetPaletteEntries(palette, 0, 8, entries) : 0;
    Check(count == 4, "the palette has the four colours of the table");
    Check(count == 4 && entries[2].peRed == 120 && entries[2].peGreen == 135 && entries[2].peBlue == 20,
          "palette entry 2 is the table's colour");
    HANDLE dibHandle = GetClipboardData(CF_DIB);
    const auto* header = dibHandle ? static_cast<const BITMAPINFOHEADER*>(GlobalLock(dibHandle)) : nullptr;
    Check(header != nullptr, "CF_DIB synthesised beside the bitmap");
    if (header) {
      Check(header->biWidth == 7 && (header->biHeight == 5 || header->biHeight == -5), "CF_DIB is 7 x 5");
      Check(DibPixel(header, 0, 0) == RGB(0, 255, 0) && DibPixel(header, 3, 0) == RGB(180, 75, 30) &&
                DibPixel(header, 1, 4) == RGB(60, 195, 10),
            "CF_DIB pixels as in the file, top row first");
      GlobalUnlock(dibHandle);
    }
    CloseClipboard();
  }

  // 24 bits: no palette.
  const auto deep = decoder.DecodeToDib(tembric::paste::ImageFormat::Bmp, MakeBmp(37, 23, 24));
  Check(Place(clipboard, window, deep), "24-bit image placed");
  if (OpenClipboard(window)) {
    BITMAP info{};
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    Check(bitmap && GetObjectA(bitmap, sizeof info, &info) && info.bmWidth == 37 && info.bmHeight == 23,
          "CF_BITMAP is 37 x 23");
    Check(IsClipboardFormatAvailable(CF_PALETTE) == FALSE, "no CF_PALETTE for a 24-bit image");
    CloseClipboard();
  }

  // Rows cut short: refused, nothing placed.
  std::vector<std::uint8_t> cut = deep;
  cut.resize(cut.size() - 10);
  if (OpenClipboard(window)) {
    EmptyClipboard();
    static const char kKept[] = "kept";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof kKept);
    std::memcpy(GlobalLock(block), kKept, sizeof kKept);
    GlobalUnlock(block);
    if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    Check(!clipboard.SetBitmap(cut), "a DIB with rows cut short is refused");
    Check(!clipboard.SetBitmap(std::vector<std::uint8_t>(12, 0)), "a DIB shorter than its header is refused");
    CloseClipboard();
  }
  if (OpenClipboard(window)) {
    Check(IsClipboardFormatAvailable(CF_BITMAP) == FALSE, "no bitmap after the refusals");
    HANDLE text = GetClipboardData(CF_TEXT);
    const char* kept = text ? static_cast<const char*>(GlobalLock(text)) : nullptr;
    Check(kept && std::strcmp(kept, "kept") == 0, "the clipboard keeps its text");
    if (kept) GlobalUnlock(text);
    CloseClipboard();
  }

  DestroyWindow(window);
  std::printf("%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
