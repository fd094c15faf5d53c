#include "app/InterimRecordEdit.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::app {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

bool IsSystemFolder(const std::string& fullName) {
  return fullName == store::kPluginsFolder || fullName == store::kContextFolder;
}

// A folder that can hold records: not below a system folder ("\*...").
bool IsUserFolder(const std::string& fullName) { return fullName.rfind("\\*", 0) != 0; }

}  // namespace

InterimRecordEdit::InterimRecordEdit(store::DataTable& records, tree::TreeModel& tree, tree::SelectionSync& sync,
                                     ShowDialog show)
    : records_(records), tree_(tree), sync_(sync), show_(std::move(show)) {}

bool InterimRecordEdit::CanEdit() const {
  const tree::NodeHandle node = tree_.Focused();
  if (node == tree::kNoNode || !tree_.IsValid(node)) return false;
  if (records_.State() != store::TableState::Browse || records_.IsEmpty()) return false;
  const tree::TNodeData* data = tree_.Data(node);
  return !IsSystemFolder(data->FullName) && records_.AsString("FullName") == data->FullName;
}

bool InterimRecordEdit::Edit() {
  if (!CanEdit()) return false;
  const tree::NodeHandle node = tree_.Focused();
  const std::string ownName = records_.AsString("FullName");
  editing::RecordDialogInputs inputs = CollectInputs(node, ownName);
  inputs.node = *tree_.Data(node);
  records_.Edit();
  try {
    show_(std::move(inputs));
  } catch (...) {
    records_.Cancel();
    throw;
  }
  if (records_.State() == store::TableState::Edit || records_.State() == store::TableState::Insert) records_.Cancel();
  return true;
}

editing::RecordDialogInputs InterimRecordEdit::CollectInputs(tree::NodeHandle node, const std::string& ownName) {
  editing::RecordDialogInputs inputs;
  std::vector<std::string> folders;

  // Every row is read with the cursor; the range, the row and the tree's
  // reaction to scrolling are restored afterwards.
  const bool reacting = sync_.AfterScrollAttached();
  const bool hadRange = records_.HasRange();
  const store::DataTable::Bookmark current = records_.GetBookmark();
  if (reacting) sync_.DetachAfterScroll();
  records_.DisableControls();
  records_.CancelRange();
  for (records_.First(); !records_.Eof() && !records_.IsEmpty(); records_.Next()) {
    const std::string fullName = records_.AsString("FullName");
    if (fullName != ownName) inputs.usedNames.push_back(fullName);
    const std::string keyString = records_.AsString("KeyString");
    if (!keyString.empty() && fullName != ownName) inputs.usedKeystrokes.push_back(keyString);
    const std::string shortCut = records_.AsString("ShortCut");
    if (!shortCut.empty()) inputs.usedHotKeys.push_back(shortCut);
    const bool below = fullName.rfind(ownName + "\\", 0) == 0;
    if (records_.AsInteger("Type") == static_cast<int>(store::RecordType::Folder) && IsUserFolder(fullName) &&
        fullName != ownName && !below)
      folders.push_back(fullName);
  }
  if (hadRange) sync_.RangeToLevelOf(node);
  records_.GotoBookmark(current);
  records_.EnableControls();
  if (reacting) sync_.AttachAfterScroll();

  std::sort(folders.begin(), folders.end(), LessIgnoringCase);
  inputs.parentItems.push_back(store::kRootCaption);
  inputs.parentItems.insert(inputs.parentItems.end(), folders.begin(), folders.end());
  return inputs;
}

}  // namespace tembric::app
