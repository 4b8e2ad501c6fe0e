// The test desktop's icon file: "x y text" per line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testdesk {

struct TestItem {
    int32_t x = 0;
    int32_t y = 0;
    std::string text;  // ANSI code page bytes (UTF-8 in a file read with --utf8)
};

// Lines that do not start with two numbers are skipped; a missing file gives no items.
std::vector<TestItem> ReadItemsFile(const std::string& path);
bool WriteItemsFile(const std::string& path, const std::vector<TestItem>& items);

}  // namespace testdesk
