// Tests of the in-memory layout store: packing, neutral out-of-range results, counting
// with null slots, lookups, paths and removal.
#include <gtest/gtest.h>

#include "store/layout_store.h"

namespace {

TEST(PackIconPos, PacksAndUnpacksSixteenBitCoordinates) {
    struct Case {
        int32_t x, y;
        uint32_t packed;
        int32_t backX, backY;
    };
    const Case cases[] = {
        {100, 200, 0x00C80064, 100, 200},
        {-5, 10, 0x000AFFFB, -5, 10},
        {10, -3, 0xFFFD000A, 10, -3},
        {40000, 0, 0x00009C40, -25536, 0},
        {-32768, 32767, 0x7FFF8000, -32768, 32767},
        {0, 0, 0, 0, 0},
        {-1, -1, 0xFFFFFFFF, -1, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PackIconPos(c.x, c.y), c.packed) << c.x << "," << c.y;
        int32_t x = 99, y = 99;
        UnpackIconPos(c.packed, x, y);
        EXPECT_EQ(x, c.backX);
        EXPECT_EQ(y, c.backY);
    }
}

TEST(LayoutStore, EmptyStoreGivesNeutralResults) {
    CLayoutStore store;
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetTitle(0), "");
    EXPECT_EQ(store.GetIconCount(0), 0);
    EXPECT_EQ(store.GetPackedPos(0, 0), 0u);
    int32_t x = 7, y = 7;
    store.GetIconPos(0, 0, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(store.GetIconName(0, 0), nullptr);
    EXPECT_EQ(store.FindTitle(""), -1);
}

TEST(LayoutStore, CountIsTheSmallerOfTitlesAndPositionLists) {
    CLayoutStore store;
    store.SetTitle(3, "late");
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetTitle(1), "");
    EXPECT_EQ(store.GetTitle(3), "late");
    EXPECT_EQ(store.FindTitle("late"), -1) << "a title without icons is no layout";

    CLayoutStore two;
    for (int i = 0; i < 3; ++i) two.SetTitle(i, std::string(1, static_cast<char>('a' + i)).c_str());
    two.AddIconXY(0, 1, 1, "x");
    two.AddIconXY(1, 2, 2, "y");
    EXPECT_EQ(two.GetCount(), 2);
    EXPECT_EQ(two.GetIconCount(2), 0);
    EXPECT_EQ(two.FindTitle("c"), -1);
    two.SetTitle(2, "c");
    two.AddIconXY(2, 3, 3, "z");
    EXPECT_EQ(two.GetCount(), 3);
    EXPECT_EQ(two.FindTitle("c"), 2);
}

TEST(LayoutStore, AddIconBeyondTheEndLeavesNullSlots) {
    CLayoutStore store;
    for (int i = 0; i < 4; ++i) store.SetTitle(i, "t");
    store.AddIcon(0, 0x00010002, "first");
    store.AddIcon(3, 0x00030004, "fourth");
    EXPECT_EQ(store.GetCount(), 4);
    EXPECT_EQ(store.GetIconCount(1), 0);
    EXPECT_EQ(store.GetIconCount(2), 0);
    EXPECT_EQ(store.GetIconName(1, 0), nullptr);
    EXPECT_EQ(store.GetPackedPos(2, 0), 0u);
    EXPECT_EQ(store.GetIconCount(3), 1);
    EXPECT_EQ(store.GetPackedPos(3, 0), 0x00030004u);
    EXPECT_STREQ(store.GetIconName(3, 0), "fourth");
    // A null slot is filled in place when the layout receives its first icon.
    store.AddIconXY(1, -5, 10, "second");
    EXPECT_EQ(store.GetPackedPos(1, 0), 0x000AFFFBu);
    EXPECT_EQ(store.GetIconCount(3), 1);
}

TEST(LayoutStore, IconAccessorsBoundsAndCopies) {
    CLayoutStore store;
    store.SetTitle(0, "Work");
    std::string name = "Notes";
    store.AddIconXY(0, 10, 20, name.c_str());
    name = "changed";  // the store keeps its own copy
    store.AddIconXY(0, 10, -3, "Mail");
    EXPECT_EQ(store.GetIconCount(0), 2);
    EXPECT_STREQ(store.GetIconName(0, 0), "Notes");
    int32_t x = 0, y = 0;
    store.GetIconPos(0, 1, x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, -3);
    EXPECT_EQ(store.GetPackedPos(0, 2), 0u);
    EXPECT_EQ(store.GetPackedPos(0, -1), 0u);
    EXPECT_EQ(store.GetIconName(0, 2), nullptr);
    EXPECT_EQ(store.GetIconName(-1, 0), nullptr);
    EXPECT_EQ(store.GetIconCount(-1), 0);
    EXPECT_EQ(store.GetTitle(-1), "");
}

TEST(LayoutStore, FindTitleIsExactAndFirstWins) {
    CLayoutStore store;
    const char* titles[] = {"Home", "home", "Home", "1024x768"};
    for (int i = 0; i < 4; ++i) {
        store.SetTitle(i, titles[i]);
        store.AddIconXY(i, i, i, "n");
    }
    EXPECT_EQ(store.FindTitle("Home"), 0);
    EXPECT_EQ(store.FindTitle("home"), 1);
    EXPECT_EQ(store.FindTitle("HOME"), -1);
    EXPECT_EQ(store.FindTitle("Hom"), -1);
    EXPECT_EQ(store.FindTitle("1024x768"), 3);
}

