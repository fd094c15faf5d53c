#include "tree/TreeDisplay.h"

#include "store/Tables.h"
#include "tree/TreeModel.h"

namespace tembric::tree {
namespace {

constexpr const char* kContextSubject = "*WinContext";

std::string Counted(const std::string& text, std::size_t children) {
  return text + " (" + std::to_string(children) + ")";
}

}  // namespace

std::string TreeGetText(const TreeModel& tree, NodeHandle node) {
  const TNodeData* data = tree.Data(node);
  if (data == nullptr) return {};
  const std::size_t children = tree.ChildCount(node);
  if (data->Subject == kContextSubject) return Counted(data->Caption, children);
  return children > 0 ? Counted(data->Subject, children) : data->Subject;
}

int TreeGetImageIndex(const TreeModel& tree, NodeHandle node, ImageKind kind) {
  const TNodeData* data = tree.Data(node);
  if (data == nullptr) return kNoImage;
  if (kind == ImageKind::Normal) return data->HasKeystroke || data->HotkeySlot > 0 ? kImageKey : kNoImage;
  if (data->FullName == store::kPluginsFolder) return kImagePluginsFolder;
  if (data->FullName == store::kContextFolder) return kImageContextFolder;
  using store::RecordType;
  const auto is = [&](RecordType type) { return data->Type == static_cast<std::int32_t>(type); };
  if (is(RecordType::Text)) return kImageText;
  if (is(RecordType::Folder)) return kImageFolder;
  if (is(RecordType::Image)) return kImageImage;
  if (is(RecordType::Plugin)) return kImagePlugin;
  if (is(RecordType::TextFileLink)) return kImageTextFileLink;
  if (is(RecordType::ImageFileLink)) return kImageImageFileLink;
  if (is(RecordType::ClipboardInRow) || is(RecordType::ClipboardInBlob)) return kImageClipboard;
  return kNoImage;
}

}  // namespace tembric::tree
