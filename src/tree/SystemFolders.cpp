#include "tree/SystemFolders.h"

#include <string>

#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

// Deletes `folder`'s row and every row below it. All of them begin with the
// folder's path, so in byte order they lie among the rows with that prefix,
// possibly mixed with look-alikes ("\*WinContext Other" sorts between
// "\*WinContext" and "\*WinContext\x"), which are stepped over.
void DeleteFolderRows(store::DataTable& records, std::string_view folder) {
  const store::Value key[] = {store::Value(folder)};
  records.FindNearest(key);
  while (!records.IsEmpty()) {
    const std::string fullName = records.AsString("FullName");
    if (!fullName.starts_with(folder)) break;
    if (store::IsAtOrBelow(fullName, folder)) {
      const bool wasLast = records.RecNo() == records.RecordCount();
      records.Delete();
      if (wasLast) break;
    } else {
      records.Next();
      if (records.Eof()) break;
    }
  }
}

// Appends the folder row `subject` at the top level with its node.
NodeHandle AppendFolder(TreeModel& tree, store::DataTable& records, const std::string& subject,
                        const std::string& caption) {
  TNodeData data;
  data.Subject = subject;
  data.Category = "";
  data.FullName = store::MakeFullName("", subject);
  data.Type = static_cast<std::int32_t>(store::RecordType::Folder);
  data.Caption = caption;
  records.Append();
  try {
    records.Set("Subject", data.Subject);
    records.Set("Category", data.Category);
    records.Set("Type", data.Type);
    records.Set("FullName", data.FullName);
    const NodeHandle node = tree.AddChild(kNoNode, std::move(data));
    records.Set("Node", node);
    records.Post();
    return node;
  } catch (...) {
    records.Cancel();
    throw;
  }
}

}  // namespace

SystemFolderNodes InitSystemFolders(TreeModel& tree, store::DataTable& records, const PluginScan& scan) {
  SystemFolderNodes nodes;
  records.SetAfterScroll({});
  records.CancelRange();
  records.SetIndexName(store::kRecordsIndex);
  records.First();

  DeleteFolderRows(records, store::kPluginsFolder);
  nodes.plugins = AppendFolder(tree, records, "*Plugins", "");
  if (scan) scan(nodes.plugins);

  records.SetIndexName(store::kRecordsIndex);
  DeleteFolderRows(records, store::kContextFolder);
  nodes.contextRoot = AppendFolder(tree, records, "*WinContext", "*WinContext");
  records.SetIndexName(store::kRecordsIndex);
  return nodes;
}

}  // namespace tembric::tree
