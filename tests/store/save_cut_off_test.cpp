// Saves cut off at every change they make (the stand-in refuses every change after the
// k-th, as if the process had been ended there), and starts cut off while they finish
// such a save: the next load always lists the store before the save or the one after
// it, each layout with its own icons and paths, and then leaves the key as a whole save
// does. Every case runs with stores without paths and with paths on most icons.
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>

#include "store/layout_format.h"
#include "store/layout_persistence.h"
#include "tests/store/layout_dump.h"
#include "tests/store/registry_fixture.h"
#include "tests/store/sample_layouts.h"

namespace {

// What a save can start from: the store it replaces, and the slots left beside the key.
enum class Start {
    kNoSlot,                // `before`, saved whole
    kKeptInSaving,          // `kept`, staged in "Saving"; writing it into the key was refused
    kKeptInSaving2,         // `keptLater`, staged in "Saving.2" over that; both slots complete
    kKeptAtLastGeneration,  // as kKeptInSaving, marked with the last generation, 0xFFFFFFFF
};

class SaveCutOff : public RegistryTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        // "after" is "before" with its first layout deleted (every later one moves down
        // an index, its paths with it) and one more at the end; "kept" and "keptLater"
        // are stores of saves left staged (see Start). With paths, layout 2 has none, so
        // a save of "after" over "before" both gives an index paths and takes them away.
        const auto paths = [](int id) { return GetParam() && id != 2; };
        for (int id = 0; id < 4; ++id) AddSampleLayout(before, id, id, 2 + id, paths(id));
        for (int id = 1; id < 5; ++id) AddSampleLayout(after, id - 1, id, 2 + id, paths(id));
        AddSampleLayout(kept, 0, 7, 3, paths(7));
        AddSampleLayout(kept, 1, 8, 2, paths(8));
        AddSampleLayout(keptLater, 0, 9, 5, paths(9));
    }
    void TearDown() override {
        regstub::RefuseChangesAfter(SIZE_MAX);
        RegistryTest::TearDown();
    }

    // `before` saved whole, then `store` saved with every change after the first `k`
    // refused; whether that save reported success.
    bool SaveCutAfter(const CLayoutStore& store, size_t k) {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        EXPECT_TRUE(SaveLayouts(before, m_key));
        return SaveOnlyCutAfter(store, k);
    }
    bool SaveOnlyCutAfter(const CLayoutStore& store, size_t k) {
        regstub::ClearLog();
        regstub::RefuseChangesAfter(k);
        const bool saved = SaveLayouts(store, m_key);
        regstub::RefuseChangesAfter(SIZE_MAX);
        return saved;
    }
    // Loads with every change after the first `k` refused; the result and what it listed.
    std::pair<LoadResult, std::string> LoadCutAfter(size_t k) {
        regstub::RefuseChangesAfter(k);
        CLayoutStore loaded;
        const LoadResult result = LoadLayouts(loaded, m_key);
        regstub::RefuseChangesAfter(SIZE_MAX);
        return {result, Dump(loaded)};
    }
    // The changes a whole save of `after` over `before` makes, and the first cut after
    // which the next start lists `after`.
    void Measure(size_t& total, size_t& firstNew) {
        SaveCutAfter(after, SIZE_MAX);
        total = regstub::ChangeCount();
        firstNew = 0;
        while (firstNew < total) {
            SaveCutAfter(after, firstNew);
            if (LoadCutAfter(SIZE_MAX).second == Dump(after)) break;
            ++firstNew;
        }
    }
    // The key holds what a whole save of `store` over `before` leaves, and no staging.
    void ExpectKeyAsAfterWholeSave(const CLayoutStore& store) {
        const std::string wanted = Dump(store);
        const DWORD titles = std::max(before.GetCount(), store.GetCount()) + 1;
        DWORD icons = 0;
        for (int i = 0; i < std::max(before.GetCount(), store.GetCount()); ++i) {
            icons += 1 + 2 * static_cast<DWORD>(
                                 std::max(i < before.GetCount() ? before.GetIconCount(i) : 0,
                                          i < store.GetCount() ? store.GetIconCount(i) : 0));
        }
        EXPECT_EQ(Load(), wanted);
        EXPECT_EQ(ValueCount("Title"), titles);
        EXPECT_EQ(ValueCount("Pos"), icons + PathNamesOf(store).size());
        EXPECT_FALSE(KeyExists("Saving"));
        EXPECT_FALSE(KeyExists("Saving.2"));
    }
    std::string Load() {
        CLayoutStore loaded;
        EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
        return Dump(loaded);
    }

    // What a load lists, and the key as it leaves it.
    struct KeyState {
        std::string listed;
        DWORD titles = 0, positions = 0;
        bool slots = false;
        bool operator==(const KeyState& o) const {
            return listed == o.listed && titles == o.titles && positions == o.positions &&
                   slots == o.slots;
        }
        friend std::ostream& operator<<(std::ostream& out, const KeyState& s) {
            return out << s.listed << s.titles << " titles, " << s.positions << " icon values"
                       << (s.slots ? ", a slot left" : "");
        }
    };
    KeyState LoadWhole() {
        return {Load(), ValueCount("Title"), ValueCount("Pos"),
                KeyExists("Saving") || KeyExists("Saving.2")};
    }
    // The key as a save starts from it (see Start).
    void Begin(Start start) {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_key.c_str());
        ASSERT_TRUE(SaveLayouts(before, m_key));
        if (start != Start::kNoSlot) {
            ASSERT_NO_FATAL_FAILURE(KeepStaged(Start::kNoSlot, kept, 1));
        }
        if (start == Start::kKeptAtLastGeneration) PutDword("Saving", "Complete", 0xFFFFFFFF);
        if (start == Start::kKeptInSaving2) {
            ASSERT_NO_FATAL_FAILURE(KeepStaged(Start::kKeptInSaving, keptLater, 2));
        }
        regstub::ClearLog();
    }
    // From `from`, `store` saved with the last of the key's own values refused (before
    // the clean-up of its `slots` slots), then a start that may not write: the staging
    // is kept and listed.
    void KeepStaged(Start from, const CLayoutStore& store, size_t slots) {
        ASSERT_TRUE(SaveOnlyCutAfter(store, SIZE_MAX));
        const size_t total = regstub::ChangeCount();
        ASSERT_NO_FATAL_FAILURE(Begin(from));
        ASSERT_FALSE(SaveOnlyCutAfter(store, total - 4 * slots - 1));
        const auto [result, listed] = LoadCutAfter(0);
        ASSERT_EQ(result, LoadResult::kSaveUnfinished);
        ASSERT_EQ(listed, Dump(store));
    }

    // What a start of a copy that knows no paths does: the newest complete slot, read
    // without its paths, written into the key in the stored order (deleting nothing),
    // then every slot removed; without one, the slots removed. Here only "Saving" is
    // ever complete.
    void StartAsOlderCopy() {
        const RawValue marker = Get("Saving", "Complete");
        if (marker.rc == ERROR_SUCCESS && marker.data != DwordBytes(0)) {
            CLayoutStore staged, plain;
            {
                CProfileStore slot;
                slot.Open(HKEY_CURRENT_USER, Path("Saving").c_str(), nullptr,
                          CProfileStore::Access::kRead);
                ReadLayouts(slot, staged);
            }
            CopyWithoutPaths(staged, plain);
            CProfileStore key;
            ASSERT_EQ(key.Open(HKEY_CURRENT_USER, m_key.c_str(), nullptr), 1);
            ASSERT_TRUE(WriteLayouts(key, plain, WriteOrder::kLayoutByLayout));
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, Path("Saving").c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, Path("Saving.2").c_str());
    }
    // Layout i as Dump shows it, without its index.
    static std::string LayoutLine(const CLayoutStore& store, int i) {
        CLayoutStore one;
        CopyLayouts(store, one, [](int) { return true; });
        for (int k = 0; k < i; ++k) one.RemoveLayout(0);
        while (one.GetCount() > 1) one.RemoveLayout(1);
        const std::string dump = Dump(one);
        return dump.substr(dump.find('\n') + 3);  // past "1 layouts\n0 "
    }

    CLayoutStore before, after, kept, keptLater;
};

