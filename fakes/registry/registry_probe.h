// Test-only view into the native registry stand-in: the writes in the order they were
// made, how many keys were opened, how many handles are open, a full reset, and a
// cut-off that refuses every change after a given one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace regstub {

struct WriteRecord {
    std::string keyPath;  // full path from the root, e.g. "HKEY_CURRENT_USER\\Software\\X\\Pos"
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
};

// Every successful RegSetValueExA or RegSetValueExW since the last ClearLog, oldest
// first (names of W writes narrowed, data as given).
const std::vector<WriteRecord>& Writes();
// Successful RegCreateKeyExA and RegOpenKeyExA calls since the last ClearLog.
size_t KeyOpenCount();
void ClearLog();
// Handles returned by RegCreateKeyExA/RegOpenKeyExA and not yet closed.
size_t OpenHandleCount();
// Forgets every key, value and profile file and clears the log.
void ResetAll();

// Changes made since the last ClearLog: values set, values deleted, keys created, and
// keys deleted (RegDeleteTreeA: one change per key, leaf keys first, the named key last).
size_t ChangeCount();
// After `changes` more changes every further one is refused (ERROR_ACCESS_DENIED, no
// effect), as if the process had been ended there; RefuseChangesAfter(SIZE_MAX) lifts it.
void RefuseChangesAfter(size_t changes);

}  // namespace regstub
