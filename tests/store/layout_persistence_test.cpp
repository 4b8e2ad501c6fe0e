// Tests of LoadLayouts/SaveLayouts: the registry format written byte for byte and in
// order, loading of what was written, values left from earlier runs, damaged or
// hand-edited stores (wrong types, negative and huge counts, missing values), and the
// icons' paths with their check.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "store/layout_format.h"
#include "store/layout_persistence.h"
#include "tests/store/layout_dump.h"
#include "tests/store/registry_fixture.h"
#include "tests/store/sample_layouts.h"

namespace {

void FillWorkedExample(CLayoutStore& store) {
    store.SetTitle(0, "Work");
    store.AddIconXY(0, 10, 20, "Notes");
    store.AddIconXY(0, 10, 95, "Mail");
    store.SetTitle(1, "Home");
    store.AddIconXY(1, -5, 10, "Notes");
}

class LayoutPersistence : public RegistryTest {
protected:
    std::string Load() {
        CLayoutStore store;
        LoadLayouts(store, m_key);
        return Dump(store);
    }
};

struct ExpectedWrite {
    const char* section;
    const char* name;
    DWORD type;
    std::vector<uint8_t> data;
};

TEST_F(LayoutPersistence, WorkedExampleIsWrittenByteForByteInOrder) {
    CLayoutStore store;
    FillWorkedExample(store);
    ASSERT_TRUE(SaveLayouts(store, m_key));
    const ExpectedWrite expected[] = {
        {"Title", "Number", REG_DWORD, DwordBytes(2)},
        {"Title", "Title[0]", REG_SZ, Bytes("Work")},
        {"Pos", "Number[0]", REG_DWORD, DwordBytes(2)},
        {"Pos", "Pos[0][0]", REG_DWORD, DwordBytes(0x0014000A)},
        {"Pos", "Name[0][0]", REG_SZ, Bytes("Notes")},
        {"Pos", "Pos[0][1]", REG_DWORD, DwordBytes(0x005F000A)},
        {"Pos", "Name[0][1]", REG_SZ, Bytes("Mail")},
        {"Title", "Title[1]", REG_SZ, Bytes("Home")},
        {"Pos", "Number[1]", REG_DWORD, DwordBytes(1)},
        {"Pos", "Pos[1][0]", REG_DWORD, DwordBytes(0x000AFFFB)},
        {"Pos", "Name[1][0]", REG_SZ, Bytes("Notes")},
    };
#ifndef _WIN32
    // The same values staged first, kind by kind (values 0, 1, 7, 4, 6, 10, 2, 8, 3, 5,
    // 9 of the list above), the staging marked complete, then the key's own in order.
    const auto& writes = regstub::Writes();
    const size_t n = std::size(expected);
    const size_t stagedOrder[] = {0, 1, 7, 4, 6, 10, 2, 8, 3, 5, 9};
    ASSERT_EQ(writes.size(), 2 * n + 1);
    for (size_t k = 0; k < n; ++k) {
        const ExpectedWrite& staged = expected[stagedOrder[k]];
        for (const auto& [at, w, section] :
             {std::tuple{k, &staged, "Saving\\" + std::string(staged.section)},
              std::tuple{n + 1 + k, &expected[k], std::string(expected[k].section)}}) {
            EXPECT_EQ(writes[at].keyPath, "HKEY_CURRENT_USER\\" + Path(section)) << at;
            EXPECT_EQ(writes[at].name, w->name) << at;
            EXPECT_EQ(writes[at].type, w->type) << at;
            EXPECT_EQ(writes[at].data, w->data) << at;
        }
    }
    EXPECT_EQ(writes[n].keyPath, "HKEY_CURRENT_USER\\" + Path("Saving"));
    EXPECT_EQ(writes[n].name, "Complete");
    EXPECT_EQ(writes[n].data, DwordBytes(1));
    regstub::ClearLog();
#endif
    for (const ExpectedWrite& w : expected) ExpectValue(w.section, w.name, w.type, w.data);
    EXPECT_EQ(ValueCount("Title"), 3u);
    EXPECT_EQ(ValueCount("Pos"), 8u);
    EXPECT_FALSE(KeyExists("Saving")) << "the staging stays after a complete save";
    EXPECT_EQ(ValueCount(""), 0u);
#ifndef _WIN32
    regstub::ClearLog();
#endif
    CLayoutStore loaded;
    EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(loaded), Dump(store));
#ifndef _WIN32
    EXPECT_EQ(regstub::ChangeCount(), 0u);
    // The base key, then Title, Pos, Title, Pos: one reopen per section and layout.
    EXPECT_EQ(regstub::KeyOpenCount(), 5u) << "loading opens no more keys than it reads";
#endif
}

