#pragma once
// The fixed record every tree node carries.

#include <cstdint>
#include <string>
#include <string_view>

namespace tembric::tree {

// A node of the current run; 0 is "no node". Stored in the records table's
// Node field (a 32-bit integer), so handles are positive 32-bit values. A
// handle of a deleted node, or of an earlier run, is detected by
// TreeModel::IsValid and never followed.
using NodeHandle = std::int32_t;
inline constexpr NodeHandle kNoNode = 0;

// Short strings hold at most 255 characters; longer values are cut.
inline constexpr std::size_t kShortStringMax = 255;
inline std::string ShortString(std::string_view text) { return std::string(text.substr(0, kShortStringMax)); }

struct TNodeData {
  std::string Subject;  // for a context item: Subject and the folder part
  std::string Category;
  std::string FullName;  // the key by which the node finds its row
  std::string Caption;   // used only by the context folder
  std::int32_t Type = 0;
  std::string PluginLibrary;
  bool PluginHasProperties = false;
  std::int32_t PluginIndex = 0;
  bool HasKeystroke = false;
  std::int32_t HotkeySlot = 0;
  bool IsContextItem = false;
};

}  // namespace tembric::tree