TEST(LayoutStore, RemoveLayoutShiftsLaterLayoutsDown) {
    CLayoutStore store;
    for (int i = 0; i < 3; ++i) {
        store.SetTitle(i, std::to_string(i).c_str());
        for (int j = 0; j <= i; ++j) store.AddIconXY(i, i, j, ("n" + std::to_string(i)).c_str());
    }
    store.RemoveLayout(0);
    ASSERT_EQ(store.GetCount(), 2);
    EXPECT_EQ(store.GetTitle(0), "1");
    EXPECT_EQ(store.GetIconCount(0), 2);
    EXPECT_STREQ(store.GetIconName(0, 1), "n1");
    EXPECT_EQ(store.GetTitle(1), "2");
    EXPECT_EQ(store.GetIconCount(1), 3);
    EXPECT_EQ(store.GetPackedPos(1, 2), PackIconPos(2, 2));
    store.RemoveLayout(1);
    EXPECT_EQ(store.GetCount(), 1);
    store.RemoveAll();
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetTitle(0), "");
    EXPECT_EQ(store.GetIconName(0, 0), nullptr);
}

TEST(LayoutStore, RemoveLayoutOfAMiddleLayoutWithoutIcons) {
    CLayoutStore store;
    for (int i = 0; i < 3; ++i) store.SetTitle(i, std::to_string(i).c_str());
    store.AddIconXY(0, 0, 0, "a");
    store.AddIconXY(2, 2, 2, "c");  // slot 1 stays null
    store.RemoveLayout(1);
    ASSERT_EQ(store.GetCount(), 2);
    EXPECT_EQ(store.GetTitle(1), "2");
    EXPECT_STREQ(store.GetIconName(1, 0), "c");
}

TEST(LayoutStore, PathsBelongToExistingIconsOnly) {
    CLayoutStore store;
    for (int i = 0; i < 3; ++i) store.SetTitle(i, "t");
    store.AddIconXY(0, 1, 1, "a");
    store.AddIconXY(0, 2, 2, "b");
    store.AddIconXY(2, 3, 3, "c");  // layout 1 has no icons
    store.SetTitle(3, "no icons, not counted");
    const std::wstring path = L"C:\\Users\\x\\Desktop\\caf\u00E9 \U0001F600.txt";
    // None of these addresses an icon.
    for (const auto& [i, j] : {std::pair{0, 2}, {0, -1}, {1, 0}, {3, 0}, {-1, 0}, {5, 0}})
        store.SetIconPath(i, j, L"nowhere");
    store.SetIconPath(0, 1, path);
    EXPECT_EQ(store.GetIconPath(0, 1), path);
    EXPECT_EQ(store.GetIconPath(0, 0), L"");
    for (const auto& [i, j] : {std::pair{0, 2}, {1, 0}, {3, 0}, {-1, 0}, {5, 0}, {2, 0}})
        EXPECT_EQ(store.GetIconPath(i, j), L"") << i << "," << j;
    // An icon added later has none; a path ends at its first NUL; empty clears it.
    store.AddIconXY(0, 4, 4, "d");
    EXPECT_EQ(store.GetIconPath(0, 2), L"");
    store.SetIconPath(0, 2, std::wstring(L"::{CLSID}\0tail", 15));
    EXPECT_EQ(store.GetIconPath(0, 2), L"::{CLSID}");
    store.SetIconPath(0, 1, L"");
    EXPECT_EQ(store.GetIconPath(0, 1), L"");
    EXPECT_EQ(store.GetIconPath(0, 2), L"::{CLSID}");
}

TEST(LayoutStore, PathsFollowTheirLayoutThroughRemoval) {
    CLayoutStore store;
    for (int i = 0; i < 4; ++i) {
        store.SetTitle(i, std::to_string(i).c_str());
        store.AddIconXY(i, i, 0, "n");
        store.AddIconXY(i, i, 1, "m");
    }
    store.SetIconPath(1, 1, L"one");
    store.SetIconPath(3, 0, L"three");  // layout 2 has no paths, and no list for them
    store.RemoveLayout(0);
    EXPECT_EQ(store.GetIconPath(0, 1), L"one");
    EXPECT_EQ(store.GetIconPath(2, 0), L"three");
    store.RemoveLayout(1);
    EXPECT_EQ(store.GetIconPath(0, 1), L"one");
    EXPECT_EQ(store.GetIconPath(1, 0), L"three");
    EXPECT_EQ(store.GetIconPath(2, 0), L"");
    store.RemoveLayout(0);
    EXPECT_EQ(store.GetIconPath(0, 0), L"three");
    store.RemoveAll();
    EXPECT_EQ(store.GetIconPath(0, 0), L"");
    store.SetTitle(0, "again");
    store.AddIconXY(0, 0, 0, "n");
    EXPECT_EQ(store.GetIconPath(0, 0), L"") << "a new layout at a removed one's index";
}

}  // namespace
