// Pairs desktop icons with the saved icons of one layout by the shell's parsing name (a
// file's full path, "::{CLSID}" for the Recycle Bin and the like): the same however the
// shell shows the name (extensions hidden) and whatever the code page. Paths compare as
// the file system compares names: ordinal, ignoring case. Each saved icon is given out
// at most once. Built once per restore.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CLayoutStore;

namespace restore {

// `path` with every character folded for an ordinal, case-ignoring comparison: Windows'
// own upper-casing (CharUpperBuffW) there; natively that of ASCII letters only.
std::wstring FoldPath(const std::wstring& path);

class PathPairing {
public:
    PathPairing(const CLayoutStore& store, int layout);

    // The layout holds at least one path.
    bool Any() const { return !m_byPath.empty(); }
    // The saved icon of `path` not yet given out, or -1 (also for an empty path).
    int Take(const std::wstring& path);
    // Saved icons given out so far, by index.
    const std::vector<bool>& Taken() const { return m_taken; }

private:
    struct Icons {
        std::vector<int> indices;  // saved icons of one path, in stored order
        size_t next = 0;
    };
    std::unordered_map<std::wstring, Icons> m_byPath;
    std::vector<bool> m_taken;
};

}  // namespace restore
