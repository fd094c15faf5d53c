#include "app/win32/Pictures.h"

#include <array>
#include <vector>

#include "platform/win32/Handles.h"

namespace tembric::app::win32 {
namespace {

constexpr int kSize = 16;
using PixelMap = std::array<const char*, kSize>;

// '.' is transparent; every other letter names a colour.
COLORREF Colour(char c) {
  switch (c) {
    case 'k':
      return RGB(60, 60, 60);  // outline
    case 'w':
      return RGB(255, 255, 255);
    case 'g':
      return RGB(200, 200, 200);
    case 'G':
      return RGB(128, 128, 128);
    case 'y':
      return RGB(255, 214, 90);  // folder
    case 'Y':
      return RGB(205, 150, 30);
    case 'b':
      return RGB(50, 100, 200);
    case 'B':
      return RGB(150, 190, 240);
    case 'n':
      return RGB(0, 0, 128);
    case 'r':
      return RGB(210, 40, 40);
    case 'R':
      return RGB(240, 150, 150);
    case 'e':
      return RGB(50, 150, 60);
    case 'E':
      return RGB(150, 215, 130);
    case 'o':
      return RGB(240, 140, 30);
    case 'p':
      return RGB(130, 80, 180);
    case 'P':
      return RGB(200, 170, 230);
    case 't':
      return RGB(0, 130, 140);
    default:
      return RGB(255, 0, 255);
  }
}

// clang-format off
const PixelMap kRecordPictures[12] = {
  // 0 text
  {"..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwGGGGwwkkkk..", "..kwwwwwwwwwwk..",
   "..kwGGGGGGGGwk..", "..kwwwwwwwwwwk..", "..kwGGGGGGGGwk..", "..kwwwwwwwwwwk..", "..kwGGGGGGGGwk..",
   "..kwwwwwwwwwwk..", "..kwGGGGGGwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kkkkkkkkkkkk..",
   "................"},
  // 1 clipboard snapshot
  {".....kkkkk......", "..kkkkgggkkkk...", ".kYYYkGGGkYYYk..", ".kYYkkkkkkkYYk..", ".kYkwwwwwwwkYk..",
   ".kYkwbbbbbwkYk..", ".kYkwwwwwwwkYk..", ".kYkwbbbbwwkYk..", ".kYkwwwwwwwkYk..", ".kYkwbbbbbwkYk..",
   ".kYkwwwwwwwkYk..", ".kYkwbbbwwwkYk..", ".kYkwwwwwwwkYk..", ".kYkkkkkkkkkYk..", ".kYYYYYYYYYYYk..",
   ".kkkkkkkkkkkkk.."},
  // 2 folder
  {"................", "................", ".kkkkk..........", "kyyyyyk.........", "kyyyyyykkkkkkkk.",
   "kyyyyyyyyyyyyyk.", "kykkkkkkkkkkkkkk", "kyk.yyyyyyyyyyYk", "kyky.yyyyyyyyyYk", "kykyyyyyyyyyyyYk",
   "kkyyyyyyyyyyyYk.", "kkyyyyyyyyyyyYk.", "kYyyyyyyyyyyyYk.", "kYYYYYYYYYYYYYk.", "kkkkkkkkkkkkkkk.",
   "................"},
  // 3 plugin item
  {"................", "......kkkk......", "......keek......", "......keek......", "...kkkkeekkkkk..",
   "...keeeeeeeeek..", "...keEEEEEEEek..", "kkkkeEEEEEEEek..", "keeeeEEEEEEEek..", "keeeeEEEEEEEek..",
   "kkkkeEEEEEEEek..", "...keEEEEEEEek..", "...keeeeeeeeek..", "...kkkkkkkkkkk..", "................",
   "................"},
  // 4 plugins folder
  {"................", "................", ".kkkkk..........", "kPPPPPk.........", "kPPPPPPkkkkkkkk.",
   "kPPPPPPPPPPPPPk.", "kPkkkkkkkkkkkkkk", "kPkPPPPPPPPPPPpk", "kPkPPPPkkPPPPPpk", "kPkPPPkeekPPPPpk",
   "kkPPPkeEEekPPpk.", "kkPPPkeEEekPPpk.", "kpPPPPkeekPPPpk.", "kpppppppppppppk.", "kkkkkkkkkkkkkkk.",
   "................"},
  // 5 (not used by the tree): a blank page
  {"..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwwwwwwwkkkk..", "..kwwwwwwwwwwk..",
   "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..",
   "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "..kkkkkkkkkkkk..",
   "................"},
  // 6 image
  {"................", "kkkkkkkkkkkkkkkk", "kBBBBBBBBBBBBBBk", "kBBBBBBBBBBoooBk", "kBBBBBBBBBBoooBk",
   "kBBBBBBBBBBBBBBk", "kBBBBBeBBBBBBBBk", "kBBBBeEeBBBBBBBk", "kBBBeEEEeBBBeBBk", "kBBeEEEEEeBeEeBk",
   "kBeEEEEEEEeEEEek", "keEEEEEEEEEEEEEk", "kEEEEEEEEEEEEEEk", "kkkkkkkkkkkkkkkk", "................",
   "................"},
  // 7 text file link
  {"..kkkkkkkkk.....", "..kwwwwwwwkk....", "..kwwwwwwwkwk...", "..kwGGGGwwkkkk..", "..kwwwwwwwwwwk..",
   "..kwGGGGGGGGwk..", "..kwwwwwwwwwwk..", "..kwGGGGGGGGwk..", "..kwwwwwwwwwwk..", "kkkkkkGGGGGGwk..",
   "kwwwwkwwwwwwwk..", "kwbbwkGGGGwwwk..", "kwwbwkwwwwwwwk..", "kwbwwkwwwwwwwk..", "kkkkkkkkkkkkkk..",
   "................"},
  // 8 image file link
  {"................", "kkkkkkkkkkkkkkkk", "kBBBBBBBBBBBBBBk", "kBBBBBBBBBBoooBk", "kBBBBBBBBBBoooBk",
   "kBBBBBBBBBBBBBBk", "kBBBBBeBBBBBBBBk", "kBBBBeEeBBBBBBBk", "kkkkkkEEeBBBeBBk", "kwwwwkEEEeBeEeBk",
   "kwbbwkEEEEeEEEek", "kwwbwkEEEEEEEEEk", "kwbwwkEEEEEEEEEk", "kkkkkkkkkkkkkkkk", "................",
   "................"},
  // 9 key mark
  {"................", "................", "................", "................", ".kkkk...........",
   "kyyyyk..........", "kyk.yykkkkkkkkk.", "ky...yyyyyyyyyyk", "kyk.yykkkkYkkYk.", "kyyyyk....k..k..",
   ".kkkk...........", "................", "................", "................", "................",
   "................"},
  // 10 (not used by the tree): a clock
  {"................", ".....kkkkkk.....", "...kkwwwwwwkk...", "..kwwwwkwwwwwk..", "..kwwwwkwwwwwk..",
   ".kwwwwwkwwwwwwk.", ".kwwwwwkwwwwwwk.", ".kwwwwwkkkkkwwk.", ".kwwwwwwwwwwwwk.", ".kwwwwwwwwwwwwk.",
   "..kwwwwwwwwwwk..", "..kwwwwwwwwwwk..", "...kkwwwwwwkk...", ".....kkkkkk.....", "................",
   "................"},
  // 11 context folder: a window
  {"................", "kkkkkkkkkkkkkkkk", "kbbbbbbbbbbwbwbk", "kbbbbbbbbbbbbbbk", "kkkkkkkkkkkkkkkk",
   "kwwwwwwwwwwwwwwk", "kwGGGGGGwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwGGGGGGGGGwwwwk", "kwwwwwwwwwwwwwwk",
   "kwGGGGGwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kwwwwwwwwwwwwwwk", "kkkkkkkkkkkkkkkk", "................",
   "................"},
};

const PixelMap kToolPictures[static_cast<int>(ToolPicture::Count)] = {
  // New: a page with a spark
  {"..kkkkkkk....o..", "..kwwwwwkk.o.o.o", "..kwwwwwkwk.ooo.", "..kwwwwwkkkooooo", "..kwwwwwwwk.ooo.",
   "..kwwwwwwwko.o.o", "..kwwwwwwwwk.o..", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...",
   "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kwwwwwwwwwk...", "..kkkkkkkkkkk...",
   "................"},
  // Add child: a parent line and a page with a plus
  {"kkkkkk..........", "kGGGGk..........", "kkkkkk..........", "..k.............", "..k.............",
   "..k..kkkkkkk....", "..k..kwwwwwkk...", "..k..kwwwwwkwk..", "..kkkkwweewwkk..", ".....kwweewwwk..",
   ".....keeeeeewk..", ".....keeeeeewk..", ".....kwweewwwk..", ".....kwweewwwk..", ".....kkkkkkkkk..",
   "................"},
  // Show table: a grid
  {"................", "kkkkkkkkkkkkkkkk", "kbbbbbbbbbbbbbbk", "kbbbbbbbbbbbbbbk", "kkkkkkkkkkkkkkkk",
   "kwwwwkwwwwwkwwwk", "kkkkkkkkkkkkkkkk", "kwwwwkwwwwwkwwwk", "kkkkkkkkkkkkkkkk", "kwwwwkwwwwwkwwwk",
   "kkkkkkkkkkkkkkkk", "kwwwwkwwwwwkwwwk", "kkkkkkkkkkkkkkkk", "................", "................",
   "................"},
  // Edit: a pencil
  {"................", "............kk..", "...........kRRk.", "..........kGkRRk", ".........kyykGk.",
   "........kyyykk..", ".......kyyyYk...", "......kyyyYk....", ".....kyyyYk.....", "....kyyyYk......",
   "...kyyyYk.......", "..kgyyYk........", "..kggYk.........", "..kkkk..........", "................",
   "................"},
  // Delete: a red cross
  {"................", "................", "..rr.......rr...", "..rrr.....rrr...", "...rrr...rrr....",
   "....rrr.rrr.....", ".....rrrrr......", "......rrr.......", ".....rrrrr......", "....rrr.rrr.....",
   "...rrr...rrr....", "..rrr.....rrr...", "..rr.......rr...", "................", "................",
   "................"},
  // Shut down: the power sign
  {"................", ".......rr.......", ".......rr.......", "...rr..rr..rr...", "..rr...rr...rr..",
   ".rr....rr....rr.", ".rr....rr....rr.", ".rr..........rr.", ".rr..........rr.", ".rr..........rr.",
   "..rr........rr..", "...rr......rr...", "....rrrrrrrr....", "................", "................",
   "................"},
};

const PixelMap kTrayPictures[2] = {
  {"................", ".kkkkkkkkkkkkkk.", "kbbbbbbbbbbbbbbk", "kbwwwwwwwwwwwwbk", "kbwwwwwwwwwwwwbk",
   "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk",
   "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk", "kbbbbbbwwbbbbbbk", "kbbbbbbbbbbbbbbk", ".kkkkkkkkkkkkkk.",
   "................"},
  {"................", ".kkkkkkkkkkkkkk.", "kooooooooooooook", "kowwwwwwwwwwwwok", "kowwwwwwwwwwwwok",
   "kooooooowwoooook", "kooooooowwoooook", "kooooooowwoooook", "kooooooowwoooook", "kooooooowwoooook",
   "kooooooowwoooook", "kooooooowwoooook", "kooooooowwoooook", "kowowowooooooook", ".kkkkkkkkkkkkkk.",
   "................"},
};
// clang-format on

// A 32-bit top-down DIB of the map, transparent pixels magenta.
platform::win32::BitmapHandle MapBitmap(const PixelMap& map, bool transparentAsBlack) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = kSize;
  info.bmiHeader.biHeight = -kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  platform::win32::BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return bitmap;
  auto* pixels = static_cast<DWORD*>(bits);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      const char c = map[y][x];
      COLORREF colour = c == '.' ? (transparentAsBlack ? RGB(0, 0, 0) : RGB(255, 0, 255)) : Colour(c);
      pixels[y * kSize + x] = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    }
  }
  return bitmap;
}

