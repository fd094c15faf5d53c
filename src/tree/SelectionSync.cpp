#include "tree/SelectionSync.h"

#include <optional>
#include <string>
#include <vector>

#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

const char* KindWord(int type) {
  using store::RecordType;
  switch (type) {
    case static_cast<int>(RecordType::Text):
      return "Text ";
    case static_cast<int>(RecordType::Folder):
      return "Folder ";
    case static_cast<int>(RecordType::Image):
      return "Image ";
    case static_cast<int>(RecordType::Plugin):
      return "Plugin ";
    case static_cast<int>(RecordType::TextFileLink):
      return "Text file link ";
    case static_cast<int>(RecordType::ImageFileLink):
      return "Image file link ";
    case static_cast<int>(RecordType::ClipboardInBlob):
      return "Clipboard data ";
    default:
      return "";  // snapshots kept in the row (10) and unknown kinds have no word
  }
}

// The field's text, or null when it is null.
std::optional<std::string> Text(const store::DataTable& records, std::string_view field) {
  if (records.IsNull(field)) return std::nullopt;
  return records.AsString(field);
}

}  // namespace

std::string InfoText(int type, const std::string* shortcut, const std::string* keyDisplay) {
  std::string text = KindWord(type);
  if (shortcut != nullptr && !shortcut->empty()) text += "[" + *shortcut + "]";
  if (keyDisplay != nullptr && !keyDisplay->empty()) text += " [" + *keyDisplay + "]";
  return text;
}

SelectionSync::SelectionSync(TreeModel& tree, store::DataTable& records, SyncView& view)
    : tree_(tree), records_(records), view_(view) {}

SelectionSync::~SelectionSync() {
  DetachFocusHandlers();
  if (afterScrollAttached_) DetachAfterScroll();
}

// ---- Attaching -----------------------------------------------------------------------

void SelectionSync::AttachAll() {
  AttachFocusHandlers();
  AttachAfterScroll();
}

void SelectionSync::AttachAfterScroll() {
  records_.SetAfterScroll([this](store::DataTable&) { TembricDBAfterScroll(); });
  afterScrollAttached_ = true;
}

void SelectionSync::DetachAfterScroll() {
  records_.SetAfterScroll({});
  afterScrollAttached_ = false;
}

void SelectionSync::AttachFocusHandlers() {
  tree_.SetFocusChanging([this](NodeHandle oldNode, NodeHandle newNode) { TreeFocusChanging(oldNode, newNode); });
  tree_.SetFocusChanged([this](NodeHandle node) { TreeFocusChanged(node); });
}

void SelectionSync::DetachFocusHandlers() {
  tree_.SetFocusChanging({});
  tree_.SetFocusChanged({});
}

// ---- The two directions ----------------------------------------------------------------

NodeHandle SelectionSync::CurrentRowNode() const {
  if (records_.State() == store::TableState::Inactive || records_.IsEmpty()) return kNoNode;
  const std::int64_t value = records_.AsInteger("Node");
  const auto node = static_cast<NodeHandle>(value);
  return value == node && tree_.IsValid(node) ? node : kNoNode;
}

void SelectionSync::TembricDBAfterScroll() {
  if (records_.State() != store::TableState::Browse || records_.IsEmpty()) return;
  const NodeHandle node = CurrentRowNode();

  const int type = static_cast<int>(records_.AsInteger("Type"));
  const std::optional<std::string> shortcut = Text(records_, "ShortCut");
  const std::optional<std::string> keyDisplay = Text(records_, "KeyDisplay");
  view_.SetInfoText(InfoText(type, shortcut ? &*shortcut : nullptr, keyDisplay ? &*keyDisplay : nullptr));
  using store::RecordType;
  if (type == static_cast<int>(RecordType::Text) || type == static_cast<int>(RecordType::Plugin)) {
    view_.SetPreview(records_.AsString("Memo"));
  } else if (type == static_cast<int>(RecordType::TextFileLink) ||
             type == static_cast<int>(RecordType::ImageFileLink)) {
    view_.SetPreview(records_.AsString("FileName"));
  } else {
    view_.SetPreview("");
  }

  // While the user works in the context folder of the showing window, the
  // focus stays on the context item.
  const TNodeData* focused = tree_.Data(tree_.Focused());
  if (focused != nullptr && focused->IsContextItem && view_.WindowShowing()) return;
  if (node == kNoNode) return;  // no node of this run: never followed
  tree_.SetFocused(node);
  tree_.SetSelected(node, true);
  view_.RepaintTree();
}

