// The stored form of the layouts: the "Title" and "Pos" sections below one store key,
// read and written through an open profile store.
#pragma once

#include "store/layout_store.h"
#include "store/profile_store.h"

// Adds every layout stored below the profile's key to store, which is expected to be
// empty. Whether every read succeeded is the profile's Failed().
void ReadLayouts(CProfileStore& profile, CLayoutStore& store);
// Writes every layout of store in the stored order; never deletes a value. Stops at
// the first write refused: false.
bool WriteLayouts(CProfileStore& profile, const CLayoutStore& store);