platform::win32::OwnedImageList ListOf(const PixelMap* maps, int count, bool leadingBlank) {
  platform::win32::OwnedImageList list(ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, count + 1, 0));
  if (!list) return list;
  static const PixelMap kBlank = {"................", "................", "................", "................",
                                  "................", "................", "................", "................",
                                  "................", "................", "................", "................",
                                  "................", "................", "................", "................"};
  if (leadingBlank) ImageList_AddMasked(list.get(), MapBitmap(kBlank, false).get(), RGB(255, 0, 255));
  for (int i = 0; i < count; ++i) ImageList_AddMasked(list.get(), MapBitmap(maps[i], false).get(), RGB(255, 0, 255));
  return list;
}

}  // namespace

platform::win32::OwnedImageList CreateRecordImages() { return ListOf(kRecordPictures, 12, false); }

platform::win32::OwnedImageList CreateRecordStateImages() { return ListOf(kRecordPictures, 12, true); }

platform::win32::OwnedImageList CreateToolbarImages() {
  return ListOf(kToolPictures, static_cast<int>(ToolPicture::Count), false);
}

platform::win32::OwnedIcon CreateTrayIcon(int index) {
  const PixelMap& map = kTrayPictures[index == 1 ? 1 : 0];
  platform::win32::BitmapHandle colour = MapBitmap(map, true);
  // The mask: 1 where transparent.
  std::array<WORD, kSize> maskRows{};
  for (int y = 0; y < kSize; ++y) {
    WORD row = 0;
    for (int x = 0; x < kSize; ++x)
      if (map[y][x] == '.') row |= static_cast<WORD>(0x8000 >> x);
    maskRows[y] = static_cast<WORD>((row >> 8) | (row << 8));  // bytes in display order
  }
  platform::win32::BitmapHandle mask(CreateBitmap(kSize, kSize, 1, 1, maskRows.data()));
  ICONINFO info{.fIcon = TRUE, .xHotspot = 0, .yHotspot = 0, .hbmMask = mask.get(), .hbmColor = colour.get()};
  return platform::win32::OwnedIcon(CreateIconIndirect(&info));
}

}  // namespace tembric::app::win32
