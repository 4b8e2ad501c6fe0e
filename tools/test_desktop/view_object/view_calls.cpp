// Reads the test desktop's view-object call log.
#include "tools/test_desktop/view_object/view_calls.h"

#include <cstdio>
#include <cstring>

namespace testdesk {

ViewObjectLog ReadViewObjectLog(const std::string& path) {
    ViewObjectLog log;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return log;
    char kind[8] = {};
    while (std::fscanf(f, " %7s", kind) == 1) {
        const bool parse = std::strcmp(kind, "parse") == 0;
        if (parse || std::strcmp(kind, "name") == 0) {
            int index = 0;
            if (std::fscanf(f, "%d", &index) != 1) break;
            (parse ? log.parseRequests : log.nameRequests).push_back(index);
            continue;
        }
        ViewObjectCall call{};
        unsigned count = 0;
        if (std::strcmp(kind, "call") != 0 || std::fscanf(f, "%lx %u", &call.flags, &count) != 2)
            break;
        ViewItemPosition item{};
        for (unsigned i = 0;
             i < count && std::fscanf(f, "%d %d %d", &item.index, &item.x, &item.y) == 3; ++i)
            call.items.push_back(item);
        log.calls.push_back(call);
    }
    std::fclose(f);
    return log;
}

}  // namespace testdesk