TEST_F(LayoutPersistence, FirstRunCreatesNothingUntilTheSave) {
    EXPECT_EQ(Load(), "0 layouts\n");
    EXPECT_FALSE(KeyExists("")) << "loading created the key";
    CLayoutStore empty;
    EXPECT_TRUE(SaveLayouts(empty, m_key));
    EXPECT_EQ(ValueCount("Title"), 1u);
    EXPECT_EQ(Get("Title", "Number").data, DwordBytes(0));
    EXPECT_FALSE(KeyExists("Pos"));
    EXPECT_FALSE(KeyExists("Saving"));
}

TEST_F(LayoutPersistence, RoundTripKeepsEveryKindOfLayout) {
    CLayoutStore store;
    const std::string longTitle(300, 'T'), hugeName(70000, 'n');
    store.SetTitle(0, "\x83\x5C\x83\x74\x83\x67");  // CP932 "ソフト"
    store.AddIconXY(0, -32768, 32767, "\x95\x5C");
    store.AddIconXY(0, 0, 0, "");
    store.SetTitle(1, "");  // a middle layout without icons
    store.SetTitle(2, longTitle.c_str());
    store.AddIconXY(2, 1, 2, hugeName.c_str());
    store.AddIconXY(2, -1, -1, std::string(256, 'x').c_str());
    store.SetTitle(3, "failed capture");  // a title without icons: not saved
    SaveLayouts(store, m_key);
    EXPECT_EQ(Get("Title", "Number").data, DwordBytes(3));
    EXPECT_EQ(Get("Pos", "Number[1]").data, DwordBytes(0));
    EXPECT_EQ(Get("Title", "Title[3]").rc, ERROR_FILE_NOT_FOUND);
    CLayoutStore loaded;
    LoadLayouts(loaded, m_key);
    EXPECT_EQ(Dump(loaded), Dump(store));
    EXPECT_EQ(loaded.GetTitle(2), longTitle);
    EXPECT_EQ(loaded.GetIconName(2, 0), hugeName);
}

TEST_F(LayoutPersistence, SavingFewerLayoutsLeavesOldValuesThatAreNeverRead) {
    CLayoutStore store;
    for (int i = 0; i < 3; ++i) {
        store.SetTitle(i, ("L" + std::to_string(i)).c_str());
        for (int j = 0; j < 3; ++j) store.AddIconXY(i, i, j, ("n" + std::to_string(j)).c_str());
    }
    SaveLayouts(store, m_key);
    store.RemoveLayout(1);
    CLayoutStore smaller;
    smaller.SetTitle(0, "L0");
    smaller.AddIconXY(0, 5, 5, "only");
    smaller.SetTitle(1, "L2");
    smaller.AddIconXY(1, 2, 0, "n0");
    SaveLayouts(smaller, m_key);
    // Nothing deleted: the former third layout and extra icons stay.
    EXPECT_EQ(Get("Title", "Title[2]").data, Bytes("L2"));
    EXPECT_EQ(Get("Pos", "Number[2]").data, DwordBytes(3));
    EXPECT_EQ(Get("Pos", "Name[0][2]").data, Bytes("n2"));
    EXPECT_EQ(Load(), Dump(smaller));
}

// A hand-written store: values put one by one, then loaded.
struct StoredValue {
    const char* section;
    const char* name;
    DWORD type;
    std::vector<uint8_t> data;
};

