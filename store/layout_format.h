// The stored form of the layouts: the "Title" and "Pos" sections below one store key,
// read and written through an open profile store.
#pragma once

#include "store/layout_store.h"
#include "store/profile_store.h"

// Adds every layout stored below the profile's key to store, which is expected to be
// empty. Whether every read succeeded is the profile's Failed().
void ReadLayouts(CProfileStore& profile, CLayoutStore& store);
enum class WriteOrder {
    // Layout by layout: Number, then per layout Title[i], Number[i] and per icon Pos[i][j],
    // Name[i][j]. The order every version has written a store's values in.
    kLayoutByLayout,
    // Number, every Title[i], every Name[i][j], every Number[i], every Pos[i][j]: one kind
    // after the other, as the registry sorts a key's values by name. Into a key that is
    // new, each value then comes after those written before it instead of among them,
    // which is cheaper for a registry that keeps a key's values in one sorted array.
    kKindByKind,
};

// Writes every layout of store; never deletes a value. Stops at the first write
// refused: false.
bool WriteLayouts(CProfileStore& profile, const CLayoutStore& store, WriteOrder order);
