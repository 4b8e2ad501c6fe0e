// The snapping desktop's grid: the nearest point, and where an icon goes when another
// stands on it (with the search's stopping rule caught on a grid much finer one way).
#include <gtest/gtest.h>

#include <vector>

#include "tools/test_desktop/grid.h"

namespace {

struct Case {
    const char* name;
    POINT asked;
    POINT origin;
    SIZE spacing;
    std::vector<POINT> taken;
    POINT expected;
};

TEST(TestDesktopGrid, NearestFreePoint) {
    const SIZE s75 = {75, 75};
    const std::vector<Case> cases = {
        {"nearest point", {80, 140}, {0, 0}, s75, {}, {75, 150}},
        {"half a step less stays, more goes on", {37, 113}, {0, 0}, s75, {}, {0, 150}},
        {"halfway: the upper left", {40, 30}, {0, 0}, {80, 60}, {}, {0, 0}},
        {"left of and above the origin", {-40, -80}, {0, 0}, s75, {}, {-75, -75}},
        {"from the view's origin", {90, 90}, {10, 5}, s75, {}, {85, 80}},
        {"taken: of four as near, the upper", {150, 150}, {0, 0}, s75, {{150, 150}}, {150, 75}},
        {"taken: the nearest to the asked point",
         {160, 150},
         {0, 0},
         s75,
         {{150, 150}},
         {225, 150}},
        {"surrounded: the upper left diagonal",
         {150, 150},
         {0, 0},
         s75,
         {{150, 150}, {150, 75}, {75, 150}, {225, 150}, {150, 225}},
         {75, 75}},
        {"a point beside the asked one does not count",
         {150, 150},
         {0, 0},
         s75,
         {{151, 150}},
         {150, 150}},
        {"the nearer axis wins", {100, 100}, {0, 0}, {100, 50}, {{100, 100}}, {100, 50}},
        // Ring 1 has a free point 110 away; ring 2 one only 98.5 away.
        {"a later ring comes nearer",
         {0, 90},
         {0, 0},
         {20, 200},
         {{0, 0}, {-20, 0}, {20, 0}},
         {-40, 0}},
        {"no spacing: as asked", {13, 17}, {0, 0}, {0, 75}, {}, {13, 17}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const POINT got = testdesk::NearestFreeGridPoint(c.asked, c.origin, c.spacing, c.taken);
        EXPECT_EQ(got.x, c.expected.x);
        EXPECT_EQ(got.y, c.expected.y);
    }
}

}  // namespace
