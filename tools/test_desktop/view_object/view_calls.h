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

struct ViewObjectLog {
    std::vector<ViewObjectCall> calls;  // every SelectAndPositionItems call, in order
    // The list-view index of every name asked of the view's folder: parsing names
    // (SHGDN_FORPARSING) and the others apart.
    std::vector<int> nameRequests;
    std::vector<int> parseRequests;
};

// What the server logged in `path`; empty without a file.
ViewObjectLog ReadViewObjectLog(const std::string& path);

}  // namespace testdesk
