// The stored form of the layouts: the "Title" and "Pos" sections below one store key,
// read and written through an open profile store.
#pragma once

#include <cstdint>

#include "store/layout_store.h"
#include "store/profile_store.h"

// Adds every layout stored below the profile's key to store, which is expected to be
// empty. Whether every read succeeded is the profile's Failed().
void ReadLayouts(CProfileStore& profile, CLayoutStore& store);
enum class WriteOrder {
    // Layout by layout: Number, then per layout Title[i], Number[i], PathCheck[i] (when
    // the layout has a path) and per icon Pos[i][j], Name[i][j], Path[i][j] (when it has
    // one). The order every version has written a store's values in, paths aside.
    kLayoutByLayout,
    // Number, every Title[i], every Name[i][j], every Number[i], every PathCheck[i], every
    // Path[i][j], every Pos[i][j]: one kind after the other, as the registry sorts a key's
    // values by name. Into a key that is new, each value then comes after those written
    // before it instead of among them, which is cheaper for a registry that keeps a key's
    // values in one sorted array.
    kKindByKind,
};

// Writes every layout of store; never deletes a value. Stops at the first write
// refused: false.
bool WriteLayouts(CProfileStore& profile, const CLayoutStore& store, WriteOrder order);

// Over a key the store was just written into (kLayoutByLayout): deletes every Path and
// PathCheck value the store does not have, those of layouts deleted or renumbered and
// of icons without a path. Finds them without listing the key's values (which under
// Wine costs as much as reading them all), from the order the program writes in: a
// layout's check before its paths, each path after its place, and counts and places
// never deleted. Stops at the first refusal: false.
bool RemoveStalePaths(CProfileStore& profile, const CLayoutStore& store);

// The check stored as PathCheck[i]: 32-bit FNV-1a (offset basis 0x811C9DC5, prime
// 0x01000193) over the data of layout i's values as stored, in the order written:
// Title[i] (its bytes and NUL), then per icon Pos[i][j] (4 bytes, little-endian),
// Name[i][j] (bytes and NUL) and the path (UTF-16LE units and a NUL unit; an icon
// without a path gives the NUL unit alone). A layout rewritten by a copy of the program
// that knows no paths no longer matches, nor does a set of paths of which only some
// were written.
uint32_t LayoutPathCheck(const CLayoutStore& store, int i);
