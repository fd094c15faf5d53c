#include "tree/BuildTree.h"

#include <exception>
#include <string>
#include <unordered_map>

#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

// Letter case folded as the system's ANSI code page (Windows-1252) has it:
// ASCII, the Latin-1 letters and the few letters of the 0x80 row.
const std::string& FoldCase(std::string_view text, std::string& folded) {
  folded.assign(text);
  for (char& c : folded) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) {
      c = static_cast<char>(b + 0x20);
    } else if (b == 0x8A || b == 0x8C || b == 0x8E) {  // Š Œ Ž
      c = static_cast<char>(b + 0x10);
    } else if (b == 0x9F) {  // Ÿ
      c = static_cast<char>(0xFF);
    }
  }
  return folded;
}

// Not null and not empty.
bool Present(const store::Value& value) { return value.IsText() && !value.Text().empty(); }

}  // namespace

bool IsAtOrBelow(std::string_view fullName, std::string_view folder) {
  return fullName.starts_with(folder) && (fullName.size() == folder.size() || fullName[folder.size()] == '\\');
}

bool IsSystemPath(std::string_view fullName) {
  return IsAtOrBelow(fullName, store::kPluginsFolder) || IsAtOrBelow(fullName, store::kContextFolder);
}

void BuildTree(TreeModel& tree, store::DataTable& records, HotkeyRegistrar& hotkeys) {
  std::unordered_map<std::string, NodeHandle> folders;  // folded FullName → node
  std::string key;
  records.SetIndexName(store::kRecordsIndex);
  tree.Reserve(tree.NodeCount() + records.RecordCount());
  for (records.First(); !records.Eof(); records.Next()) {
    try {
      const store::Value fullName = records.Get("FullName");
      const std::string_view path = fullName.IsText() ? std::string_view(fullName.Text()) : std::string_view();
      if (IsSystemPath(path)) continue;
      const store::Value category = records.Get("Category");
      const std::string_view folder = category.IsText() ? std::string_view(category.Text()) : std::string_view();
      NodeHandle parent = kNoNode;
      if (!folder.empty()) {
        const auto found = folders.find(FoldCase(folder, key));
        if (found != folders.end()) parent = found->second;
      }

      const std::int64_t type = records.AsInteger("Type");
      TNodeData data;
      const store::Value subject = records.Get("Subject");
      if (subject.IsText()) data.Subject.assign(subject.Text(), 0, kShortStringMax);
      data.Category = ShortString(folder);
      data.FullName = ShortString(path);
      data.Type = static_cast<std::int32_t>(type);
      const NodeHandle node = tree.AddChild(parent, std::move(data));

      if (type == static_cast<std::int64_t>(store::RecordType::Folder) && !path.empty()) {
        folders.emplace(FoldCase(path, key), node);  // the first folder of a path stays
      }

      const store::Value shortcut = records.Get("ShortCut");
      const int slot = Present(shortcut) ? hotkeys.SetHotkeySlot("Fake", shortcut.Text(), 0, true) : 0;
      const bool keystroke = Present(records.Get("KeyString"));
      if (slot > 0 || keystroke) tree.SetMarks(node, slot, keystroke);

      if (!records.WriteIntegerInPlace("Node", node)) {
        records.Edit();
        records.Set("Node", node);
        records.Post();
      }
    } catch (const std::exception&) {
      // The row keeps what was done for it; the walk goes on.
      if (records.State() != store::TableState::Browse) records.Cancel();
    }
  }
}

}  // namespace tembric::tree
