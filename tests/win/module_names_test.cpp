// How the application name and help path come from the executable's path, with the
// code page 932 rule that a trail byte 0x5C is no folder separator.
#include <gtest/gtest.h>

#include "win/module_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

struct Case {
    const char* path;
    const char* title;
    const char* helpPath;
};

// "\x95\x5C" is 表 in code page 932: its second byte is a backslash.
const Case kCases[] = {
    {"C:\\Program Files\\TORVINEL.EXE", "TORVINEL", "C:\\Program Files\\TORVINEL.HLP"},
    {"C:\\tools\\x.y.EXE", "x.y", "C:\\tools\\x.y.HLP"},
    {"C:\\a.b\\c.d.e.EXE", "c.d.e", "C:\\a.b\\c.d.e.HLP"},
    {"C:\\tools\\TORVINEL", "TORVINEL", "C:\\tools\\TORVINEL.HLP"},
    // No extension but a dot in a folder: the cut is at that dot, as the name rule says.
    {"C:\\my.dir\\TORVINEL", "my", "C:\\my.HLP"},
    {"Z:/work/build/app/TORVINEL.EXE", "TORVINEL", "Z:/work/build/app/TORVINEL.HLP"},
    {"C:TORVINEL.EXE", "TORVINEL", "C:TORVINEL.HLP"},
    {"TORVINEL.EXE", "TORVINEL", "TORVINEL.HLP"},
    {"C:\\\x95\x5C\\TORVINEL.EXE", "TORVINEL", "C:\\\x95\x5C\\TORVINEL.HLP"},
    {"C:\\tools\\\x95\x5C.EXE", "\x95\x5C", "C:\\tools\\\x95\x5C.HLP"},
    {"C:\\\x95\x5C.d\\app", "\x95\x5C", "C:\\\x95\x5C.HLP"},
    {"", "", ".HLP"},
};

void ExpectAll(const LeadBytePredicate& isLead) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.path);
        const ModuleNames names = DeriveModuleNames(c.path, isLead);
        EXPECT_EQ(names.title, c.title);
        EXPECT_EQ(names.helpPath, c.helpPath);
    }
}

TEST(ModuleNames, TableWithCodePage932Rule) { ExpectAll(&IsCp932LeadByte); }

#ifdef _WIN32
// The same table with the platform's own answer, as the program asks it.
TEST(ModuleNames, TableWithPlatformLeadBytes) {
    ASSERT_EQ(GetACP(), 932u) << "the tests run in the Japanese code page";
    ExpectAll([](unsigned char b) { return IsDBCSLeadByte(b) != FALSE; });
}
#endif

}  // namespace
