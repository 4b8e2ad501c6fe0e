// Moves every layout between a CLayoutStore and the registry key HKEY_CURRENT_USER\<key>
// (subkeys "Title" and "Pos"), so that what a start lists is always a whole store: the
// one before a save or the one after it, never a mix, whenever a save is cut off.
#pragma once

#include <string>

#include "store/layout_store.h"

enum class LoadResult {
    // What is stored (or nothing, when nothing is), whole.
    kLoaded,
    // A save that was cut off after it had been staged whole could not be finished
    // (writing the key was refused): the staged store is loaded and kept for a later
    // save to finish. The key itself may hold a mix and must not be read.
    kSaveUnfinished,
    // The store exists but could not be read (access refused, or another failure than
    // a value or key that does not exist): what was loaded is not the store, and
    // nothing may be saved over it.
    kUnreadable,
};

// Adds every stored layout to store, which is expected to be empty. Opens keys for
// reading only, unless a save that was cut off is to be finished or cleared first.
LoadResult LoadLayouts(CLayoutStore& store, const std::string& key);
// Writes every layout of store; never deletes a value of the store's own subkeys.
// False when the save could not be completed (a write refused): the next load still
// gives a whole store.
bool SaveLayouts(const CLayoutStore& store, const std::string& key);
