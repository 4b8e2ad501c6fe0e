// The test desktop behaves as Explorer does where Wine's list view does not: while it
// snaps to its grid, a position it is told (by either list-view message from another
// process, or through its view object) goes to the nearest free grid point; under auto
// arrange such a position moves nothing; its view object's folder flags follow the list
// view's auto arrange both ways and are kept over a restart; and a desktop that keeps
// arranging does not let auto arrange go.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/desktop_view.h"
#include "tools/test_desktop/view_object/registration.h"
#include "win/com.h"
#include "win/unique_handle.h"

namespace {

using testdesk::TestDesktop;
using testdesk::TestItem;

struct Place {
    long x, y;
    bool operator==(const Place& o) const { return x == o.x && y == o.y; }
};
void PrintTo(const Place& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

std::vector<Place> Places(const TestDesktop& desk) {
    std::vector<Place> places;
    for (const TestItem& item : desk.Items()) places.push_back({item.x, item.y});
    return places;
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
    return text;
}

// The three ways a position reaches the desktop.
enum class Route { kMessage, kMessage32, kViewObject };
const char* RouteName(Route r) {
    return r == Route::kMessage     ? "LVM_SETITEMPOSITION"
           : r == Route::kMessage32 ? "LVM_SETITEMPOSITION32"
                                    : "SelectAndPositionItems";
}

class TestDesktopArrange : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com);
        ASSERT_TRUE(registration.Ok());
    }

    // Items at grid points (column, row) of the desktop's spacing, read once it runs.
    void Start(testdesk::TestDesktopOptions options,
               const std::vector<std::pair<int, int>>& cells = {{1, 1}, {3, 1}, {1, 3}}) {
        options.viewObject = testdesk::ViewObjectMode::kSameOrder;
        std::vector<TestItem> items;
        for (size_t i = 0; i < cells.size(); ++i)
            items.push_back({0, 0, "item-" + std::to_string(i)});
        desk = std::make_unique<TestDesktop>(items, options);
        ASSERT_TRUE(desk->Ready());
        const auto spacing =
            static_cast<DWORD>(SendMessageA(desk->ListView(), LVM_GETITEMSPACING, FALSE, 0));
        cx = LOWORD(spacing);
        cy = HIWORD(spacing);
        ASSERT_GT(cx, 20);
        ASSERT_GT(cy, 20);
        // Laid out by list-view messages, as a user's desktop may stand.
        for (size_t i = 0; i < cells.size(); ++i)
            Move(Route::kMessage, static_cast<int>(i), Grid(cells[i].first, cells[i].second));
        ASSERT_TRUE(OpenView());
    }

    bool OpenView() {
        view2.Reset();
        view.Reset();
        win::UniqueCom<IShellView> shellView = testdesk::FindDesktopShellView();
        return shellView && SUCCEEDED(shellView.QueryTo(view)) &&
               SUCCEEDED(shellView.QueryTo(view2));
    }

    bool Restart() { return desk->Restart() && OpenView(); }

    Place Grid(int column, int row) const { return {column * cx, row * cy}; }

    // Tells the desktop to put item `index` at `pt` by `route`; what the list view
    // answered (the view object's S_OK as TRUE).
    LRESULT Move(Route route, int index, Place pt) const {
        HWND lv = desk->ListView();
        if (route == Route::kMessage)
            return SendMessageA(lv, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                                MAKELPARAM(pt.x, pt.y));
        if (route == Route::kMessage32) {
            // The point in the desktop's memory, as a program in another process sends it.
            win::UniqueHandle process(
                OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, desk->ProcessId()));
            void* remote = process ? VirtualAllocEx(process.Get(), nullptr, sizeof(POINT),
                                                    MEM_COMMIT, PAGE_READWRITE)
                                   : nullptr;
            const POINT p = {pt.x, pt.y};
            if (!remote || !WriteProcessMemory(process.Get(), remote, &p, sizeof p, nullptr))
                return -1;
            const LRESULT r = SendMessageA(lv, LVM_SETITEMPOSITION32, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(remote));
            VirtualFreeEx(process.Get(), remote, 0, MEM_RELEASE);
            return r;
        }
        win::UniqueCoTaskMem<ITEMID_CHILD> item;
        if (!view || FAILED(view->Item(index, item.Put()))) return -1;
        POINT p = {pt.x, pt.y};
        PCUITEMID_CHILD items[] = {item.Get()};
        return view->SelectAndPositionItems(1, items, &p, SVSI_POSITIONITEM) == S_OK;
    }

    DWORD ViewFlags() const {
        DWORD flags = 0xFFFFFFFF;
        EXPECT_EQ(view2->GetCurrentFolderFlags(&flags), S_OK);
        return flags;
    }

    void SetStyle(DWORD style) const {
        SetWindowLongPtrA(desk->ListView(), GWL_STYLE, static_cast<LONG_PTR>(style));
    }

    win::ComApartment com{COINIT_APARTMENTTHREADED};
    testdesk::ViewObjectRegistration registration;
    std::unique_ptr<TestDesktop> desk;
    win::UniqueCom<IFolderView> view;
    win::UniqueCom<IFolderView2> view2;
    long cx = 0, cy = 0;
};

