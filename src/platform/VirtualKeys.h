#pragma once
// The virtual-key codes the program names, with the values Windows gives
// them: the keys the paste sends and waits for, the keys the filter box and
// the command keys react to. The Windows build checks each against the
// system's own VK_ value.

#include <cstdint>

namespace tembric::platform {

using VirtualKey = std::uint8_t;

namespace vk {
inline constexpr VirtualKey kBack = 0x08;
inline constexpr VirtualKey kReturn = 0x0D;
inline constexpr VirtualKey kShift = 0x10;
inline constexpr VirtualKey kControl = 0x11;
inline constexpr VirtualKey kMenu = 0x12;  // Alt
inline constexpr VirtualKey kEscape = 0x1B;
inline constexpr VirtualKey kPageUp = 0x21;  // first of the tree's own navigation keys
inline constexpr VirtualKey kEnd = 0x23;
inline constexpr VirtualKey kHome = 0x24;
inline constexpr VirtualKey kLeft = 0x25;
inline constexpr VirtualKey kUp = 0x26;
inline constexpr VirtualKey kRight = 0x27;
inline constexpr VirtualKey kDown = 0x28;  // last of the tree's own navigation keys
inline constexpr VirtualKey kInsert = 0x2D;
inline constexpr VirtualKey kDelete = 0x2E;
inline constexpr VirtualKey kA = 0x41;  // letters are their upper-case character codes
inline constexpr VirtualKey kE = 0x45;
inline constexpr VirtualKey kV = 0x56;
inline constexpr VirtualKey kZ = 0x5A;
inline constexpr VirtualKey kMultiply = 0x6A;  // the numeric keypad's *
inline constexpr VirtualKey kF1 = 0x70;
}  // namespace vk

}  // namespace tembric::platform
