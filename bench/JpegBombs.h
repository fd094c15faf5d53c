#pragma once
// JPEG files that claim much and hold little, written from scratch: one
// quantisation table of ones, a DC table whose only code '0' means "no
// change" and an AC table whose only code '0' starts a run of 16,384 empty
// blocks, so that zero bytes are valid data for any size.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tembric::bench {

namespace jpeg_bomb_detail {

inline void Put16(std::vector<std::uint8_t>& out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value >> 8));
  out.push_back(static_cast<std::uint8_t>(value));
}

inline void Segment(std::vector<std::uint8_t>& out, std::uint8_t marker, const std::vector<std::uint8_t>& body) {
  out.push_back(0xFF);
  out.push_back(marker);
  Put16(out, body.size() + 2);
  out.insert(out.end(), body.begin(), body.end());
}

// Start of image, tables and the frame header of a three-component 4:4:4
// image; `frame` is 0xC0 (baseline) or 0xC2 (progressive).
inline std::vector<std::uint8_t> Head(std::uint8_t frame, unsigned width, unsigned height) {
  std::vector<std::uint8_t> out = {0xFF, 0xD8};
  std::vector<std::uint8_t> dqt(65, 1);
  dqt[0] = 0;
  Segment(out, 0xDB, dqt);
  const auto hi = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
  const auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v); };
  Segment(out, frame, {8, hi(height), lo(height), hi(width), lo(width), 3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
  for (const std::uint8_t table : {0x00, 0x10}) {  // DC 0, AC 0: one code of one bit
    std::vector<std::uint8_t> dht(17, 0);
    dht[0] = table;
    dht[1] = 1;
    dht.push_back(table == 0 ? 0x00 : (frame == 0xC2 ? 0xE0 : 0x00));  // AC: EOB14 run, or EOB
    Segment(out, 0xC4, dht);
  }
  return out;
}

}  // namespace jpeg_bomb_detail

// A progressive image of `width` by `height` with `scans` scans: a DC scan
// with its full bit per block, then AC scans of the first component, each a
// few hundred bytes of end-of-band runs that walk the whole image.
inline std::vector<std::uint8_t> ProgressiveJpegBomb(unsigned width, unsigned height, int scans) {
  using namespace jpeg_bomb_detail;
  std::vector<std::uint8_t> out = Head(0xC2, width, height);
  const std::size_t blocks = std::size_t{(width + 7) / 8} * ((height + 7) / 8);
  Segment(out, 0xDA, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 0, 0});
  out.insert(out.end(), 3 * blocks / 8 + 16, 0);
  for (int i = 1; i < scans; ++i) {
    Segment(out, 0xDA, {1, 1, 0x00, 1, 63, 0});
    out.insert(out.end(), blocks / 16384 * 15 / 8 + 16, 0);
  }
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

// A baseline image of `width` by `height` cut short after `dataBytes` bytes
// of its only scan.
inline std::vector<std::uint8_t> TruncatedJpegBomb(unsigned width, unsigned height, std::size_t dataBytes) {
  using namespace jpeg_bomb_detail;
  std::vector<std::uint8_t> out = Head(0xC0, width, height);
  Segment(out, 0xDA, {3, 1, 0x00, 2, 0x00, 3, 0x00, 0, 63, 0});
  out.insert(out.end(), dataBytes, 0);
  return out;
}

}  // namespace tembric::bench