const Route kRoutes[] = {Route::kMessage, Route::kMessage32, Route::kViewObject};

TEST_F(TestDesktopArrange, SnappingPutsEveryToldPositionOnTheNearestFreeGridPoint) {
    testdesk::TestDesktopOptions options;
    options.snapToGrid = true;
    Start(options);  // items 0, 1, 2 at cells (1,1), (3,1), (1,3)
    ASSERT_EQ(Places(*desk), (std::vector<Place>{Grid(1, 1), Grid(3, 1), Grid(1, 3)}));
    struct Case {
        const char* name;
        Place asked;
        Place expected;
    };
    const Case cases[] = {
        {"off the grid: the nearest point", {2 * cx + 20, 2 * cy - 30}, Grid(2, 2)},
        {"onto item 1: of four as near, the upper", Grid(3, 1), Grid(3, 0)},
        {"beside item 1, to its right: the right", {3 * cx + 10, cy}, Grid(4, 1)},
        {"next to its own place", {cx + 5, cy - 5}, Grid(1, 1)},
    };
    for (const Route route : kRoutes) {
        SCOPED_TRACE(RouteName(route));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            ASSERT_EQ(Move(route, 0, Grid(1, 1)), TRUE);
            EXPECT_EQ(Move(route, 0, c.asked), TRUE);
            EXPECT_EQ(Places(*desk), (std::vector<Place>{c.expected, Grid(3, 1), Grid(1, 3)}));
        }
    }
}

TEST_F(TestDesktopArrange, SnappingOffStopsItAndOnAgainMovesNothing) {
    testdesk::TestDesktopOptions options;
    options.snapToGrid = true;
    Start(options);
    ASSERT_TRUE(desk->ListViewExStyle() & LVS_EX_SNAPTOGRID);
    desk->ClearSetPositionLog();
    HWND lv = desk->ListView();
    const Place offGrid = {2 * cx + 20, 2 * cy - 30};

    SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, 0);
    EXPECT_FALSE(desk->ListViewExStyle() & LVS_EX_SNAPTOGRID);
    for (const Route route : kRoutes) {
        SCOPED_TRACE(RouteName(route));
        ASSERT_EQ(Move(route, 0, Grid(1, 1)), TRUE);
        EXPECT_EQ(Move(route, 0, offGrid), TRUE);
        EXPECT_EQ(Places(*desk)[0], offGrid);
    }
    // Onto item 1's very point.
    EXPECT_EQ(Move(Route::kMessage, 2, Grid(3, 1)), TRUE);
    const std::vector<Place> unsnapped = {offGrid, Grid(3, 1), Grid(3, 1)};
    ASSERT_EQ(Places(*desk), unsnapped);

    SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, LVS_EX_SNAPTOGRID);
    EXPECT_TRUE(desk->ListViewExStyle() & LVS_EX_SNAPTOGRID);
    EXPECT_EQ(Places(*desk), unsnapped);
    EXPECT_EQ(Move(Route::kMessage, 0, offGrid), TRUE);
    EXPECT_EQ(Places(*desk)[0], Grid(2, 2));
    EXPECT_EQ(desk->StyleLog(), (std::vector<std::string>{"exstyle 0x00080000 0x00000000",
                                                          "exstyle 0x00080000 0x00080000"}));
}

TEST_F(TestDesktopArrange, AutoArrangeRefusesEveryToldPosition) {
    testdesk::TestDesktopOptions options;
    options.autoArrange = true;
    Start(options);
    const std::vector<Place> before = Places(*desk);  // wherever Wine's own arrange put them
    desk->ClearSetPositionLog();
    for (const Route route : kRoutes) {
        SCOPED_TRACE(RouteName(route));
        const LRESULT answer = Move(route, 0, {before[0].x + 2 * cx, before[0].y + 2 * cy});
        if (route != Route::kViewObject) {
            EXPECT_EQ(answer, FALSE);
        }
        EXPECT_EQ(Places(*desk), before);
    }
    // The message is logged all the same: the program did send it.
    EXPECT_EQ(desk->SetPositionLog().size(), 1u);
}