TEST_P(SaveCutOff, StartsCutOffWhileFinishingAStagedSaveListTheNewStore) {
    size_t total = 0, firstNew = 0;
    Measure(total, firstNew);
    // Cut once the staging is whole, at the marker, in the key's values, before the
    // clean-up and inside it.
    for (const size_t k : {firstNew, firstNew + 1, (firstNew + total) / 2, total - 4, total - 2}) {
        for (size_t j = 0;; ++j) {
            SCOPED_TRACE("save cut after " + std::to_string(k) + ", start after " +
                         std::to_string(j));
            SaveCutAfter(after, k);
            regstub::ClearLog();
            const auto [result, listed] = LoadCutAfter(j);
            EXPECT_EQ(listed, Dump(after));
            const size_t made = regstub::ChangeCount();
            if (made < j) {
                EXPECT_EQ(result, LoadResult::kLoaded);
            }
            EXPECT_NE(result, LoadResult::kUnreadable);
            ExpectKeyAsAfterWholeSave(after);
            if (made < j) break;  // this start was not cut off: every cut was tried
        }
    }
}

// The save staged beside a slot of the last generation marks its own with a generation
// that reads as complete and as newer: a start after it finishes that save.
TEST_P(SaveCutOff, TheGenerationAfterTheLastIsCompleteAndNewer) {
    for (size_t k = 0;; ++k) {
        SCOPED_TRACE("cut after change " + std::to_string(k));
        ASSERT_NO_FATAL_FAILURE(Begin(Start::kKeptAtLastGeneration));
        ASSERT_FALSE(SaveOnlyCutAfter(after, k)) << "no cut right after the marker";
        if (Get("Saving.2", "Complete").rc != ERROR_SUCCESS) continue;
        EXPECT_EQ(Get("Saving.2", "Complete").data, DwordBytes(1));
        EXPECT_EQ(Get("Saving", "Complete").data, DwordBytes(0xFFFFFFFF));
        EXPECT_EQ(Load(), Dump(after));
        EXPECT_FALSE(KeyExists("Saving"));
        EXPECT_FALSE(KeyExists("Saving.2"));
        break;
    }
}

