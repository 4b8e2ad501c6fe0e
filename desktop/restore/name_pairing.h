// Pairs desktop items with the saved icons of one layout by name. Several icons may
// share a name (extensions hidden, a shortcut on both the user's and the public
// desktop): the k-th item of a name, in item order, takes the k-th saved icon of that
// name, in stored order, so no two items go to one saved place. Names compare as
// store/icon_name.h says; an empty name is a name like any other. Built once per restore.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CLayoutStore;

namespace restore {

class NamePairing {
public:
    // `taken`: saved icons already given out (by path), left out here; empty: none.
    NamePairing(const CLayoutStore& store, int layout, const std::vector<bool>& taken = {});

    // The saved icon for the next item called `text`, or -1 when every saved icon of
    // that name has been given out already (or there is none).
    int Take(const std::string& text);

private:
    struct Icons {
        std::vector<int> indices;  // saved icons of one name, in stored order
        size_t next = 0;
    };
    std::unordered_map<std::string, Icons> m_byName;
};

}  // namespace restore