void SelectionSync::TreeFocusChanging(NodeHandle oldNode, NodeHandle newNode) {
  const TNodeData* oldData = tree_.Data(oldNode);
  const TNodeData* newData = tree_.Data(newNode);
  if (oldData == nullptr || newData == nullptr) return;
  tree_.SetSelected(oldNode, false);
  tree_.SetSelected(newNode, true);
  if (newData->Category == oldData->Category) return;

  // Another level: range the table to it and position there without the
  // after-scroll reaction, which would move the focus again. The reaction is
  // attached afterwards whether or not it was before: a change of level
  // always leaves the table leading the tree.
  DetachAfterScroll();
  records_.CancelRange();
  if (!newData->IsContextItem) RangeToLevelOf(newNode);
  PositionOnKey(newData->FullName);
  AttachAfterScroll();
}

void SelectionSync::TreeFocusChanged(NodeHandle node) {
  const TNodeData* data = tree_.Data(node);
  if (data == nullptr) return;
  const bool treeFocus = view_.TreeHasInputFocus();
  if (!treeFocus && !view_.FilterHasInputFocus()) return;
  const std::string fullName = data->FullName;
  const std::string subject = data->Subject;
  PositionOnKey(fullName);
  tree_.SetSelected(node, true);
  if (treeFocus) view_.SetFilterText(subject);
}

// ---- Quiet mode ------------------------------------------------------------------------

void SelectionSync::DisableDBControls() {
  const bool hasRow = records_.State() != store::TableState::Inactive && !records_.IsEmpty();
  rememberedFullName_ = hasRow ? records_.AsString("FullName") : std::string();
  rememberedIndex_ = records_.IndexName();
  rememberedFieldNames_ = records_.IndexFieldNames();
  DetachFocusHandlers();
  if (tree_.Focused() != kNoNode) tree_.SetSelected(tree_.Focused(), false);
  DetachAfterScroll();
  if (!controlsSuspended_) {
    records_.DisableControls();
    controlsSuspended_ = true;
  }
  records_.CancelRange();
  quiet_ = true;
}

void SelectionSync::EnableDBControls() {
  if (!rememberedIndex_.empty()) {
    records_.SetIndexName(rememberedIndex_);
  } else {
    records_.SetIndexFieldNames(rememberedFieldNames_);
  }
  quiet_ = false;
  AttachAll();
  PositionOnKey(rememberedFullName_);
  if (controlsSuspended_) {
    controlsSuspended_ = false;
    records_.EnableControls();
  }
}

void SelectionSync::ResumeControls() {
  if (!controlsSuspended_) return;
  controlsSuspended_ = false;
  records_.EnableControls();
}

void SelectionSync::SetReturnPath(std::string fullName) { rememberedFullName_ = std::move(fullName); }

// ---- Positioning -------------------------------------------------------------------------

bool SelectionSync::PositionOnKey(std::string_view fullName) {
  if (records_.State() == store::TableState::Inactive) return false;
  const store::Value key[] = {store::Value(fullName)};
  if (records_.IndexName() == store::kRecordsIndex) return records_.FindKey(key);
  const std::string fields[] = {"FullName"};
  return records_.Locate(fields, key);
}

void SelectionSync::PositionNearest(std::string_view fullName) {
  if (records_.State() == store::TableState::Inactive) return;
  const store::Value key[] = {store::Value(fullName)};
  records_.FindNearest(key);
}

void SelectionSync::RangeToLevelOf(NodeHandle node) {
  if (!tree_.IsValid(node)) return;
  const std::vector<NodeHandle>& siblings = tree_.Children(tree_.Parent(node));
  const std::string* low = nullptr;
  const std::string* high = nullptr;
  for (NodeHandle sibling : siblings) {
    const std::string& fullName = tree_.Data(sibling)->FullName;
    if (low == nullptr || fullName < *low) low = &fullName;
    if (high == nullptr || fullName > *high) high = &fullName;
  }
  if (low == nullptr) return;
  const store::Value lowKey[] = {store::Value(*low)};
  const store::Value highKey[] = {store::Value(*high)};
  records_.SetRange(lowKey, highKey);
}

// ---- Start ------------------------------------------------------------------------------

void SelectionSync::AlignAtStart() {
  tree_.SortChildren(kNoNode);
  const NodeHandle first = tree_.FirstChild(kNoNode);
  if (first != kNoNode) tree_.SetFocused(first);
  records_.SetIndexName(store::kRecordsIndex);
  if (first != kNoNode) {
    RangeToLevelOf(first);
    PositionOnKey(tree_.Data(first)->FullName);
  }
  AttachAll();
  records_.First();
}

}  // namespace tembric::tree
