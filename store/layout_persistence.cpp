// Saving in stages, so that a save cut off at any point (the process killed, the
// session ended, a write refused) never leaves a mix of two stores:
//   1. the new store is written whole into a staging subkey of the key ("Saving",
//      same sections and values as the key itself);
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
#include "store/registry_key.h"

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
    bool Any() const { return slots[0].exists || slots[1].exists; }
};

std::string SlotPath(const std::string& key, size_t slot) { return key + "\\" + kSlots[slot]; }

// Looks at the staging slots through read-only opens.
Staging InspectStaging(const std::string& key) {
    Staging staging;
    for (size_t s = 0; s < kSlots.size(); ++s) {
        UniqueRegKey slot;
        const LONG rc =
            OpenRegistryKey(slot, HKEY_CURRENT_USER, SlotPath(key, s).c_str(), KEY_READ);
        if (rc == ERROR_FILE_NOT_FOUND) continue;
        if (rc != ERROR_SUCCESS) {
            staging.unreadable = true;
            continue;
        }
        staging.slots[s].exists = true;
        BYTE data[4] = {};
        DWORD size = sizeof data;
        DWORD type = REG_NONE;
        const LONG q = RegQueryValueExA(slot.Get(), kCompleteValue, nullptr, &type, data, &size);
        if (q == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data) {
            staging.slots[s].generation =
                static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
        } else if (q != ERROR_SUCCESS && q != ERROR_FILE_NOT_FOUND && q != ERROR_MORE_DATA) {
            staging.unreadable = true;
        }
    }
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
bool WriteStore(const CLayoutStore& store, const std::string& path) {
    CProfileStore profile;
    return profile.Open(HKEY_CURRENT_USER, path.c_str(), nullptr) == 1 &&
           WriteLayouts(profile, store) && !profile.Failed();
}

bool MarkComplete(const std::string& key, size_t slot, uint32_t generation) {
    UniqueRegKey staged;
    if (OpenRegistryKey(staged, HKEY_CURRENT_USER, SlotPath(key, slot).c_str(), KEY_SET_VALUE) !=
        ERROR_SUCCESS)
        return false;
    const BYTE data[4] = {static_cast<BYTE>(generation), static_cast<BYTE>(generation >> 8),
                          static_cast<BYTE>(generation >> 16), static_cast<BYTE>(generation >> 24)};
    return RegSetValueExA(staged.Get(), kCompleteValue, 0, REG_DWORD, data, sizeof data) ==
           ERROR_SUCCESS;
}

// Steps 3 and 4 for the complete slot: the store into the key, then every slot away.
bool FinishSave(const CLayoutStore& store, const std::string& key) {
    if (!WriteStore(store, key)) return false;
    for (size_t s = 0; s < kSlots.size(); ++s) RemoveSlot(key, s);
    return true;
}

LoadResult LoadStore(CLayoutStore& store, const std::string& key) {
    const Staging staging = InspectStaging(key);
    if (staging.unreadable) return LoadResult::kUnreadable;
    const int newest = staging.Newest();
    if (newest < 0) {
        if (!ReadStore(store, key)) return LoadResult::kUnreadable;
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
    const Staging staging = InspectStaging(key);
    // A complete slot that could not be finished is the only whole copy of the last
    // save: it stays until the new one is complete in the other slot.
    const int kept = staging.Newest();
    const size_t target = kept == 0 ? 1 : 0;
    const uint32_t generation = kept < 0 ? 1 : staging.slots[kept].generation + 1;
    if (staging.slots[target].exists) RemoveSlot(key, target);
    if (!WriteStore(store, SlotPath(key, target)) || !MarkComplete(key, target, generation)) {
        RemoveSlot(key, target);
        return false;
    }
    if (kept >= 0) RemoveSlot(key, static_cast<size_t>(kept));
    return FinishSave(store, key);
}
