// Saving in stages, so that a save cut off at any point (the process killed, the
// session ended, a write refused) never leaves a mix of two stores:
//   1. the new store is written whole into a staging slot, a subkey of the key
//      ("Saving", same sections and values as the key itself, written kind by kind);
//   2. the slot is marked complete: value "Complete", a REG_DWORD generation (1, 2, ...,
//      0xFFFFFFFF, then 1 again: 0 never marks a slot complete);
//   3. the new store is written into the key's own sections, in the stored order, and
//      the path values it no longer has are removed from them;
//   4. the slots are removed, the older generation first.
// Cut off before 2, the key still holds the old store and the next load removes the
// unfinished slot. Cut off after 2, the next load finds a complete slot: it writes that
// into the key (3 and 4 again) and lists it. When 3 keeps being refused, the complete
// slot is kept and loaded instead of the key (the key may hold a mix); the next save
// then stages into the other slot ("Saving.2") with a higher generation, and removes
// the older slot only once the key holds the newer one. So at any moment the newest
// complete slot, or the key when there is none, is whole.
//
// Removing a slot takes several changes (a tree is deleted key by key, its sections
// first and the slot key with its marker last), so a removal may stop anywhere. The
// marker goes first: a slot half removed is never taken for a complete one. The older
// slot goes first and a marker that cannot be removed stops the clean-up, so an older
// complete slot is never left alone beside the key. A slot marked complete but with
// sections missing (removed by an older version, which deleted the tree marker last)
// had its clean-up begun, which only ever happens once the key holds it: it is no
// store. A save never stages into a slot that could not be cleared.
//
// Staging lives inside the key, never beside it, so that runs under other names
// (whose keys may share a prefix) never see it.
#include "store/layout_persistence.h"

#include <array>
#include <cstdint>

#include "store/layout_format.h"
#include "store/profile_store.h"
#include "store/registry_api.h"
#include "store/registry_key.h"

namespace {

constexpr std::array<const char*, 2> kSlots = {"Saving", "Saving.2"};
constexpr const char* kCompleteValue = "Complete";

struct SlotState {
    bool exists = false;
    uint32_t generation = 0;    // 0: not complete
    bool cleanUpBegun = false;  // complete, but a section removed
};

// Whether generation a was staged after b, in serial-number arithmetic: the generations
// of the two slots lie close together, so the one after 0xFFFFFFFF (1: 0 means "not
// complete") is newer than 0xFFFFFFFF.
bool StagedAfter(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) > 0; }

// Whether slot a goes before slot b in a clean-up: one not complete first, then the
// older generation.
bool RemovedBefore(const SlotState& a, const SlotState& b) {
    if (a.generation == 0 || b.generation == 0) return a.generation == 0 && b.generation != 0;
    return StagedAfter(b.generation, a.generation);
}

struct Staging {
    std::array<SlotState, kSlots.size()> slots;
    bool unreadable = false;

    // The complete slot of the newest generation, or -1.
    int Newest() const {
        int newest = -1;
        for (size_t s = 0; s < slots.size(); ++s) {
            if (slots[s].generation != 0 &&
                (newest < 0 || StagedAfter(slots[s].generation, slots[newest].generation)))
                newest = static_cast<int>(s);
        }
        return newest;
    }
    // The newest complete slot when it is a whole store, or -1. When the newest one's
    // clean-up has begun, the key holds it and every slot is stale.
    int Kept() const {
        const int newest = Newest();
        return newest >= 0 && !slots[newest].cleanUpBegun ? newest : -1;
    }
    // The generation after the newest, never 0.
    uint32_t NextGeneration() const {
        const int newest = Newest();
        const uint32_t next = newest < 0 ? 1 : slots[newest].generation + 1;
        return next == 0 ? 1 : next;
    }
    // The slots in the order a clean-up removes them: the older generation first.
    std::array<size_t, kSlots.size()> OldestFirst() const {
        if (RemovedBefore(slots[1], slots[0])) return {1, 0};
        return {0, 1};
    }
};

std::string SlotPath(const std::string& key, size_t slot) { return key + "\\" + kSlots[slot]; }

// A complete slot had its clean-up begun when its count is missing, or its icons while
// it counts layouts. A store of no layouts has no "Pos" section.
bool CleanUpBegun(CProfileStore& profile, size_t slot) {
    const std::string title = std::string(kSlots[slot]) + "\\Title";
    bool present = false;
    bool exact = false;
    const int32_t count = profile.GetInt(title.c_str(), "Number", 0, &present, &exact);
    if (!present) return true;
    if (exact && count <= 0) return false;
    return profile.SelectSection((std::string(kSlots[slot]) + "\\Pos").c_str()) != 1;
}

// Looks at the staging slots (sections of the key, to the profile store) through
// `profile`, open on the key for reading.
Staging InspectStaging(CProfileStore& profile) {
    Staging staging;
    for (size_t s = 0; s < kSlots.size(); ++s) {
        if (profile.SelectSection(kSlots[s]) != 1) continue;
        SlotState& slot = staging.slots[s];
        slot.exists = true;
        bool exact = false;
        const auto generation =
            static_cast<uint32_t>(profile.GetInt(kSlots[s], kCompleteValue, 0, nullptr, &exact));
        if (!exact || generation == 0) continue;
        slot.generation = generation;
        slot.cleanUpBegun = CleanUpBegun(profile, s);
    }
    staging.unreadable = profile.Failed();
    return staging;
}

