#pragma once
// The portable collation with the letter case of a chosen Windows ANSI code
// page, for tests and tools that stand in for a system with that code page.

#include "platform/Collation.h"

namespace tembric::platform {

// `codePage` is 1250, 1251, 1252 or 1253 (UserCollation() is 1252); any
// other throws std::invalid_argument. The order is the same for all.
const Collation& CodePageCollation(unsigned codePage);

}  // namespace tembric::platform
