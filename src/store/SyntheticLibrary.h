#pragma once
// A generated library of records for measurements and tools: folders of
// about twenty records each, nested up to four levels, with memos of varied
// length, file links, blob extents, and a few keystrokes and hotkeys. The
// same seed gives the same rows.

#include <cstddef>
#include <cstdint>

#include "store/DataTable.h"

namespace tembric::store {

// Appends `n` rows (folders and records) to an open records table
// (TembricDB). Every row has a Subject, a Category naming an existing folder
// ("" at the top level), the matching FullName and an ID no other row has.
void AddSyntheticRecords(DataTable& records, std::size_t n, std::uint32_t seed);

}  // namespace tembric::store
