// The places the test desktop's view object was told, kept in a file over a restart as
// the shell keeps them since Windows 10 1809: a new process lays its items out from
// them, while a place set only by list-view messages is not kept. Kept by item (its
// place among the items file's items), not by list-view index, which a restart may
// change. One line per item, "item x y" (the list view's coordinates), rewritten after
// each call that told any.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testdesk {

// Keeps the places in `path` from now on (empty: keeps nothing) and returns those the
// file already holds, by item: what an earlier process was told. List-view index i
// shows item `itemAt[i]` (an index past its end: item i).
std::map<int, POINT> KeepPlacesIn(const std::string& path, std::vector<int> itemAt);
// The view object was told to put list-view item `index` at `pt`; SaveKeptPlaces writes
// the file.
void KeepToldPlace(int index, POINT pt);
void SaveKeptPlaces();

}  // namespace testdesk
