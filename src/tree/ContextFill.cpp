#include "tree/ContextFill.h"

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "context/ContextStore.h"
#include "context/MaskMatch.h"
#include "store/DataTable.h"
#include "store/KeepPosition.h"
#include "store/Tables.h"
#include "tree/SelectionSync.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

using store::DataTable;
using store::Value;

constexpr const char* kFolderCaption = "*WinContext";
constexpr std::size_t kCaptionCutFrom = 14;  // the 15th character
constexpr std::int32_t kWholeApplication = 0;
constexpr std::int32_t kTitle = 1;
constexpr std::int32_t kWebAddress = 2;
constexpr std::int32_t kTitleMask = 3;

bool Present(const Value& value) { return value.IsText() && !value.Text().empty(); }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

void SetCaption(TreeModel& tree, NodeHandle root, std::string caption) {
  TNodeData* data = tree.Data(root);
  if (data == nullptr || data->Caption == caption) return;
  data->Caption = ShortString(caption);
  tree.NotifyChanged(root);
}

void DeleteChildren(TreeModel& tree, NodeHandle root) {
  // From the last, so that no sibling has to move up.
  while (const NodeHandle last = tree.LastChild(root)) tree.Delete(last);
}

class Fill {
 public:
  Fill(const ContextFillDeps& deps, NodeHandle root, const context::TWinDescriptor& target)
      : deps_(deps),
        root_(root),
        target_(target),
        title_(context::CutToField(target.WinTitle, context::WindowsFieldWidth("WinTitle"))) {}

  void Run() {
    // The passes select orderings of their own on the windows and relations
    // tables; the records table is returned by quiet mode.
    const store::KeepPosition keepWindows(deps_.windows);
    const store::KeepPosition keepRelations(deps_.relations);
    deps_.records.SetIndexName(store::kRecordsByIdIndex);
    deps_.relations.SetIndexName(store::kRelationsByWinIdIndex);
    WebAddresses();
    deps_.windows.SetIndexName(store::kWindowsByFileNameTypeIndex);
    WholeApplication();
    ExactTitle();
    TitleMasks();
  }

 private:
  void WebAddresses() {
    std::string address;
    if (target_.FileName == "Internet Explorer") {
      if (deps_.addresses.internetExplorer) address = deps_.addresses.internetExplorer(target_.Wnd);
    } else if (target_.FileName == "Firefox") {
      if (deps_.addresses.firefox) address = deps_.addresses.firefox();
    } else {
      return;  // no other application is asked for an address
    }
    DataTable& windows = deps_.windows;
    windows.SetIndexName(store::kWindowsByTypeIndex);
    const Value key[] = {Value(kWebAddress)};
    ForEachInRange(key, [&] {
      if (Fits(address, windows.AsString("WinTitle"))) OfferRecords();
    });
  }

  void WholeApplication() {
    const Value key[] = {Value(target_.FileName), Value(kWholeApplication)};
    if (deps_.windows.FindKey(key)) OfferRecords();
  }

  void ExactTitle() {
    // The row keeps only the first characters of a longer title, so that is
    // what the target's title must equal.
    DataTable& windows = deps_.windows;
    const Value key[] = {Value(target_.FileName), Value(kTitle)};
    bool found = false;
    ForEachInRange(key, [&] {
      if (found) return;
      const Value stored = windows.Get("WinTitle");
      if (!stored.IsText() || stored.Text() != title_) return;
      found = true;
      OfferRecords();
    });
  }

  void TitleMasks() {
    DataTable& windows = deps_.windows;
    const Value key[] = {Value(target_.FileName), Value(kTitleMask)};
    ForEachInRange(key, [&] {
      if (Fits(target_.WinTitle, windows.AsString("WinTitle"))) OfferRecords();
    });
  }

  // Runs `each` on every windows row with `key` in the active ordering, the
  // row current.
  template <typename Each>
  void ForEachInRange(std::span<const Value> key, const Each& each) {
    DataTable& windows = deps_.windows;
    windows.SetRange(key, key);
    for (; !windows.Eof(); windows.Next()) each();
    windows.CancelRange();
  }

  // An ill-formed mask fits nothing; its message goes to the log.
  bool Fits(std::string_view text, const std::string& mask) const {
    const context::MaskResult result = context::MaskMatch(text, mask);
    if (!result.error.empty() && deps_.log) deps_.log(result.error);
    return result.matches;
  }

