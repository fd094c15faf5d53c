#pragma once
// Keeps a table's ordering and current row across a look-up that needs
// another ordering or a range: the views bound to the table must not see it
// move.

#include <string>

#include "store/DataTable.h"

namespace tembric::store {

class KeepPosition {
 public:
  explicit KeepPosition(DataTable& table)
      : table_(table), index_(table.IndexName()), fields_(table.IndexFieldNames()), mark_(table.GetBookmark()) {}
  ~KeepPosition() {
    if (!index_.empty()) {
      table_.SetIndexName(index_);
    } else {
      table_.SetIndexFieldNames(fields_);
    }
    if (mark_ != 0) table_.GotoBookmark(mark_);  // false when that row was deleted: left where it is
  }
  KeepPosition(const KeepPosition&) = delete;
  KeepPosition& operator=(const KeepPosition&) = delete;

 private:
  DataTable& table_;
  std::string index_;
  std::string fields_;
  DataTable::Bookmark mark_;
};

}  // namespace tembric::store
