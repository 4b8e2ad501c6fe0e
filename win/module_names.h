// How the application derives its names from the executable's path.
#pragma once

#include <functional>
#include <string>

struct ModuleNames {
    std::string title;     // file name without folder and extension
    std::string helpPath;  // path cut at its last '.', plus ".HLP"
};

// Tells whether a byte starts a double-byte character in the ANSI code page.
using LeadBytePredicate = std::function<bool(unsigned char)>;

// Lead bytes of code page 932 (Shift-JIS), for use where the platform cannot answer.
bool IsCp932LeadByte(unsigned char byte);

// Cuts the path at its last '.', takes the title from after the last '\\', '/' or ':'
// of the cut path; both searches step one character at a time, so a trail byte is
// never taken for a separator.
ModuleNames DeriveModuleNames(const std::string& modulePath, const LeadBytePredicate& isLeadByte);