struct DamageCase {
    const char* what;
    std::vector<StoredValue> values;
    const char* expected;
};

StoredValue Dw(const char* section, const char* name, uint32_t value) {
    return {section, name, REG_DWORD, DwordBytes(value)};
}
StoredValue Sz(const char* section, const char* name, const char* text) {
    return {section, name, REG_SZ, Bytes(text)};
}

TEST_F(LayoutPersistence, DamagedStoresLoadWhatIsStored) {
    const DamageCase cases[] = {
        {"negative count",
         {Dw("Title", "Number", 0xFFFFFFFF), Sz("Title", "Title[0]", "a"),
          Dw("Pos", "Number[0]", 1), Dw("Pos", "Pos[0][0]", 1), Sz("Pos", "Name[0][0]", "x")},
         "0 layouts\n"},
        {"negative icon count",
         {Dw("Title", "Number", 2), Sz("Title", "Title[0]", "a"),
          Dw("Pos", "Number[0]", 0x80000000u), Sz("Title", "Title[1]", "b"),
          Dw("Pos", "Number[1]", 1), Dw("Pos", "Pos[1][0]", 7), Sz("Pos", "Name[1][0]", "y")},
         "2 layouts\n0 [a] 0:\n1 [b] 1: 7=y\n"},
        {"count larger than the layouts present",
         {Dw("Title", "Number", 5), Sz("Title", "Title[0]", "a"), Dw("Pos", "Number[0]", 1),
          Dw("Pos", "Pos[0][0]", 3), Sz("Pos", "Name[0][0]", "x"), Sz("Title", "Title[1]", "b"),
          Dw("Pos", "Number[1]", 0)},
         "1 layouts\n0 [a] 1: 3=x\n"},
        {"missing values read as defaults",
         {Dw("Title", "Number", 3), Dw("Pos", "Number[0]", 2), Sz("Pos", "Name[0][0]", "x"),
          Dw("Pos", "Pos[0][1]", 9), Sz("Title", "Title[2]", "c"), Dw("Pos", "Number[2]", 2),
          Dw("Pos", "Pos[2][0]", 4), Sz("Pos", "Name[2][0]", "z")},
         "3 layouts\n0 [] 2: 0=x 9=\n1 [] 0:\n2 [c] 2: 4=z 0=\n"},
        {"wrong types",
         {Sz("Title", "Number", "\x02"),
          Dw("Title", "Title[0]", 0x00636261),
          {"Pos", "Number[0]", REG_BINARY, {1}},
          Sz("Pos", "Pos[0][0]", "abcdef"),
          {"Pos", "Name[0][0]", REG_BINARY, {'q', 0, 'r'}},
          Sz("Title", "Title[1]", "b"),
          Sz("Pos", "Number[1]", "\x01"),
          Sz("Pos", "Pos[1][0]", "\x05"),
          Dw("Pos", "Name[1][0]", 0)},
         "2 layouts\n0 [abc] 1: 0=q\n1 [b] 1: 5=\n"},
        // Counts stored but not as counts (hand edits) would read as 0 and hide every
        // layout, and the next save would write that 0 over them.
        {"layout count as a long string",
         {Sz("Title", "Number", "2 layouts"), Sz("Title", "Title[0]", "a"),
          Dw("Pos", "Number[0]", 1), Dw("Pos", "Pos[0][0]", 1), Sz("Pos", "Name[0][0]", "x"),
          Sz("Title", "Title[1]", "b"), Dw("Pos", "Number[1]", 1), Dw("Pos", "Pos[1][0]", 2),
          Sz("Pos", "Name[1][0]", "y")},
         "2 layouts\n0 [a] 1: 1=x\n1 [b] 1: 2=y\n"},
        {"counts as a QWORD and as long binary data",
         {{"Title", "Number", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}},
          Sz("Title", "Title[0]", "a"),
          {"Pos", "Number[0]", REG_BINARY, {2, 0, 0, 0, 0}},
          Dw("Pos", "Pos[0][0]", 1),
          Sz("Pos", "Name[0][0]", "x"),
          Dw("Pos", "Pos[0][1]", 2),
          Sz("Pos", "Name[0][1]", "y")},
         "1 layouts\n0 [a] 2: 1=x 2=y\n"},
        {"huge layout count",
         {Dw("Title", "Number", 0x7FFFFFFF), Sz("Title", "Title[0]", "a"),
          Dw("Pos", "Number[0]", 1), Dw("Pos", "Pos[0][0]", 1), Sz("Pos", "Name[0][0]", "x"),
          Sz("Title", "Title[1]", "b"), Dw("Pos", "Number[1]", 1), Dw("Pos", "Pos[1][0]", 2),
          Sz("Pos", "Name[1][0]", "y")},
         "2 layouts\n0 [a] 1: 1=x\n1 [b] 1: 2=y\n"},
        {"huge icon counts do not starve later layouts",
         {Dw("Title", "Number", 0x7FFFFFFF), Sz("Title", "Title[0]", "a"),
          Dw("Pos", "Number[0]", 0x7FFFFFFF), Dw("Pos", "Pos[0][0]", 1),
          Sz("Pos", "Name[0][0]", "x"), Sz("Title", "Title[1]", "b"),
          Dw("Pos", "Number[1]", 0x7FFFFFFF), Dw("Pos", "Pos[1][0]", 2),
          Sz("Pos", "Name[1][0]", "y"), Dw("Pos", "Pos[1][1]", 3), Sz("Title", "Title[2]", "c"),
          Dw("Pos", "Number[2]", 1), Dw("Pos", "Pos[2][0]", 4), Sz("Pos", "Name[2][0]", "z")},
         "3 layouts\n0 [a] 1: 1=x\n1 [b] 2: 2=y 3=\n2 [c] 1: 4=z\n"},
        {"huge counts with nothing stored",
         {Dw("Title", "Number", 0x7FFFFFFF), Dw("Pos", "Number[0]", 0x7FFFFFFF)},
         "0 layouts\n"},
        {"small gaps are read through",
         {Dw("Title", "Number", 3), Sz("Title", "Title[0]", "a"), Dw("Pos", "Number[0]", 3),
          Dw("Pos", "Pos[0][0]", 1), Sz("Pos", "Name[0][2]", "far"), Sz("Title", "Title[2]", "c"),
          Dw("Pos", "Number[2]", 1), Dw("Pos", "Pos[2][0]", 2), Sz("Pos", "Name[2][0]", "z")},
         "3 layouts\n0 [a] 3: 1= 0= 0=far\n1 [] 0:\n2 [c] 1: 2=z\n"},
    };
    for (const DamageCase& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        for (const StoredValue& v : c.values) Put(v.section, v.name, v.type, v.data);
        CLayoutStore store;
        LoadLayouts(store, m_key);
        EXPECT_EQ(Dump(store), c.expected) << c.what;
        // Whatever was loaded saves and loads back unchanged.
        SaveLayouts(store, m_key);
        EXPECT_EQ(Load(), Dump(store)) << c.what;
    }
}

