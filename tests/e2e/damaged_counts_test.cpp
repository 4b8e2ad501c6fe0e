// Counts stored with another type or size (a hand edit of the registry): the real
// TORVINEL.EXE lists every layout that is stored, and its save at exit writes them all
// back with sound counts; nothing stored is hidden or lost.
#include <gtest/gtest.h>

#include "store/layout_store.h"
#include "tests/e2e/harness/app.h"
#include "tests/e2e/harness/fixture.h"
#include "tests/e2e/harness/registry.h"

namespace {

using DamagedCounts = e2e::Fixture;

struct Damage {
    const char* name;
    const wchar_t* section;
    const wchar_t* value;
    DWORD type;
    std::string bytes;
};

TEST_F(DamagedCounts, EveryStoredLayoutIsListedAndSavedBack) {
    const std::vector<e2e::SeedLayout> layouts = {
        {L"A", {{PackIconPos(1, 2), L"a1"}}},
        {L"B", {{PackIconPos(3, 4), L"b1"}, {PackIconPos(5, 6), L"b2"}}},
        {L"C", {{PackIconPos(7, 8), L"c1"}}},
    };
    using namespace std::string_literals;
    for (const Damage& d : {
             Damage{"title count as text", L"Title", L"Number", REG_SZ, "3\0\0\0\0\0"s},
             Damage{"title count of 8 bytes", L"Title", L"Number", REG_QWORD, "\3\0\0\0\0\0\0\0"s},
             Damage{"title count of 2 bytes", L"Title", L"Number", REG_BINARY, "\3\0"s},
             Damage{"icon count as text", L"Pos", L"Number[1]", REG_SZ, "2\0\0\0"s},
         }) {
        SCOPED_TRACE(d.name);
        e2e::SeedLayouts(layouts);
        const e2e::LayoutValues sound = e2e::ReadLayoutValues();
        const std::wstring key = std::wstring(e2e::kLayoutsKey) + L"\\" + d.section;
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), d.value, d.type, d.bytes.data(),
                                  static_cast<DWORD>(d.bytes.size())),
                  ERROR_SUCCESS);

        e2e::RunningApp app;
        ASSERT_TRUE(app.main());
        EXPECT_EQ(app.Lines(), (std::vector<std::wstring>{L"A", L"B", L"C"}));
        ASSERT_TRUE(app.Close());
        EXPECT_EQ(e2e::ReadLayoutValues(), sound);
    }
}

}  // namespace
