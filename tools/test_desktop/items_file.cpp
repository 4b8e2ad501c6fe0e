// Reads and writes the test desktop's icon file.
#include "tools/test_desktop/items_file.h"

#include <cstdio>
#include <cstdlib>

namespace testdesk {

namespace {

bool ParseLine(std::string line, TestItem& item) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const char* p = line.c_str();
    char* end = nullptr;
    const long x = std::strtol(p, &end, 10);
    if (end == p) return false;
    p = end;
    const long y = std::strtol(p, &end, 10);
    if (end == p) return false;
    p = end;
    if (*p == ' ') ++p;
    item.x = static_cast<int32_t>(x);
    item.y = static_cast<int32_t>(y);
    item.text = p;
    return true;
}

}  // namespace

std::vector<TestItem> ReadItemsFile(const std::string& path) {
    std::vector<TestItem> items;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return items;
    std::string line;
    for (int c = std::fgetc(f);; c = std::fgetc(f)) {
        if (c == '\n' || c == EOF) {
            TestItem item;
            if (ParseLine(line, item)) items.push_back(item);
            line.clear();
            if (c == EOF) break;
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    std::fclose(f);
    return items;
}

bool WriteItemsFile(const std::string& path, const std::vector<TestItem>& items) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    for (const TestItem& item : items)
        std::fprintf(f, "%ld %ld %s\n", static_cast<long>(item.x), static_cast<long>(item.y),
                     item.text.c_str());
    return std::fclose(f) == 0;
}

}  // namespace testdesk