TEST_F(LayoutPersistence, HugeCountsOverManyLayoutsStayBounded) {
    // 300 layouts, each claiming 0x7FFFFFFF icons but holding 2: a loop over the
    // counts would never end; the load must give exactly what is stored.
    const int layouts = 300;
    std::string expected = std::to_string(layouts) + " layouts\n";
    PutDword("Title", "Number", 0x7FFFFFFF);
    for (int i = 0; i < layouts; ++i) {
        const std::string n = std::to_string(i);
        PutString("Title", "Title[" + n + "]", ("t" + n).c_str());
        PutDword("Pos", "Number[" + n + "]", 0x7FFFFFFF);
        PutDword("Pos", "Pos[" + n + "][0]", 0x10);
        PutString("Pos", "Name[" + n + "][0]", "a");
        PutDword("Pos", "Pos[" + n + "][1]", 0x20);
        PutString("Pos", "Name[" + n + "][1]", "b");
        expected += n + " [t" + n + "] 2: 10=a 20=b\n";
    }
    EXPECT_EQ(Load(), expected);
}

}  // namespace

namespace {

// Slots marked complete that an older version had begun to remove (it deleted the slot's
// tree with its marker last) after writing them into the key: the key is listed, and
// the slots are removed. A slot of no layouts, which has no "Pos", is still a store.
TEST_F(LayoutPersistence, ACompleteSlotWithSectionsGoneIsRemovedNotListed) {
    CLayoutStore before, staged, none;
    FillWorkedExample(before);
    staged.SetTitle(0, "Staged");
    staged.AddIconXY(0, 1, 2, "Notes");
    struct Case {
        const char* name;
        const char* slot;
        const CLayoutStore* stored;
        std::vector<const char*> gone;  // sections of the slot removed
        const char* olderWhole;         // another slot, complete and whole, older
        const CLayoutStore* listed;
    };
    const Case cases[] = {
        {"Pos gone", "Saving", &staged, {"Pos"}, nullptr, &before},
        {"Pos and Title gone", "Saving.2", &staged, {"Pos", "Title"}, nullptr, &before},
        {"newer slot begun beside an older whole one",
         "Saving.2",
         &staged,
         {"Pos"},
         "Saving",
         &before},
        {"no layouts, no Pos", "Saving", &none, {}, nullptr, &none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        ASSERT_TRUE(SaveLayouts(before, m_key));
        if (c.olderWhole) {
            ASSERT_TRUE(SaveLayouts(staged, Path(c.olderWhole)));
            PutDword(c.olderWhole, "Complete", 1);
        }
        ASSERT_TRUE(SaveLayouts(*c.stored, Path(c.slot)));
        PutDword(c.slot, "Complete", 2);
        for (const char* section : c.gone)
            RegDeleteTreeA(HKEY_CURRENT_USER, Path(std::string(c.slot) + "\\" + section).c_str());
        CLayoutStore loaded;
        EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
        EXPECT_EQ(Dump(loaded), Dump(*c.listed));
        EXPECT_FALSE(KeyExists("Saving"));
        EXPECT_FALSE(KeyExists("Saving.2"));
        EXPECT_EQ(Load(), Dump(*c.listed)) << "the key holds what was listed";
    }
}

}  // namespace

namespace {

// Two complete slots, as a save kept while the key refused writes leaves them beside the
// save before it: the newer generation, told by serial-number arithmetic (the one after
// 0xFFFFFFFF is 1), is listed and written into the key, whichever slot holds it.
TEST_F(LayoutPersistence, TheNewestCompleteSlotIsTakenAcrossTheGenerationWrap) {
    CLayoutStore before, older, newer;
    FillWorkedExample(before);
    older.SetTitle(0, "Older");
    older.AddIconXY(0, 1, 2, "Notes");
    newer.SetTitle(0, "Newer");
    newer.AddIconXY(0, 3, 4, "Mail");
    newer.AddIconXY(0, 5, 6, "Notes");
    struct Case {
        uint32_t older, newer;
    };
    const Case cases[] = {
        {1, 2}, {0xFFFFFFFE, 0xFFFFFFFF}, {0xFFFFFFFF, 1}, {0x7FFFFFFF, 0x80000000}};
    for (const Case& c : cases) {
        for (const bool newerInSaving : {false, true}) {
            SCOPED_TRACE(std::to_string(c.older) + " then " + std::to_string(c.newer) +
                         (newerInSaving ? ", the newer in Saving" : ", the newer in Saving.2"));
            RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
            ASSERT_TRUE(SaveLayouts(before, m_key));
            const char* newerSlot = newerInSaving ? "Saving" : "Saving.2";
            const char* olderSlot = newerInSaving ? "Saving.2" : "Saving";
            ASSERT_TRUE(SaveLayouts(older, Path(olderSlot)));
            PutDword(olderSlot, "Complete", c.older);
            ASSERT_TRUE(SaveLayouts(newer, Path(newerSlot)));
            PutDword(newerSlot, "Complete", c.newer);
            CLayoutStore loaded;
            EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
            EXPECT_EQ(Dump(loaded), Dump(newer));
            EXPECT_FALSE(KeyExists("Saving"));
            EXPECT_FALSE(KeyExists("Saving.2"));
            EXPECT_EQ(Load(), Dump(newer)) << "the key holds what was listed";
        }
    }
}

}  // namespace

namespace {

// The worked example with a path on the first icon of each layout; the second layout's
// has characters outside code page 932 (an e acute, an emoji as a surrogate pair).
void FillWorkedExampleWithPaths(CLayoutStore& store) {
    FillWorkedExample(store);
    store.SetIconPath(0, 0, L"C:\\Users\\me\\Desktop\\Notes.txt");
    store.SetIconPath(1, 0, L"::{\U0001F600}caf\u00E9");
}

std::vector<uint8_t> Utf16(const std::u16string& units) {
    std::vector<uint8_t> bytes;
    for (const char16_t u : units + u'\0') {
        bytes.push_back(static_cast<uint8_t>(u));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

TEST_F(LayoutPersistence, PathsAreWrittenWithTheirCheckAndLoadBack) {
    CLayoutStore store;
    FillWorkedExampleWithPaths(store);
    ASSERT_TRUE(SaveLayouts(store, m_key));
    const std::vector<uint8_t> notes = Utf16(u"C:\\Users\\me\\Desktop\\Notes.txt");
    const std::vector<uint8_t> emoji = Utf16(u"::{\U0001F600}caf\u00E9");
    const ExpectedWrite expected[] = {
        {"Title", "Number", REG_DWORD, DwordBytes(2)},
        {"Title", "Title[0]", REG_SZ, Bytes("Work")},
        {"Pos", "Number[0]", REG_DWORD, DwordBytes(2)},
        {"Pos", "PathCheck[0]", REG_DWORD, DwordBytes(0xFA809E8D)},
        {"Pos", "Pos[0][0]", REG_DWORD, DwordBytes(0x0014000A)},
        {"Pos", "Name[0][0]", REG_SZ, Bytes("Notes")},
        {"Pos", "Path[0][0]", REG_SZ, notes},
        {"Pos", "Pos[0][1]", REG_DWORD, DwordBytes(0x005F000A)},
        {"Pos", "Name[0][1]", REG_SZ, Bytes("Mail")},
        {"Title", "Title[1]", REG_SZ, Bytes("Home")},
        {"Pos", "Number[1]", REG_DWORD, DwordBytes(1)},
        {"Pos", "PathCheck[1]", REG_DWORD, DwordBytes(0xE485C8B9)},
        {"Pos", "Pos[1][0]", REG_DWORD, DwordBytes(0x000AFFFB)},
        {"Pos", "Name[1][0]", REG_SZ, Bytes("Notes")},
        {"Pos", "Path[1][0]", REG_SZ, emoji},
    };
#ifndef _WIN32
    // Staged kind by kind, checks and paths between the counts and the places; then
    // the key's own in order, each layout's check before its paths.
    const auto& writes = regstub::Writes();
    const size_t n = std::size(expected);
    const size_t stagedOrder[] = {0, 1, 9, 5, 8, 13, 2, 10, 3, 11, 6, 14, 4, 7, 12};
    ASSERT_EQ(writes.size(), 2 * n + 1);
    for (size_t k = 0; k < n; ++k) {
        const ExpectedWrite& staged = expected[stagedOrder[k]];
        for (const auto& [at, w, section] :
             {std::tuple{k, &staged, "Saving\\" + std::string(staged.section)},
              std::tuple{n + 1 + k, &expected[k], std::string(expected[k].section)}}) {
            EXPECT_EQ(writes[at].keyPath, "HKEY_CURRENT_USER\\" + Path(section)) << at;
            EXPECT_EQ(writes[at].name, w->name) << at;
            EXPECT_EQ(writes[at].type, w->type) << at;
            EXPECT_EQ(writes[at].data, w->data) << at;
        }
    }
    EXPECT_EQ(writes[n].name, "Complete");
#endif
    for (const ExpectedWrite& w : expected) {
        if (std::string(w.name).rfind("Path[", 0) != 0)
            ExpectValue(w.section, w.name, w.type, w.data);
    }
    ExpectWideValue("Pos", "Path[1][0]", u"::{\U0001F600}caf\u00E9");
    ExpectValue("Pos", "PathCheck[0]", REG_DWORD, DwordBytes(0xFA809E8D));
    EXPECT_EQ(PathNames(ValueNames("Pos")), PathNamesOf(store));
    EXPECT_EQ(ValueCount("Pos"), 12u);
#ifndef _WIN32
    regstub::ClearLog();
#endif
    CLayoutStore loaded;
    EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(loaded), Dump(store));
    EXPECT_EQ(loaded.GetIconPath(1, 0), store.GetIconPath(1, 0));
#ifndef _WIN32
    EXPECT_EQ(regstub::KeyOpenCount(), 5u) << "paths are read where the icons are";
#endif
}

class LayoutPaths : public LayoutPersistence {
protected:
    // What a copy of the program that knows no paths leaves when it saves `store` over
    // the key: the plain values written, nothing deleted.
    void SaveAsOlderCopy(const CLayoutStore& store) {
        CLayoutStore plain;
        CopyWithoutPaths(store, plain);
        CProfileStore profile;
        ASSERT_EQ(profile.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
        ASSERT_TRUE(WriteLayouts(profile, plain, WriteOrder::kLayoutByLayout));
    }
};

// The paths of a layout whose check is missing or no longer matches (rewritten by an
// older copy, or edited) are ignored; the layout loads as before, and the next save
// leaves no path value of it.
TEST_F(LayoutPaths, PathsOfALayoutChangedSinceAreIgnored) {
    CLayoutStore saved;
    for (int id = 0; id < 3; ++id) AddSampleLayout(saved, id, id, 3, true);
    enum class Change { kOlderCopy, kCheckDeleted, kCheckAsText, kPathEdited, kPathDeleted };
    struct Case {
        const char* what;
        Change change;
        // The layouts listed (by the id of AddSampleLayout), and an icon added to one.
        std::vector<int> ids;
        int iconAddedTo;
        const char* title;      // the last layout's new title, or null
        std::vector<int> keep;  // the layouts listed with their paths
        // Path values that stay beside those of the store saved next: with its check
        // gone by hand, nothing tells that a layout has paths (short of listing every
        // value). They are never read, and go once the layout has paths again.
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {"an older copy saves it unchanged", Change::kOlderCopy, {0, 1, 2}, -1, nullptr, {0, 1, 2}},
        {"an older copy deletes the first layout", Change::kOlderCopy, {1, 2}, -1, nullptr, {}},
        {"an older copy adds an icon to the second",
         Change::kOlderCopy,
         {0, 1, 2},
         1,
         nullptr,
         {0, 2}},
        {"an older copy renames the last", Change::kOlderCopy, {0, 1, 2}, -1, "renamed", {0, 1}},
        {"the first check deleted",
         Change::kCheckDeleted,
         {0, 1, 2},
         -1,
         nullptr,
         {1, 2},
         {"Path[0][0]", "Path[0][2]"}},
        {"the second check stored as text", Change::kCheckAsText, {0, 1, 2}, -1, nullptr, {0, 2}},
        {"a path of the last edited", Change::kPathEdited, {0, 1, 2}, -1, nullptr, {0, 1}},
        {"a path of the first deleted", Change::kPathDeleted, {0, 1, 2}, -1, nullptr, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        ASSERT_TRUE(SaveLayouts(saved, m_key));
        CLayoutStore listed;
        for (size_t k = 0; k < c.ids.size(); ++k) {
            const int at = static_cast<int>(k);
            AddSampleLayout(listed, at, c.ids[k], 3);
            if (at == c.iconAddedTo) listed.AddIconXY(at, 0, 0, "added");
        }
        if (c.title) listed.SetTitle(listed.GetCount() - 1, c.title);
        UniqueRegKey pos;
        ASSERT_TRUE(CreateRegistryKey(pos, HKEY_CURRENT_USER, Path("Pos").c_str(), KEY_WRITE));
        switch (c.change) {
            case Change::kOlderCopy:
                SaveAsOlderCopy(listed);
                break;
            case Change::kCheckDeleted:
                ASSERT_EQ(RegDeleteValueA(pos.Get(), "PathCheck[0]"), ERROR_SUCCESS);
                break;
            case Change::kCheckAsText:
                Put("Pos", "PathCheck[1]", REG_SZ, DwordBytes(LayoutPathCheck(saved, 1)));
                break;
            case Change::kPathEdited:
                PutString("Pos", "Path[2][2]", "C:\\elsewhere");
                break;
            case Change::kPathDeleted:
                ASSERT_EQ(RegDeleteValueA(pos.Get(), "Path[0][2]"), ERROR_SUCCESS);
                break;
        }
        pos.Reset();
        for (const int i : c.keep) {
            for (int j = 0; j < listed.GetIconCount(i); ++j)
                listed.SetIconPath(i, j, saved.GetIconPath(c.ids[static_cast<size_t>(i)], j));
        }
        CLayoutStore loaded;
        EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
        EXPECT_EQ(Dump(loaded), Dump(listed));
        ASSERT_TRUE(SaveLayouts(loaded, m_key));
        std::vector<std::string> names = PathNamesOf(loaded);
        names.insert(names.end(), c.left.begin(), c.left.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(PathNames(ValueNames("Pos")), names) << "a path value left from before";
        EXPECT_EQ(Load(), Dump(listed));
        if (c.left.empty()) continue;
        // The layout given paths again: nothing is left.
        for (int j = 0; j < loaded.GetIconCount(0); ++j) loaded.SetIconPath(0, j, L"again");
        loaded.SetIconPath(0, 0, L"");
        ASSERT_TRUE(SaveLayouts(loaded, m_key));
        EXPECT_EQ(PathNames(ValueNames("Pos")), PathNamesOf(loaded));
    }
}

// After every save the key holds the Path and PathCheck values of the store saved and no
// other: those of layouts deleted, renumbered or shortened, of icons whose path was
// taken away, and of layouts an older copy dropped meanwhile all go.
TEST_F(LayoutPaths, NoPathValueOutlivesItsLayoutOrIcon) {
    CLayoutStore store;
    for (int id = 0; id < 4; ++id) AddSampleLayout(store, id, id, 2 + id, true);
    const auto saveAndCheck = [&](const char* what) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(SaveLayouts(store, m_key));
        EXPECT_EQ(PathNames(ValueNames("Pos")), PathNamesOf(store));
        EXPECT_EQ(Load(), Dump(store));
    };
    saveAndCheck("first save");
    store.RemoveLayout(1);
    saveAndCheck("the second layout deleted, the later ones renumbered");
    store.SetIconPath(0, 0, L"");
    store.SetIconPath(2, 2, L"");
    saveAndCheck("two paths taken away");
    for (int j = 0; j < store.GetIconCount(1); ++j) store.SetIconPath(1, j, L"");
    saveAndCheck("every path of a layout taken away");
    CLayoutStore shorter;
    AddSampleLayout(shorter, 0, 0, 1, true);
    AddSampleLayout(shorter, 1, 5, 1);
    store.RemoveAll();
    CopyLayouts(shorter, store, [](int) { return true; });
    saveAndCheck("fewer icons, and no paths in the second");
    // An older copy drops layouts meanwhile: its smaller counts hide nothing.
    CLayoutStore many;
    for (int id = 0; id < 5; ++id) AddSampleLayout(many, id, id, 4, true);
    store.RemoveAll();
    CopyLayouts(many, store, [](int) { return true; });
    saveAndCheck("five layouts with paths");
    CLayoutStore one;
    AddSampleLayout(one, 0, 9, 1);
    SaveAsOlderCopy(one);
    store.RemoveAll();
    CopyLayouts(one, store, [](int) { return true; });
    saveAndCheck("after an older copy kept one layout");
    store.RemoveAll();
    saveAndCheck("every layout deleted");
    EXPECT_TRUE(PathNames(ValueNames("Pos")).empty());
}

}  // namespace
