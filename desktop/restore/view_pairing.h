// Which of the shell view object's items is a list-view item the restore placed: the
// view lists its items under item IDs with display names, the restore knows an item by
// its list-view index and the text it read there.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace restore {

class ViewPairing {
public:
    static constexpr int kNoItem = -1;

    // `cutLength`: a text read this long or longer may be the start of a longer name
    // (the list view hands out only so many bytes).
    explicit ViewPairing(size_t cutLength) : m_cutLength(cutLength) {}

    // Adds the view's next item, in view order: `hasId` false when its item ID could not
    // be read (such an item never pairs: there is nothing to name it by), `name` its
    // display name (empty when unknown).
    void Add(bool hasId, std::string name);

    // The view item of list-view item `index`, whose text read `text`: the one at the
    // same index when its name matches. The shell does not promise that its view order
    // is the list view's index order, so otherwise the one item of that name; none or
    // several: kNoItem. Never an item without an ID.
    int Pair(int index, const std::string& text) const;
    // Every item with an ID whose name is the one read, in view order.
    std::vector<int> Named(const std::string& text) const;

private:
    bool MayBeCut(const std::string& readText) const { return readText.size() >= m_cutLength; }
    bool SameIcon(const std::string& viewName, const std::string& readText) const;

    size_t m_cutLength;
    std::vector<std::string> m_names;  // in view order, "" for an item without an ID
    std::vector<bool> m_hasId;
    std::unordered_map<std::string, int> m_byName;  // items with IDs: name -> view index,
                                                    // kNoItem: several
};

}  // namespace restore
