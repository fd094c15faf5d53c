#include "tree/BuildTree.h"

#include <exception>
#include <string>
#include <unordered_map>

#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

// Not null and not empty.
bool Present(const store::Value& value) { return value.IsText() && !value.Text().empty(); }

}  // namespace

bool IsSystemPath(std::string_view fullName) {
  return store::IsAtOrBelow(fullName, store::kPluginsFolder) || store::IsAtOrBelow(fullName, store::kContextFolder);
}

void BuildTree(TreeModel& tree, store::DataTable& records, HotkeyRegistrar& hotkeys) {
  std::unordered_map<std::string, NodeHandle> folders;  // folded FullName → node
  std::string key;
  // Folded as the system's code page pairs capitals and small letters.
  const platform::Collation& letters = tree.Collation();
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
        letters.FoldCase(folder, key);
        const auto found = folders.find(key);
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
        letters.FoldCase(path, key);
        folders.emplace(key, node);  // the first folder of a path stays
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
