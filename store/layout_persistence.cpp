// Saving in stages, so that a save cut off at any point (the process killed, the
// session ended, a write refused) never leaves a mix of two stores:
//   1. the new store is written whole into a staging subkey of the key ("Saving",
//      same sections and values as the key itself, written kind by kind);
//   2. the staging subkey is marked complete: value "Complete", a REG_DWORD
//      generation (1, 2, ...);
//   3. the new store is written into the key's own sections, in the stored order;
//   4. the staging subkey is removed.
// Cut off before 2, the key still holds the old store and the next load removes the
// unfinished staging. Cut off after 2, the next load finds a complete staging: it
// writes that into the key (3 and 4 again) and lists it. When 3 keeps being refused,
// the complete staging is kept and loaded instead of the key (the key may hold a mix);
// the next save then stages into the second slot ("Saving.2") with a higher
// generation, and removes the older slot only once the newer one is complete. So at
// any moment the newest complete slot, or the key when there is none, is whole.
// Staging lives inside the key, never beside it, so that runs under other names
// (whose keys may share a prefix) never see it.
#include "store/layout_persistence.h"

#include <array>
#include <cstdint>

#include "store/layout_format.h"
#include "store/profile_store.h"
#include "store/registry_api.h"

namespace {

constexpr std::array<const char*, 2> kSlots = {"Saving", "Saving.2"};
constexpr const char* kCompleteValue = "Complete";

struct SlotState {
    bool exists = false;
    uint32_t generation = 0;  // 0: not complete
};

struct Staging {
    std::array<SlotState, kSlots.size()> slots;
    bool unreadable = false;
    // The newest complete slot, or -1.
    int Newest() const {
        int newest = -1;
        for (size_t s = 0; s < slots.size(); ++s) {
            if (slots[s].generation != 0 &&
                (newest < 0 || slots[s].generation > slots[newest].generation))
                newest = static_cast<int>(s);
        }
        return newest;
    }
};

std::string SlotPath(const std::string& key, size_t slot) { return key + "\\" + kSlots[slot]; }

// Looks at the staging slots (sections of the key, to the profile store) through
// `profile`, open on the key for reading.
Staging InspectStaging(CProfileStore& profile) {
    Staging staging;
    for (size_t s = 0; s < kSlots.size(); ++s) {
        if (profile.SelectSection(kSlots[s]) != 1) continue;
        staging.slots[s].exists = true;
        bool exact = false;
        const auto generation =
            static_cast<uint32_t>(profile.GetInt(kSlots[s], kCompleteValue, 0, nullptr, &exact));
        if (exact) staging.slots[s].generation = generation;
    }
    staging.unreadable = profile.Failed();
    return staging;
}

void RemoveSlot(const std::string& key, size_t slot) {
    RegDeleteTreeA(HKEY_CURRENT_USER, SlotPath(key, slot).c_str());
}

// Reads the store below `path` for reading only; false when it could not be read.
bool ReadStore(CLayoutStore& store, const std::string& path) {
    CProfileStore profile;
    profile.Open(HKEY_CURRENT_USER, path.c_str(), nullptr, CProfileStore::Access::kRead);
    ReadLayouts(profile, store);
    return !profile.Failed();
}

// Writes the store below `path`, creating its keys; false at the first refusal.
bool WriteStore(const CLayoutStore& store, const std::string& path, WriteOrder order) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, path.c_str(), nullptr) == 1 &&
           WriteLayouts(profile, store, order) && !profile.Failed();
}

bool MarkComplete(const std::string& key, size_t slot, uint32_t generation) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr) == 1 &&
           profile.WriteInt(kSlots[slot], kCompleteValue, static_cast<int32_t>(generation)) == 1;
}

// Steps 3 and 4 for the complete slot: the store into the key, then every slot away.
bool FinishSave(const CLayoutStore& store, const std::string& key) {
    if (!WriteStore(store, key, WriteOrder::kLayoutByLayout)) return false;
    for (size_t s = 0; s < kSlots.size(); ++s) RemoveSlot(key, s);
    return true;
}

LoadResult LoadStore(CLayoutStore& store, const std::string& key) {
    CProfileStore profile;
    profile.Open(HKEY_CURRENT_USER, key.c_str(), nullptr, CProfileStore::Access::kRead);
    const Staging staging = InspectStaging(profile);
    if (staging.unreadable) return LoadResult::kUnreadable;
    const int newest = staging.Newest();
    if (newest < 0) {
        ReadLayouts(profile, store);
        if (profile.Failed()) return LoadResult::kUnreadable;
        // A save cut off before its staging was complete: the key holds the old store.
        for (size_t s = 0; s < kSlots.size(); ++s) {
            if (staging.slots[s].exists) RemoveSlot(key, s);
        }
        return LoadResult::kLoaded;
    }
    if (!ReadStore(store, SlotPath(key, static_cast<size_t>(newest))))
        return LoadResult::kUnreadable;
    return FinishSave(store, key) ? LoadResult::kLoaded : LoadResult::kSaveUnfinished;
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
    const Staging staging = InspectStaging(profile);
    profile.Close();
    // A complete slot that could not be finished is the only whole copy of the last
    // save: it stays until the new one is complete in the other slot.
    const int kept = staging.Newest();
    const size_t target = kept == 0 ? 1 : 0;
    const uint32_t generation = kept < 0 ? 1 : staging.slots[kept].generation + 1;
    if (staging.slots[target].exists) RemoveSlot(key, target);
    // The staging is a new key: its values go in kind by kind (see WriteOrder).
    if (!WriteStore(store, SlotPath(key, target), WriteOrder::kKindByKind) ||
        !MarkComplete(key, target, generation)) {
        RemoveSlot(key, target);
        return false;
    }
    if (kept >= 0) RemoveSlot(key, static_cast<size_t>(kept));
    return FinishSave(store, key);
}
