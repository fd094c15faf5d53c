#pragma once
// The context folder (ContextRoot): each time the main window is shown, its
// children become the records whose contexts fit the window the user came
// from. A context is a windows row (WinDB) tied to records through the
// relations table (RelDB):
//   WinType 0  the whole application: FileName equals the target's;
//   WinType 1  one title: FileName and WinTitle equal the target's (exact,
//              the target's title cut to the width the row keeps of it);
//   WinType 2  a web-address mask, for Internet Explorer and Firefox only;
//   WinType 3  a title mask within the application.
// Every look-up goes through an index, so the fill costs what fits, not the
// size of the tables.

#include <functional>
#include <string>
#include <string_view>

#include "context/WinDescriptor.h"
#include "tree/NodeData.h"

namespace tembric::store {
class DataTable;
}

namespace tembric::tree {

class SelectionSync;
class TreeModel;

// ContextRoot's caption for an application name: the name trimmed; when it
// is longer than 15 characters and a space occurs at or after its 15th, it
// is cut before the first such space and "..." appended.
std::string ContextCaption(std::string_view applicationName);

// A context item's Subject: the record's Subject, followed by " (", the last
// component of its Category (after the last "\" or ":") and ")" when that
// component is not empty.
std::string ContextItemSubject(std::string_view subject, std::string_view category);

// The addresses the two browsers show; "" when they cannot be read.
struct BrowserAddressReaders {
  std::function<std::string(platform::WindowHandle)> internetExplorer;
  std::function<std::string()> firefox;
};

struct ContextFillDeps {
  TreeModel& tree;
  SelectionSync& sync;  // quiet mode around the look-ups
  store::DataTable& records;
  store::DataTable& windows;
  store::DataTable& relations;
  BrowserAddressReaders addresses;
  // Told the message of a stored mask that is ill-formed; such a mask fits nothing.
  std::function<void(const std::string&)> log;
};

// Rebuilds the children of `contextRoot` for `target` (no window: the folder
// is named "*WinContext" and stays empty). A focused context item first
// gives the focus to the folder. The look-ups run in quiet mode, which
// returns the records table to its index and row; the windows and
// relations tables keep theirs. A record tied to several fitting contexts
// is listed once for each; only records with ContextEnabled are listed.
// At the end the items are sorted as any siblings and the first one is
// focused, through the ordinary focus handling, so that the records table's
// current row is the focused item's record.
void FillContextTree(const ContextFillDeps& deps, NodeHandle contextRoot, const context::TWinDescriptor& target);

}  // namespace tembric::tree
