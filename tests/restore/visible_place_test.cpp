// Where a saved place is sent when no monitor shows it: kept when any pixel of the icon
// is seen, otherwise clamped into the nearest visible area.
#include "desktop/restore/visible_place.h"

#include <gtest/gtest.h>

namespace {

using desktop::Area;
using desktop::Screen;
using restore::Place;
using restore::VisiblePlace;

TEST(VisiblePlace, TableOfPlaces) {
    // A 1280x1024 monitor and, right of it, a smaller one lower down.
    const Screen two{32, 32, {{0, 0, 1280, 1024}, {1280, 200, 2000, 800}}};
    const Screen one{32, 32, {{0, 0, 1280, 1024}}};
    struct Case {
        const char* what;
        Screen screen;
        Place saved, sent;
    } cases[] = {
        {"inside", one, {100, 100}, {100, 100}},
        {"one pixel seen at the right edge", one, {1279, 5}, {1279, 5}},
        {"one pixel seen at the top-left", one, {-31, -31}, {-31, -31}},
        {"touching the right edge from outside", one, {1280, 5}, {1248, 5}},
        {"far right", one, {30000, 500}, {1248, 500}},
        {"far left", one, {-30000, 500}, {0, 500}},
        {"far below and right", one, {5000, 5000}, {1248, 992}},
        {"above", one, {600, -100}, {600, 0}},
        {"on the second monitor", two, {1500, 300}, {1500, 300}},
        {"below the second monitor: nearest is the second", two, {1500, 900}, {1500, 768}},
        {"below both: the nearer", two, {1264, 1100}, {1248, 992}},
        {"no area known", Screen{32, 32, {}}, {9000, 9000}, {9000, 9000}},
        {"area smaller than the icon", Screen{32, 32, {{10, 10, 20, 20}}}, {500, 500}, {10, 10}},
        {"empty areas are ignored", Screen{32, 32, {{5, 5, 5, 5}}}, {500, 500}, {500, 500}},
    };
    for (const Case& c : cases) {
        const Place sent = VisiblePlace(c.saved, c.screen);
        EXPECT_EQ(sent.x, c.sent.x) << c.what;
        EXPECT_EQ(sent.y, c.sent.y) << c.what;
    }
}

}  // namespace
