// An icon a restore put at its saved place: the list view's item index, the text the
// restore read for it, and the position it was given. The shell's view object is told
// of these afterwards, so that the shell keeps them.
#pragma once

#include <cstdint>
#include <string>

namespace desktop {

struct PlacedIcon {
    int index;
    std::string text;
    int32_t x;
    int32_t y;

    bool operator==(const PlacedIcon& o) const {
        return index == o.index && text == o.text && x == o.x && y == o.y;
    }
};

}  // namespace desktop
