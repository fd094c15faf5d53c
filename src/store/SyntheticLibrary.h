#pragma once
// A generated library of records for measurements and tools: folders of
// about twenty records each, nested up to four levels, with memos of varied
// length, file links, blob extents, and a few keystrokes and hotkeys. The
// same seed gives the same rows.

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/DataTable.h"

namespace tembric::store {

// Appends `n` rows (folders and records) to an open records table
// (TembricDB). Every row has a Subject, a Category naming an existing folder
// ("" at the top level), the matching FullName and an ID no other row has.
void AddSyntheticRecords(DataTable& records, std::size_t n, std::uint32_t seed);

struct Library;

// Appends `windows` rows to the windows table and `relations` rows to the
// relations table, over the records already there. The windows rows belong
// to applications of 100 rows each ("firstApplication", then "Application
// 2", "Application 3", ...): the whole application, 69 exact titles
// "Document N.txt - Editor" and 30 title masks "*N*.txt - Editor". The
// relations are spread evenly over the rows, each tying a record drawn at
// random; those of the first application's whole-application row tie only
// records whose context dependence is on, so that showing the main window
// from that application lists them. Window IDs follow the largest one
// there. Throws TableError when the records table holds no record with an
// ID.
void AddSyntheticContexts(Library& library, std::size_t windows, std::size_t relations,
                          const std::string& firstApplication, std::uint32_t seed);

}  // namespace tembric::store
