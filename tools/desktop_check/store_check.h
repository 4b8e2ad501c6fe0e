// What TORVINEL.EXE left in the registry once closed: its layouts' titles below
// HKEY_CURRENT_USER\Software\BRANOK Soft\TORVINEL\Title ("Number", "Title[i]"), read
// as ANSI bytes, as the program wrote them.
#pragma once

#include <string>

namespace check {

// The layout `title` must be stored. Whether the arrangement before a restore is kept
// as its own layout is reported, and ends the check only when `expectSnapshot`.
void CheckStore(const std::string& title, bool expectSnapshot);

}  // namespace check
