#include "tree/FolderRows.h"

#include <cstdint>
#include <utility>

#include "store/Tables.h"
#include "tree/NodeData.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::tree {

void AppendRowsInFolder(store::DataTable& records, SelectionSync& sync, const std::string& path,
                        std::vector<store::DataTable::Bookmark>& rows) {
  const std::string inside = path + "\\";
  records.DisableControls();
  sync.PositionNearest(inside);
  while (!records.IsEmpty() && records.AsString("FullName").starts_with(inside)) {
    if (store::IsAtOrBelow(records.AsString("Category"), path)) rows.push_back(records.GetBookmark());
    records.Next();
    if (records.Eof()) break;
  }
  records.EnableControls();
}

void MoveRowsInFolder(store::DataTable& records, TreeModel& model, SelectionSync& sync, const std::string& oldPath,
                      const std::string& newPath) {
  std::vector<store::DataTable::Bookmark> rows;
  AppendRowsInFolder(records, sync, oldPath, rows);
  struct NodeChange {
    NodeHandle node;
    std::string subject, category, fullName;
  };
  std::vector<NodeChange> nodes;
  nodes.reserve(rows.size());
  records.EditRows(rows, [&](store::DataTable& row) {
    const std::string category = newPath + row.AsString("Category").substr(oldPath.size());
    std::string subject = row.AsString("Subject");
    std::string fullName = store::MakeFullName(category, subject);
    row.Set("Category", category);
    row.Set("FullName", fullName);
    const std::int64_t value = row.AsInteger("Node");
    const auto node = static_cast<NodeHandle>(value);
    if (value == node && model.IsValid(node))
      nodes.push_back({node, std::move(subject), ShortString(category), std::move(fullName)});
  });
  for (NodeChange& change : nodes) {
    TNodeData* data = model.Data(change.node);
    data->Subject = ShortString(change.subject);
    data->Category = std::move(change.category);
    data->FullName = ShortString(change.fullName);
    model.NotifyChanged(change.node);
  }
}

}  // namespace tembric::tree
