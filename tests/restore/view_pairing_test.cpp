// The view object's items paired with the list-view items the restore placed: at the
// same index when the names match, else by the one item of that name; an item whose ID
// could not be read never pairs, not even by the unknown (empty) name.
#include "desktop/restore/view_pairing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using restore::ViewPairing;

struct ViewItem {
    bool hasId;
    std::string name;
};

constexpr int kNone = ViewPairing::kNoItem;
constexpr size_t kCut = 8;  // a text read this long may be cut

TEST(ViewPairing, TableOfPairs) {
    const ViewItem noId = {false, ""};
    struct Case {
        const char* what;
        std::vector<ViewItem> view;
        int index;
        std::string text;
        int paired;
    } cases[] = {
        {"same index, same name", {{true, "a"}, {true, "b"}}, 1, "b", 1},
        {"another index: by its name", {{true, "b"}, {true, "a"}}, 0, "a", 1},
        {"names compare exactly", {{true, "a"}, {true, "B"}}, 1, "b", kNone},
        {"two of the name elsewhere", {{true, "x"}, {true, "t"}, {true, "t"}}, 0, "t", kNone},
        {"a cut text pairs with the one name it begins",
         {{true, "x"}, {true, "longname1"}},
         0,
         "longname",
         1},
        {"a cut text that begins two names",
         {{true, "longname1"}, {true, "longname2"}},
         5,
         "longname",
         kNone},
        // An item without an ID: nothing could name it to the view object.
        {"no ID at the same index, text unread", {noId}, 0, "", kNone},
        {"no ID elsewhere, text unread", {{true, "a"}, noId}, 0, "", kNone},
        {"no ID beside an unnamed item: the unnamed one", {noId, {true, ""}}, 0, "", 1},
    };
    for (const Case& c : cases) {
        ViewPairing pairing(kCut);
        for (const ViewItem& item : c.view) pairing.Add(item.hasId, item.name);
        EXPECT_EQ(pairing.Pair(c.index, c.text), c.paired) << c.what;
    }
}

}  // namespace
