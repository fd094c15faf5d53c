#include "tree/TreeEditing.h"

#include <utility>
#include <vector>

#include "platform/Collation.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/CollapseTree.h"
#include "tree/FolderRows.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

bool InPluginsFolder(const std::string& fullName) { return store::IsAtOrBelow(fullName, store::kPluginsFolder); }

// The context folder itself, one of its items, or anything below it.
bool InContextFolder(const TNodeData& data) {
  return data.IsContextItem || store::IsAtOrBelow(data.FullName, store::kContextFolder);
}

// Leaves quiet mode however the command ends.
class QuietMode {
 public:
  explicit QuietMode(SelectionSync& sync) : sync_(sync) { sync_.DisableDBControls(); }
  ~QuietMode() { sync_.EnableDBControls(); }
  QuietMode(const QuietMode&) = delete;
  QuietMode& operator=(const QuietMode&) = delete;
  void ReturnTo(std::string fullName) { sync_.SetReturnPath(std::move(fullName)); }

 private:
  SelectionSync& sync_;
};

}  // namespace

std::string DeleteConfirmationText(const std::string& subject) {
  return "Are you shure you want to remove '" + subject + "'?";
}

TreeEditing::TreeEditing(TreeEditingDeps deps) : deps_(std::move(deps)) {}

// ---- Delete ----------------------------------------------------------------------------

std::optional<bool> TreeEditing::aDeleteUpdate() const {
  const TNodeData* data = deps_.model.Data(deps_.model.Focused());
  if (data == nullptr) return std::nullopt;
  if (InPluginsFolder(data->FullName)) return false;
  if (data->FullName == store::kContextFolder || data->IsContextItem) return false;
  return true;
}

bool TreeEditing::OnRowOf(const TNodeData& data) {
  store::DataTable& records = deps_.records;
  if (records.State() == store::TableState::Inactive) return false;
  if (!records.IsEmpty() && records.AsString("FullName") == data.FullName) return true;
  if (deps_.sync.PositionOnKey(data.FullName)) return true;
  records.CancelRange();
  return deps_.sync.PositionOnKey(data.FullName);
}

void TreeEditing::DeleteContextItemsOf(const std::string& path) {
  TreeModel& model = deps_.model;
  for (const NodeHandle top : model.Children(kNoNode)) {
    const TNodeData* folder = model.Data(top);
    if (folder->FullName != store::kContextFolder || folder->IsContextItem) continue;
    std::vector<NodeHandle> gone;
    for (const NodeHandle item : model.Children(top)) {
      const TNodeData* data = model.Data(item);
      if (data->IsContextItem && store::IsAtOrBelow(data->FullName, path)) gone.push_back(item);
    }
    for (const NodeHandle item : gone) model.Delete(item);
  }
}

void TreeEditing::aDeleteExecute() {
  TreeModel& model = deps_.model;
  SelectionSync& sync = deps_.sync;
  store::DataTable& records = deps_.records;
  const NodeHandle node = model.Focused();
  if (model.Data(node) == nullptr || aDeleteUpdate() != true) return;
  const TNodeData data = *model.Data(node);
  if (!deps_.confirm(DeleteConfirmationText(data.Subject))) return;
  // The box runs a message loop: act only on the node that was asked about.
  if (model.Focused() != node || !OnRowOf(data)) return;

  if (data.Type == static_cast<std::int32_t>(store::RecordType::Text)) {
    const NodeHandle parent = model.Parent(node);
    const std::string parentPath = parent != kNoNode ? model.Data(parent)->FullName : std::string();
    DeleteContextItemsOf(data.FullName);
    model.Delete(node);
    // The after-scroll reaction focuses the row that takes the deleted one's place.
    records.Delete();
    if (model.Focused() == kNoNode && !parentPath.empty()) {
      // The folder's last record went: the folder itself takes the focus.
      records.CancelRange();
      sync.PositionOnKey(parentPath);
    }
    return;
  }

  sync.DetachAfterScroll();
  records.CancelRange();
  const std::string path = records.AsString("FullName");
  std::vector<store::DataTable::Bookmark> rows = {records.GetBookmark()};
  AppendRowsInFolder(records, sync, path, rows);
  // One pass over the table for all of them, then the row that follows
  // them in path order.
  records.DeleteRows(rows);
  sync.PositionNearest(path + "\\");
  DeleteContextItemsOf(path);
  model.Delete(node);
  if (!records.IsEmpty()) {
    const NodeHandle next = sync.CurrentRowNode();
    if (next != kNoNode) {
      model.SetFocused(next);
      model.SetSelected(next, true);
    }
  }
  sync.AttachAfterScroll();
  records.Save(deps_.files);
}

// ---- Drag and drop -----------------------------------------------------------------------

bool TreeEditing::TreeDragAllowed(NodeHandle node) const {
  const TNodeData* data = deps_.model.Data(node);
  return data != nullptr && !InPluginsFolder(data->FullName) && !InContextFolder(*data);
}

bool TreeEditing::TreeDragOver(NodeHandle target) const {
  const TreeModel& model = deps_.model;
  const NodeHandle dragged = model.Focused();
  const TNodeData* from = model.Data(dragged);
  const TNodeData* to = model.Data(target);
  if (from == nullptr || to == nullptr || !TreeDragAllowed(dragged)) return false;
  if (to->Type != static_cast<std::int32_t>(store::RecordType::Folder)) return false;
  if (target == dragged) return false;
  if (from->Category == to->FullName) return false;
  if (to->FullName.starts_with(from->FullName + "\\")) return false;
  if (InPluginsFolder(to->FullName) || InContextFolder(*to)) return false;
  // Two records of one FullName could not be told apart.
  const platform::Collation& collation = model.Collation();
  std::string wanted, other;
  collation.FoldCase(from->Subject, wanted);
  for (const NodeHandle child : model.Children(target)) {
    collation.FoldCase(model.Data(child)->Subject, other);
    if (other == wanted) return false;
  }
  return true;
}

void TreeEditing::TreeDragDrop(NodeHandle target) {
  if (!TreeDragOver(target)) return;
  TreeModel& model = deps_.model;
  SelectionSync& sync = deps_.sync;
  store::DataTable& records = deps_.records;
  const NodeHandle dragged = model.Focused();
  if (!OnRowOf(*model.Data(dragged))) return;
  const std::string oldPath = records.AsString("FullName");
  const std::string targetPath = model.Data(target)->FullName;

  QuietMode quiet(sync);
  records.Edit();
  records.Set("Category", targetPath);
  const std::string newPath = store::MakeFullName(targetPath, records.AsString("Subject"));
  records.Set("FullName", newPath);
  records.Post();
  TNodeData* data = model.Data(dragged);
  data->Category = ShortString(targetPath);
  data->FullName = ShortString(newPath);
  model.NotifyChanged(dragged);
  quiet.ReturnTo(newPath);
  model.MoveTo(dragged, target);

  // The rows below the old path get the new one, all in one change of the
  // table; their nodes travel with the moved node and get their data.
  MoveRowsInFolder(records, model, sync, oldPath, newPath);
  records.Save(deps_.files);
}

// ---- Collapse ----------------------------------------------------------------------------

void TreeEditing::aCollapseTreeExecute() { CollapseTree(deps_.model, deps_.sync); }

}  // namespace tembric::tree
