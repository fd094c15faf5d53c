#pragma once
// What the tree control draws for a node: its text, its two images and the
// row colours. The control asks for these while painting.

#include <cstdint>
#include <string>

#include "tree/NodeData.h"

namespace tembric::tree {

class TreeModel;

// The node's caption: Subject, and " (n)" with the number of direct children
// when it has any. The context folder shows its Caption and " (n)" always.
std::string TreeGetText(const TreeModel& tree, NodeHandle node);

// Indexes into the record image list (12 images of 16 by 16 pixels).
enum class ImageKind {
  State,   // the kind of record, left of the normal image
  Normal,  // the key mark, for both the plain and the selected state
};
inline constexpr int kNoImage = -1;
inline constexpr int kImageText = 0;
inline constexpr int kImageClipboard = 1;
inline constexpr int kImageFolder = 2;
inline constexpr int kImagePlugin = 3;
inline constexpr int kImagePluginsFolder = 4;
inline constexpr int kImageImage = 6;
inline constexpr int kImageTextFileLink = 7;
inline constexpr int kImageImageFileLink = 8;
inline constexpr int kImageKey = 9;
inline constexpr int kImageContextFolder = 11;
inline constexpr int kRecordImageCount = 12;

// kNoImage for a node without that image (and for an invalid node).
int TreeGetImageIndex(const TreeModel& tree, NodeHandle node, ImageKind kind);

// Row colours.
struct Rgb {
  std::uint8_t red, green, blue;
};
inline constexpr Rgb kSelectionBackground{216, 228, 248};   // selected rows, focused or not
inline constexpr Rgb kDropTargetBackground{192, 220, 192};  // framed in the system button-text colour
inline constexpr Rgb kNodeTextColour{0, 0, 0};              // selected or not
// An unfocused selection is framed in the system highlight colour.

}  // namespace tembric::tree
