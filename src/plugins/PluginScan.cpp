#include "plugins/PluginScan.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <vector>

#include "platform/FileSystem.h"
#include "plugins/PluginCalls.h"
#include "store/DataTable.h"
#include "store/Tables.h"
#include "tree/BuildTree.h"
#include "tree/TreeModel.h"

namespace tembric::plugins {
namespace {

// The text after the last "." (the whole name without one) is "DLL" in capitals.
bool IsLibraryName(std::string_view name) {
  const std::size_t dot = name.find_last_of('.');
  const std::string_view extension = dot == std::string_view::npos ? name : name.substr(dot + 1);
  return extension.size() == 3 && std::equal(extension.begin(), extension.end(), "DLL", [](char c, char upper) {
           return std::toupper(static_cast<unsigned char>(c)) == upper;
         });
}

// A short-string field of a node: at most 255 characters.
constexpr std::size_t kMaxLibraryPath = tree::kShortStringMax;

// Runs `fill` on a freshly appended row and posts it; the row is dropped,
// and `node` deleted once made, when anything fails.
template <typename Fill>
void AppendRow(store::DataTable& records, tree::TreeModel& tree, Fill&& fill) {
  tree::NodeHandle node = tree::kNoNode;
  records.Append();
  try {
    fill(node);
    records.Set("Node", node);
    records.Post();
  } catch (...) {
    records.Cancel();
    if (node != tree::kNoNode) tree.Delete(node);
    throw;
  }
}

}  // namespace

void PluginScanner::ScanPluginFolder(const std::string& folder) {
  std::string current;  // the entry at hand; none while the folder is listed
  try {
    std::vector<platform::FolderEntry> entries;
    try {
      entries = deps_.files.ListFolder(folder);
    } catch (const platform::FileError& e) {
      if (e.Kind() == platform::FileErrorKind::NotFound) return;
      throw;
    }
    for (const platform::FolderEntry& entry : entries) {
      current = entry.name;
      const std::string path = folder + "\\" + entry.name;
      if (entry.folder) {
        ScanPluginFolder(path);
      } else if (IsLibraryName(entry.name)) {
        LoadPluginLibrary(path.substr(0, kMaxLibraryPath));
      }
      if (deps_.handlePendingMessages) deps_.handlePendingMessages();
    }
  } catch (const std::exception&) {
    deps_.show("Error in getfiles with " + folder + "\\" + current);
  }
}

void PluginScanner::LoadPluginLibrary(const std::string& path) {
  std::vector<PluginItem> items;
  try {
    items = ReadPluginItems(deps_.libraries, path);  // unloaded after the pending messages
  } catch (const PluginError& e) {
    deps_.show(e.what());
    return;
  }
  for (std::size_t index = 0; index < items.size(); ++index) {
    const PluginItem& item = items[index];
    std::string category = store::kPluginsFolder;
    if (!item.category.empty()) category += "\\" + item.category;
    const tree::NodeHandle parent = EnsureFolderPath(category);

    const std::string section = "Plugin\\" + item.subject;
    const std::string keyDisplay = deps_.settingsText(section, "Keydisplay");
    const std::string keyString = deps_.settingsText(section, "Keystring");
    const std::string shortCut = deps_.settingsText(section, "Shortcut");
    const std::string fullName = store::MakeFullName(category, item.subject);

    AppendRow(deps_.records, deps_.tree, [&](tree::NodeHandle& node) {
      store::DataTable& records = deps_.records;
      records.Set("Subject", item.subject);
      records.Set("Category", category);
      records.Set("Type", static_cast<std::int16_t>(store::RecordType::Plugin));
      records.Set("Memo", item.memo);
      // Empty keys stay null, as in the rows of every other record.
      if (!keyDisplay.empty()) records.Set("KeyDisplay", keyDisplay);
      if (!keyString.empty()) records.Set("KeyString", keyString);
      if (!shortCut.empty()) records.Set("ShortCut", shortCut);
      records.Set("FullName", fullName);

      tree::TNodeData data;
      data.Subject = tree::ShortString(item.subject);
      data.Category = tree::ShortString(category);
      data.FullName = tree::ShortString(fullName);
      data.Type = static_cast<std::int32_t>(store::RecordType::Plugin);
      data.PluginLibrary = path;
      data.PluginIndex = static_cast<std::int32_t>(index);
      data.PluginHasProperties = item.hasProperties;
      node = deps_.tree.AddChild(parent, std::move(data));
      const int slot = shortCut.empty() ? 0 : deps_.hotkeys.SetHotkeySlot("Fake", shortCut, 0, true);
      if (slot > 0 || !keyString.empty()) deps_.tree.SetMarks(node, slot, !keyString.empty());
    });
  }
}

tree::NodeHandle PluginScanner::EnsureFolderPath(std::string_view path) {
  std::string_view rest = path.empty() ? path : path.substr(1);  // past the leading backslash
  tree::NodeHandle current = tree::kNoNode;
  while (!rest.empty()) {
    const std::size_t cut = rest.find('\\');
    const std::string_view name = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    const std::vector<tree::NodeHandle>& children = deps_.tree.Children(current);
    const auto found = std::find_if(children.begin(), children.end(), [&](tree::NodeHandle child) {
      return std::as_const(deps_.tree).Data(child)->Subject == name;
    });
    current = found != children.end() ? *found : AddFolder(current, name);
  }
  return current;
}

tree::NodeHandle PluginScanner::AddFolder(tree::NodeHandle parent, std::string_view name) {
  const std::string category = parent == tree::kNoNode ? std::string() : deps_.tree.Data(parent)->FullName;
  const std::string fullName = store::MakeFullName(category, name);
  tree::NodeHandle made = tree::kNoNode;
  AppendRow(deps_.records, deps_.tree, [&](tree::NodeHandle& node) {
    store::DataTable& records = deps_.records;
    records.Set("Subject", name);
    records.Set("Category", category);
    records.Set("Type", static_cast<std::int16_t>(store::RecordType::Folder));
    records.Set("FullName", fullName);
    tree::TNodeData data;
    data.Subject = tree::ShortString(name);
    data.Category = category;
    data.FullName = tree::ShortString(fullName);
    data.Type = static_cast<std::int32_t>(store::RecordType::Folder);
    node = made = deps_.tree.AddChild(parent, std::move(data));
  });
  return made;
}

}  // namespace tembric::plugins
