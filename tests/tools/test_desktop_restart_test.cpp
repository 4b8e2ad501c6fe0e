// The test desktop restarts as the shell has since Windows 10 1809: the places its view
// object was told come back in the new process, places set only by list-view messages do
// not (the desktop check's restart step relies on both).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "desktop/access/view_object.h"
#include "tools/test_desktop/test_desktop_client.h"
#include "tools/test_desktop/view_object/registration.h"

namespace {

using testdesk::TestDesktop;
using testdesk::TestItem;

struct Place {
    int x, y;
    bool operator==(const Place& o) const { return x == o.x && y == o.y; }
};
void PrintTo(const Place& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

const std::vector<TestItem> kItems{
    {10, 10, "told"}, {10, 100, "told then moved"}, {10, 190, "moved"}, {10, 280, "untouched"}};

// Each item as "text x y", in list-view order.
std::vector<std::string> Listed(const TestDesktop& desk) {
    std::vector<std::string> listed;
    for (const TestItem& item : desk.Items())
        listed.push_back(item.text + " " + std::to_string(item.x) + " " + std::to_string(item.y));
    return listed;
}

std::vector<Place> Places(const TestDesktop& desk) {
    std::vector<Place> places;
    for (const TestItem& item : desk.Items()) places.push_back({item.x, item.y});
    return places;
}

void MoveByListView(const TestDesktop& desk, int index, int x, int y) {
    ASSERT_TRUE(SendMessageA(desk.ListView(), LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                             MAKELPARAM(x, y)));
}

class TestDesktopRestart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        registration = std::make_unique<testdesk::ViewObjectRegistration>();
        ASSERT_TRUE(registration->Ok());
        testdesk::TestDesktopOptions options;
        options.viewObject = testdesk::ViewObjectMode::kSameOrder;
        desk = std::make_unique<TestDesktop>(kItems, options);
        ASSERT_TRUE(desk->Ready());
    }
    void TearDown() override {
        desk.reset();
        registration.reset();
        CoUninitialize();
    }

    std::unique_ptr<testdesk::ViewObjectRegistration> registration;
    std::unique_ptr<TestDesktop> desk;
};

TEST_F(TestDesktopRestart, ToldPlacesComeBackListViewPlacesDoNot) {
    {
        desktop::ViewObject view;
        ASSERT_TRUE(view.Ready());
        ASSERT_EQ(view.Tell({{0, "told", 300, 40}, {1, "told then moved", 400, 140}},
                            [] { return true; }),
                  2u);
    }
    MoveByListView(*desk, 1, 500, 500);
    MoveByListView(*desk, 2, 600, 240);
    ASSERT_EQ(Places(*desk), (std::vector<Place>{{300, 40}, {500, 500}, {600, 240}, {10, 280}}));

    ASSERT_TRUE(desk->Restart());
    const std::vector<Place> told{{300, 40}, {400, 140}, {10, 190}, {10, 280}};
    EXPECT_EQ(Places(*desk), told);

    // A second restart with nothing told in between: the same places.
    MoveByListView(*desk, 0, 700, 40);
    ASSERT_TRUE(desk->Restart());
    EXPECT_EQ(Places(*desk), told);
}

// A desktop whose restart changes the order (as Explorer's list-view indexes change):
// the restarted process lists the items in reverse, each at its own place, and a place
// told in that order is kept for the item told, not for the index.
TEST_F(TestDesktopRestart, AReorderingRestartListsTheItemsInReverseAtTheirPlaces) {
    testdesk::TestDesktopOptions options;
    options.viewObject = testdesk::ViewObjectMode::kSameOrder;
    options.reorderOnRestart = true;
    desk.reset();
    desk = std::make_unique<TestDesktop>(kItems, options);
    ASSERT_TRUE(desk->Ready());
    const auto tell = [](int index, const char* text, int x, int y) {
        desktop::ViewObject view;
        ASSERT_TRUE(view.Ready());
        ASSERT_EQ(view.Tell({{index, text, x, y}}, [] { return true; }), 1u);
    };
    tell(0, "told", 300, 40);
    ASSERT_TRUE(desk->Restart());
    EXPECT_EQ(Listed(*desk), (std::vector<std::string>{"untouched 10 280", "moved 10 190",
                                                       "told then moved 10 100", "told 300 40"}));

    tell(1, "moved", 500, 190);  // index 1 now shows the file's third item
    ASSERT_TRUE(desk->Restart());
    EXPECT_EQ(Listed(*desk), (std::vector<std::string>{"untouched 10 280", "moved 500 190",
                                                       "told then moved 10 100", "told 300 40"}));
}

TEST_F(TestDesktopRestart, NothingToldLaysOutAsAtTheStart) {
    MoveByListView(*desk, 0, 300, 300);
    ASSERT_TRUE(desk->Restart());
    EXPECT_EQ(Places(*desk), (std::vector<Place>{{10, 10}, {10, 100}, {10, 190}, {10, 280}}));
}

}  // namespace