// What a save can start from: the store it replaces, and the slots left beside the key.
TEST_P(SaveCutOff, EveryCutFromEveryStartListsTheOldOrTheNewStoreWhole) {
    struct Case {
        Start start;
        const char* name;
        const CLayoutStore* old;
        size_t slotsAfterSave;  // each removed by its marker, then Pos, Title and itself
    };
    const Case cases[] = {
        {Start::kNoSlot, "no slot", &before, 1},
        {Start::kKeptInSaving, "kept in Saving", &kept, 2},
        {Start::kKeptInSaving2, "kept in Saving.2", &keptLater, 2},
        {Start::kKeptAtLastGeneration, "kept in Saving at 0xFFFFFFFF", &kept, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A save from the start left whole, and a load from it: what the key holds then.
        ASSERT_NO_FATAL_FAILURE(Begin(c.start));
        ASSERT_TRUE(SaveOnlyCutAfter(after, SIZE_MAX));
        const size_t total = regstub::ChangeCount();
        const KeyState wholeNew = LoadWhole();
        ASSERT_NO_FATAL_FAILURE(Begin(c.start));
        const KeyState wholeOld = LoadWhole();
        ASSERT_EQ(wholeOld.listed, Dump(*c.old));
        ASSERT_EQ(wholeNew.listed, Dump(after));
        const size_t cleanUp = 4 * c.slotsAfterSave;
        bool newListed = false;
        for (size_t k = 0; k <= total; ++k) {
            SCOPED_TRACE("cut after change " + std::to_string(k) + " of " + std::to_string(total));
            ASSERT_NO_FATAL_FAILURE(Begin(c.start));
            const bool saved = SaveOnlyCutAfter(after, k);
            // Saved once the key holds the new store; a clean-up cut off is no failure.
            EXPECT_EQ(saved, k + cleanUp >= total);
            const KeyState next = LoadWhole();
            EXPECT_TRUE(next == wholeOld || next == wholeNew) << next.listed;
            // Once a cut lists the new store, every later one does.
            if (newListed || saved) {
                EXPECT_EQ(next, wholeNew);
            }
            newListed = newListed || next == wholeNew;
        }
        EXPECT_TRUE(newListed);
    }
}

// A copy of the program that knows no paths may be the one to start after a save of
// ours was cut off: it finishes our staging without its paths (writing the other values
// into the key, deleting nothing) or keeps the key. Whatever the cut, the next load of
// ours lists every layout with its own paths or with none, and the save after it
// leaves no other path value.
TEST_P(SaveCutOff, AnOlderCopyFinishingACutSaveNeverPairsPathsWithOtherIcons) {
    // Every layout of both stores as Dump shows it, without its index.
    std::set<std::string> whole;
    for (const CLayoutStore* store : {&before, &after}) {
        for (int i = 0; i < store->GetCount(); ++i) whole.insert(LayoutLine(*store, i));
    }
    CLayoutStore plainBefore, plainAfter;
    CopyWithoutPaths(before, plainBefore);
    CopyWithoutPaths(after, plainAfter);
    size_t total = 0, firstNew = 0;
    Measure(total, firstNew);
    for (size_t k = 0; k <= total; ++k) {
        SCOPED_TRACE("cut after change " + std::to_string(k) + " of " + std::to_string(total));
        SaveCutAfter(after, k);
        ASSERT_NO_FATAL_FAILURE(StartAsOlderCopy());
        CLayoutStore loaded;
        ASSERT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
        CLayoutStore plain;
        CopyWithoutPaths(loaded, plain);
        EXPECT_TRUE(Dump(plain) == Dump(plainBefore) || Dump(plain) == Dump(plainAfter))
            << Dump(plain);
        for (int i = 0; i < loaded.GetCount(); ++i) {
            bool paths = false;
            for (int j = 0; j < loaded.GetIconCount(i); ++j)
                paths = paths || !loaded.GetIconPath(i, j).empty();
            if (paths) {
                EXPECT_EQ(whole.count(LayoutLine(loaded, i)), 1u) << Dump(loaded);
            }
        }
        // Whatever the older copy left, the next save of ours leaves only its own paths.
        ASSERT_TRUE(SaveLayouts(loaded, m_key));
        EXPECT_EQ(PathNames(ValueNames("Pos")), PathNamesOf(loaded));
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, SaveCutOff, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "WithPaths" : "WithoutPaths";
                         });

}  // namespace
