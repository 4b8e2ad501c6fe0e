// What the desktop check says: one line per finding on stdout (UTF-8) and in the log
// file, and how it ends. Exit codes: 0 every check held, 1 the first difference (a fault
// of the program or of the desktop under test), 2 wrong use, 3 the environment (no
// desktop, no shell): never taken for a fault of the program.
#pragma once

#include <string>

namespace check {

enum Exit { kPassed = 0, kDifference = 1, kUsage = 2, kEnvironment = 3 };

// Where lines go besides stdout (empty: stdout only).
void OpenLog(const std::string& path);
void Line(const std::string& text);
// UTF-8 from the ANSI code page (names read from the list view) and from UTF-16.
std::string FromAnsi(const std::string& ansi);
std::string FromWide(const std::wstring& wide);

// Thrown by the steps, caught once in main: the line it carries ends the check.
struct Stop {
    Exit exit;
    std::string line;
};
[[noreturn]] void Difference(const std::string& what);
[[noreturn]] void Environment(const std::string& what);

}  // namespace check
