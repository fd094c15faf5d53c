#pragma once
// Records tables and trees for the tree tests: rows added in one line, a
// node found by its path, and a tree written out as text.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::fakes {

// An open, empty records table.
inline void OpenEmptyRecords(store::DataTable& records) {
  records.CreateEmpty();
  records.SetIndexName(store::kRecordsIndex);
}

// Appends a row with Subject, Category, FullName (Category "\" Subject) and
// Type; `fields` sets or overrides any other field. Leaves it current.
inline void AddRecord(store::DataTable& records, std::string_view category, std::string_view subject,
                      store::RecordType type,
                      std::initializer_list<std::pair<std::string_view, store::Value>> fields = {}) {
  records.Append();
  records.Set("Subject", subject);
  records.Set("Category", category);
  records.Set("FullName", store::MakeFullName(category, subject));
  records.Set("Type", static_cast<std::int16_t>(type));
  for (const auto& [field, value] : fields) records.Set(field, value);
  records.Post();
}

inline void AddFolder(store::DataTable& records, std::string_view category, std::string_view subject) {
  AddRecord(records, category, subject, store::RecordType::Folder);
}

inline void AddText(store::DataTable& records, std::string_view category, std::string_view subject,
                    std::string_view memo = "") {
  AddRecord(records, category, subject, store::RecordType::Text, {{"Memo", store::Value(memo)}});
}

// The first node, depth first in sibling order, whose FullName is `fullName`
// and that is (or is not) a context item.
inline tree::NodeHandle FindNode(const tree::TreeModel& tree, std::string_view fullName, bool contextItem = false,
                                 tree::NodeHandle under = tree::kNoNode) {
  for (tree::NodeHandle child : tree.Children(under)) {
    const tree::TNodeData* data = tree.Data(child);
    if (data->FullName == fullName && data->IsContextItem == contextItem) return child;
    if (const tree::NodeHandle found = FindNode(tree, fullName, contextItem, child)) return found;
  }
  return tree::kNoNode;
}

// "Subject[child,child[grandchild]]" for every node below `under`, in sibling order.
inline std::string Outline(const tree::TreeModel& tree, tree::NodeHandle under = tree::kNoNode) {
  std::string text;
  for (tree::NodeHandle child : tree.Children(under)) {
    if (!text.empty()) text += ",";
    text += tree.Data(child)->Subject;
    if (tree.ChildCount(child) > 0) text += "[" + Outline(tree, child) + "]";
  }
  return text;
}

// The subjects of the direct children of `parent`, in order.
inline std::vector<std::string> ChildSubjects(const tree::TreeModel& tree, tree::NodeHandle parent = tree::kNoNode) {
  std::vector<std::string> subjects;
  for (tree::NodeHandle child : tree.Children(parent)) subjects.push_back(tree.Data(child)->Subject);
  return subjects;
}

}  // namespace tembric::fakes
