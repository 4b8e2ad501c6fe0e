// Moves every layout between a CLayoutStore and the registry key HKEY_CURRENT_USER\<key>
// (subkeys "Title" and "Pos"), so that what a start lists is always a whole store: the
// one before a save or the one after it, never a mix, whenever a save or its clean-up
// is cut off. A save is staged in one of two slots, subkeys "Saving" and "Saving.2",
// each marked complete (value "Complete", a generation) once whole. A start, for each
// slot:
//   - not marked complete (a save, or a removal, cut off): removes it;
//   - marked complete, the newest such, and whole: lists it, writes it into the key,
//     then removes both slots, the older generation first (it is kept and listed
//     instead of the key while the key cannot be written: kSaveUnfinished);
//   - marked complete but older than the other: removes it once the key holds the
//     newer one;
//   - marked complete but "Title\Number" missing, or "Pos" missing while that number is
//     above 0 (its removal had begun, after the key was written): removes it, never
//     lists it; when it is the newest, the other slot is stale too;
//   - marked complete and not readable: lists nothing (kUnreadable), changes nothing.
// With no slot to list, it lists the key. What it cannot remove, a later start removes.
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
// False when the save could not be completed (a write refused, or no slot could be
// cleared for it): the next load still gives a whole store. A slot left behind once the
// key is written fails no save.
bool SaveLayouts(const CLayoutStore& store, const std::string& key);
