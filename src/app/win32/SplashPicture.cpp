#include "app/win32/SplashPicture.h"

#include <cstdint>

namespace tembric::app::win32 {
namespace {

using platform::win32::BitmapHandle;
using platform::win32::FontHandle;
using platform::win32::MemoryDc;
using platform::win32::SelectedObject;

constexpr std::uint8_t Mix(int from, int to, int step, int steps) {
  return static_cast<std::uint8_t>(from + (to - from) * step / steps);
}

void FillGradient(std::uint32_t* pixels, int width, int height) {
  // From a deep blue in the top-left corner to a light teal in the bottom-right one.
  constexpr int kFrom[3] = {0x12, 0x2b, 0x6b};
  constexpr int kTo[3] = {0x2f, 0x9c, 0xb8};
  const int steps = width + height - 2 > 0 ? width + height - 2 : 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int s = x + y;
      const std::uint32_t r = Mix(kFrom[0], kTo[0], s, steps);
      const std::uint32_t g = Mix(kFrom[1], kTo[1], s, steps);
      const std::uint32_t b = Mix(kFrom[2], kTo[2], s, steps);
      pixels[y * width + x] = (r << 16) | (g << 8) | b;
    }
  }
}

void DrawName(HDC dc, int width, int height) {
  FontHandle font(CreateFontA(-46, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial"));
  SelectedObject selected(dc, font ? font.get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  RECT shadow{2, 2, width + 2, height * 2 / 3 + 2};
  SetTextColor(dc, RGB(0x0a, 0x18, 0x3c));
  DrawTextA(dc, "Tembric", -1, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  RECT text{0, 0, width, height * 2 / 3};
  SetTextColor(dc, RGB(0xff, 0xff, 0xff));
  DrawTextA(dc, "Tembric", -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

BitmapHandle PaintSplashPicture(HDC reference, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  FillGradient(static_cast<std::uint32_t*>(bits), width, height);
  MemoryDc dc(reference);
  if (!dc) return bitmap;
  SelectedObject selected(dc.get(), bitmap.get());
  DrawName(dc.get(), width, height);
  GdiFlush();
  return bitmap;
}

}  // namespace tembric::app::win32