  // The records tied to the current windows row; links to records that no
  // longer exist are passed over.
  void OfferRecords() {
    const Value winId = deps_.windows.Get("ID");
    if (!winId.IsInteger()) return;
    DataTable& relations = deps_.relations;
    DataTable& records = deps_.records;
    const Value key[] = {winId};
    relations.SetRange(key, key);
    for (; !relations.Eof(); relations.Next()) {
      const Value recordKey[] = {relations.Get("ID")};
      if (!recordKey[0].IsInteger()) continue;
      if (records.FindKey(recordKey)) AddContextNode();
    }
    relations.CancelRange();
  }

  // The current record as a context item, when its context dependence is on.
  void AddContextNode() {
    const DataTable& records = deps_.records;
    if (!records.AsBoolean("ContextEnabled")) return;
    const std::string category = records.AsString("Category");
    TNodeData data;
    data.Subject = ShortString(ContextItemSubject(records.AsString("Subject"), category));
    data.Category = ShortString(category);
    data.FullName = ShortString(records.AsString("FullName"));
    data.Type = static_cast<std::int32_t>(records.AsInteger("Type"));
    data.HasKeystroke = Present(records.Get("KeyString"));
    if (Present(records.Get("ShortCut"))) data.HotkeySlot = OwnSlot();
    data.IsContextItem = true;
    deps_.tree.AddChild(root_, std::move(data));
  }

  // The slot the record's own node holds its hotkey in: the combination is
  // registered once, for that node; a context item shows the same key.
  std::int32_t OwnSlot() const {
    const std::int64_t value = deps_.records.AsInteger("Node");
    const auto node = static_cast<NodeHandle>(value);
    if (value != node) return 0;
    const TNodeData* own = deps_.tree.Data(node);
    return own != nullptr && !own->IsContextItem ? own->HotkeySlot : 0;
  }

  const ContextFillDeps& deps_;
  NodeHandle root_;
  const context::TWinDescriptor& target_;
  std::string_view title_;
};

}  // namespace

std::string ContextCaption(std::string_view applicationName) {
  std::size_t begin = 0;
  std::size_t end = applicationName.size();
  while (begin < end && IsBlank(applicationName[begin])) ++begin;
  while (end > begin && IsBlank(applicationName[end - 1])) --end;
  std::string caption(applicationName.substr(begin, end - begin));
  if (caption.size() > kCaptionCutFrom + 1) {
    const std::size_t space = caption.find(' ', kCaptionCutFrom);
    if (space != std::string::npos) caption = caption.substr(0, space) + "...";
  }
  return caption;
}

std::string ContextItemSubject(std::string_view subject, std::string_view category) {
  const std::size_t separator = category.find_last_of("\\:");
  const std::string_view folder = separator == std::string_view::npos ? category : category.substr(separator + 1);
  std::string text(subject);
  if (!folder.empty()) {
    text += " (";
    text += folder;
    text += ")";
  }
  return text;
}

void FillContextTree(const ContextFillDeps& deps, NodeHandle contextRoot, const context::TWinDescriptor& target) {
  TreeModel& tree = deps.tree;
  if (!tree.IsValid(contextRoot)) return;
  SetCaption(tree, contextRoot, kFolderCaption);
  // The items go; a focus on one of them would be lost without a word.
  const TNodeData* focused = tree.Data(tree.Focused());
  if (focused != nullptr && focused->IsContextItem) tree.SetFocused(contextRoot);
  DeleteChildren(tree, contextRoot);

  const auto open = [](const DataTable& table) { return table.State() != store::TableState::Inactive; };
  if (target.Wnd != platform::kNoWindow && open(deps.records) && open(deps.windows) && open(deps.relations)) {
    deps.sync.DisableDBControls();
    try {
      SetCaption(tree, contextRoot, ContextCaption(target.FileName));
      Fill(deps, contextRoot, target).Run();
    } catch (...) {
      deps.sync.EnableDBControls();
      throw;
    }
    deps.sync.EnableDBControls();
  }

  if (tree.ChildCount(contextRoot) == 0) return;
  tree.SortChildren(contextRoot);
  tree.SetFocused(tree.FirstChild(contextRoot));
}

}  // namespace tembric::tree
