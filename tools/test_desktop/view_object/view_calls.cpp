// Reads the test desktop's view-object call log.
#include "tools/test_desktop/view_object/view_calls.h"

#include <cstdio>

namespace testdesk {

std::vector<ViewObjectCall> ReadViewObjectCalls(const std::string& path) {
    std::vector<ViewObjectCall> calls;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return calls;
    ViewObjectCall call{};
    unsigned count = 0;
    while (std::fscanf(f, " call %lx %u", &call.flags, &count) == 2) {
        call.items.clear();
        ViewItemPosition item{};
        for (unsigned i = 0;
             i < count && std::fscanf(f, "%d %d %d", &item.index, &item.x, &item.y) == 3; ++i)
            call.items.push_back(item);
        calls.push_back(call);
    }
    std::fclose(f);
    return calls;
}

}  // namespace testdesk
