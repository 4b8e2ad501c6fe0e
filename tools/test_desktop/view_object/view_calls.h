// The view-object calls the test desktop logged (see view_server.cpp for the format),
// read back by tests and tools.
#pragma once

#include <string>
#include <vector>

namespace testdesk {

struct ViewItemPosition {
    int index;  // the list-view index of the item (-1: an item ID not of the desktop)
    int x;
    int y;
    bool operator==(const ViewItemPosition& o) const {
        return index == o.index && x == o.x && y == o.y;
    }
};

struct ViewObjectCall {
    unsigned long flags;  // SVSI_*
    std::vector<ViewItemPosition> items;
};

// Every SelectAndPositionItems call logged in `path`, in order; empty without a file.
std::vector<ViewObjectCall> ReadViewObjectCalls(const std::string& path);

}  // namespace testdesk