TEST_F(TestDesktopArrange, FolderFlagsFollowTheListViewsAutoArrangeBothWays) {
    testdesk::TestDesktopOptions options;
    options.autoArrange = true;
    Start(options);
    const DWORD arranged = desk->ListViewStyle();
    ASSERT_TRUE(arranged & LVS_AUTOARRANGE);
    EXPECT_EQ(ViewFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(desk->FolderFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(view->GetAutoArrange(), S_OK);
    desk->ClearSetPositionLog();

    // Told through the view object: the list view's style follows.
    EXPECT_EQ(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, 0), S_OK);
    const DWORD free = arranged & ~LVS_AUTOARRANGE;
    EXPECT_EQ(desk->ListViewStyle(), free);
    EXPECT_EQ(ViewFlags(), DWORD{FWF_DESKTOP});
    EXPECT_EQ(desk->FolderFlags(), DWORD{FWF_DESKTOP});
    EXPECT_EQ(view->GetAutoArrange(), S_FALSE);
    EXPECT_EQ(Move(Route::kMessage, 0, Grid(5, 5)), TRUE);
    EXPECT_EQ(Places(*desk)[0], Grid(5, 5));

    // Set on the list view: the flags follow.
    SetStyle(arranged);
    EXPECT_EQ(ViewFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(desk->FolderFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(desk->StyleLog(),
              (std::vector<std::string>{"style " + Hex(arranged) + " " + Hex(free),
                                        "style " + Hex(free) + " " + Hex(arranged)}));
}

// Kept over a restart: what the view object was told, not what was set on the list view
// alone (as places are kept).
TEST_F(TestDesktopArrange, ToldFolderFlagsAreKeptOverARestart) {
    testdesk::TestDesktopOptions options;
    options.autoArrange = true;
    Start(options);
    const DWORD arranged = desk->ListViewStyle();
    ASSERT_EQ(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, 0), S_OK);
    ASSERT_TRUE(Restart());
    EXPECT_FALSE(desk->ListViewStyle() & LVS_AUTOARRANGE);
    EXPECT_EQ(ViewFlags(), DWORD{FWF_DESKTOP});
    EXPECT_EQ(Move(Route::kMessage, 0, Grid(5, 5)), TRUE);

    SetStyle(arranged);
    ASSERT_TRUE(Restart());
    EXPECT_FALSE(desk->ListViewStyle() & LVS_AUTOARRANGE);

    ASSERT_EQ(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, FWF_AUTOARRANGE), S_OK);
    ASSERT_TRUE(Restart());
    EXPECT_TRUE(desk->ListViewStyle() & LVS_AUTOARRANGE);
    EXPECT_EQ(desk->FolderFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
}

TEST_F(TestDesktopArrange, ADesktopThatKeepsArrangingDoesNotLetAutoArrangeGo) {
    testdesk::TestDesktopOptions options;
    options.autoArrange = true;
    options.keepsArranging = true;
    Start(options);
    const DWORD arranged = desk->ListViewStyle();
    ASSERT_TRUE(arranged & LVS_AUTOARRANGE);
    desk->ClearSetPositionLog();

    SetStyle(arranged & ~LVS_AUTOARRANGE);
    EXPECT_EQ(desk->ListViewStyle(), arranged);
    const std::string free = Hex(arranged & ~LVS_AUTOARRANGE);
    EXPECT_EQ(desk->StyleLog(), (std::vector<std::string>{"style " + Hex(arranged) + " " + free,
                                                          "style " + free + " " + Hex(arranged)}));

    EXPECT_EQ(view2->SetCurrentFolderFlags(FWF_AUTOARRANGE, 0), S_OK);
    EXPECT_EQ(ViewFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(desk->FolderFlags(), FWF_DESKTOP | FWF_AUTOARRANGE);
    EXPECT_EQ(desk->ListViewStyle(), arranged);
    const std::vector<Place> before = Places(*desk);
    EXPECT_EQ(Move(Route::kMessage, 0, {before[0].x + 2 * cx, before[0].y}), FALSE);
    EXPECT_EQ(Places(*desk), before);
}

}  // namespace