enum class Removal {
    kGone,
    kUnmarked,  // the marker is gone, some of the slot is left
    kMarked,    // the marker could not be removed
};

// Removes a slot, its marker first.
Removal RemoveSlot(const std::string& key, size_t slot) {
    const std::string path = SlotPath(key, slot);
    {
        UniqueRegKey slotKey;
        const LONG opened =
            OpenRegistryKey(slotKey, HKEY_CURRENT_USER, path.c_str(), KEY_SET_VALUE);
        if (opened == ERROR_FILE_NOT_FOUND) return Removal::kGone;
        if (opened != ERROR_SUCCESS) return Removal::kMarked;
        const LONG marker = RegDeleteValueA(slotKey.Get(), kCompleteValue);
        if (marker != ERROR_SUCCESS && marker != ERROR_FILE_NOT_FOUND) return Removal::kMarked;
    }
    const LONG tree = RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    return tree == ERROR_SUCCESS || tree == ERROR_FILE_NOT_FOUND ? Removal::kGone
                                                                 : Removal::kUnmarked;
}

// Step 4, also for slots that are no store: the older generation first, up to the first
// marker that cannot be removed. What is left, the next start removes.
void RemoveSlots(const std::string& key, const Staging& staging) {
    for (const size_t s : staging.OldestFirst()) {
        if (staging.slots[s].exists && RemoveSlot(key, s) == Removal::kMarked) return;
    }
}

// Reads the store below `path` for reading only; false when it could not be read.
bool ReadStore(CLayoutStore& store, const std::string& path) {
    CProfileStore profile;
    profile.Open(HKEY_CURRENT_USER, path.c_str(), nullptr, CProfileStore::Access::kRead);
    ReadLayouts(profile, store);
    return !profile.Failed();
}

// Step 1: writes the store into a slot just cleared; false at the first refusal.
bool WriteStaging(const CLayoutStore& store, const std::string& path) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, path.c_str(), nullptr) == 1 &&
           WriteLayouts(profile, store, WriteOrder::kKindByKind) && !profile.Failed();
}

// Step 3: writes the store into the key, in the stored order, and removes the path
// values it no longer has; false at the first refusal.
bool WriteKey(const CLayoutStore& store, const std::string& key) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr) == 1 &&
           WriteLayouts(profile, store, WriteOrder::kLayoutByLayout) &&
           RemoveStalePaths(profile, store) && !profile.Failed();
}

bool MarkComplete(const std::string& key, size_t slot, uint32_t generation) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr) == 1 &&
           profile.WriteInt(kSlots[slot], kCompleteValue, static_cast<int32_t>(generation)) == 1;
}

// Steps 3 and 4 for the newest complete slot; false only when the key could not be
// written: a slot left behind once it is written fails no save.
bool FinishSave(const CLayoutStore& store, const std::string& key, const Staging& staging) {
    if (!WriteKey(store, key)) return false;
    RemoveSlots(key, staging);
    return true;
}

LoadResult LoadStore(CLayoutStore& store, const std::string& key) {
    CProfileStore profile;
    profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr, CProfileStore::Access::kRead);
    const Staging staging = InspectStaging(profile);
    if (staging.unreadable) return LoadResult::kUnreadable;
    const int kept = staging.Kept();
    if (kept < 0) {
        // A save cut off before its slot was complete, or in its clean-up: the key is whole.
        ReadLayouts(profile, store);
        if (profile.Failed()) return LoadResult::kUnreadable;
        profile.Close();
        RemoveSlots(key, staging);
        return LoadResult::kLoaded;
    }
    profile.Close();
    if (!ReadStore(store, SlotPath(key, static_cast<size_t>(kept)))) return LoadResult::kUnreadable;
    return FinishSave(store, key, staging) ? LoadResult::kLoaded : LoadResult::kSaveUnfinished;
}

}  // namespace

LoadResult LoadLayouts(CLayoutStore& store, const std::string& key) {
    const LoadResult result = LoadStore(store, key);
    // A part of a store is no store: nothing of it is listed.
    if (result == LoadResult::kUnreadable) store.RemoveAll();
    return result;
}

bool SaveLayouts(const CLayoutStore& store, const std::string& key) {
    CProfileStore profile;
    profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr, CProfileStore::Access::kRead);
    Staging staging = InspectStaging(profile);
    profile.Close();
    // Which slot is whole is not known: nothing can be staged safely.
    if (staging.unreadable) return false;
    // A complete slot that could not be finished is the only whole copy of the last
    // save: it stays until the key holds the new one. The staging goes into the first
    // other slot that can be cleared.
    const int kept = staging.Kept();
    const uint32_t generation = staging.NextGeneration();
    int target = -1;
    for (size_t s = 0; s < kSlots.size() && target < 0; ++s) {
        if (static_cast<int>(s) != kept && RemoveSlot(key, s) == Removal::kGone)
            target = static_cast<int>(s);
    }
    if (target < 0) return false;
    const auto slot = static_cast<size_t>(target);
    staging.slots[slot] = SlotState{};
    // The staging is a new key: its values go in kind by kind (see WriteOrder).
    if (!WriteStaging(store, SlotPath(key, slot)) || !MarkComplete(key, slot, generation)) {
        RemoveSlot(key, slot);
        return false;
    }
    staging.slots[slot] = SlotState{true, generation, false};
    return FinishSave(store, key, staging);
}
