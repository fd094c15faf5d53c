#pragma once
// The rows inside a folder of the records table, for the commands that act
// on a folder with its contents (delete, drop, rename and move). What lies
// in a folder is decided by store::IsAtOrBelow on the rows' Category alone,
// so "\Ab\x" is never inside "\A".

#include <string>
#include <vector>

#include "store/DataTable.h"

namespace tembric::tree {

class SelectionSync;
class TreeModel;

// Appends the bookmarks of the rows inside the folder `path` (not the
// folder's own row). They follow one another in path order from "<path>\",
// where the search leaves the table; no after-scroll reaction runs.
void AppendRowsInFolder(store::DataTable& records, SelectionSync& sync, const std::string& path,
                        std::vector<store::DataTable::Bookmark>& rows);

// Gives every row inside the folder `oldPath` the path `newPath` in its
// place, in one change of the table (DataTable::EditRows), and the nodes of
// those rows their new Subject, Category and FullName. The table is not
// saved.
void MoveRowsInFolder(store::DataTable& records, TreeModel& model, SelectionSync& sync, const std::string& oldPath,
                      const std::string& newPath);

}  // namespace tembric::tree
