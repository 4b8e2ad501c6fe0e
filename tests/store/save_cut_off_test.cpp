// Saves cut off at every change they make (the stand-in refuses every change after the
// k-th, as if the process had been ended there), and starts cut off while they finish
// such a save: the next load always lists the store before the save or the one after
// it, each layout with its own icons, and then leaves the key as a whole save does.
#include <algorithm>
#include <cstdint>
#include <string>

#include "store/layout_persistence.h"
#include "tests/store/layout_dump.h"
#include "tests/store/registry_fixture.h"

namespace {

// Layout `id` of a test store: its own title and icons, so a mix shows.
void AddLayout(CLayoutStore& store, int at, int id, int icons) {
    store.SetTitle(at, ("T" + std::to_string(id)).c_str());
    for (int j = 0; j < icons; ++j)
        store.AddIconXY(at, id * 100 + j, j,
                        ("icon " + std::to_string(id) + "." + std::to_string(j)).c_str());
}

class SaveCutOff : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        // "after" is "before" with its first layout deleted (every later one moves down
        // an index) and one more at the end; "third" is another save after that.
        for (int id = 0; id < 4; ++id) AddLayout(before, id, id, 2 + id);
        for (int id = 1; id < 5; ++id) AddLayout(after, id - 1, id, 2 + id);
        AddLayout(third, 0, 9, 3);
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
        EXPECT_EQ(ValueCount("Pos"), icons);
        EXPECT_FALSE(KeyExists("Saving"));
        EXPECT_FALSE(KeyExists("Saving.2"));
    }
    std::string Load() {
        CLayoutStore loaded;
        EXPECT_EQ(LoadLayouts(loaded, m_key), LoadResult::kLoaded);
        return Dump(loaded);
    }

    CLayoutStore before, after, third;
};

TEST_F(SaveCutOff, EveryCutListsTheOldOrTheNewStoreWhole) {
    size_t total = 0, firstNew = 0;
    Measure(total, firstNew);
    ASSERT_GT(total, 60u);
    // The new store is listed only once its staging is whole, well after the first
    // values were written, and before the key itself has been written.
    EXPECT_GT(firstNew, total / 3);
    EXPECT_LT(firstNew, total - 20);
    for (size_t k = 0; k <= total; ++k) {
        SCOPED_TRACE("cut after change " + std::to_string(k) + " of " + std::to_string(total));
        const bool saved = SaveCutAfter(after, k);
        // Reported saved only once the key holds the new store.
        EXPECT_EQ(saved, k + 1 >= total);
        const auto [result, listed] = LoadCutAfter(SIZE_MAX);
        EXPECT_EQ(result, LoadResult::kLoaded);
        EXPECT_EQ(listed, k < firstNew ? Dump(before) : Dump(after));
        ExpectKeyAsAfterWholeSave(k < firstNew ? before : after);
    }
}

TEST_F(SaveCutOff, StartsCutOffWhileFinishingAStagedSaveListTheNewStore) {
    size_t total = 0, firstNew = 0;
    Measure(total, firstNew);
    // Cut once the staging is whole, at the marker, in the key's values and at the end.
    for (const size_t k : {firstNew, firstNew + 1, (firstNew + total) / 2, total - 2}) {
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

TEST_F(SaveCutOff, ASaveOverAKeptStagingIsCutOffAnywhereWithoutAMix) {
    size_t total = 0, firstNew = 0;
    Measure(total, firstNew);
    // The key was half written when the start that should finish it was refused: the
    // staged store is listed and kept. Then "third" is saved and cut at every change.
    const size_t halfWritten = (firstNew + total) / 2;
    const auto keepStaging = [&] {
        SaveCutAfter(after, halfWritten);
        const auto [kept, listed] = LoadCutAfter(3);
        ASSERT_EQ(kept, LoadResult::kSaveUnfinished);
        ASSERT_EQ(listed, Dump(after));
    };
    ASSERT_NO_FATAL_FAILURE(keepStaging());
    ASSERT_TRUE(SaveOnlyCutAfter(third, SIZE_MAX));
    const size_t thirdTotal = regstub::ChangeCount();
    for (size_t j = 0; j <= thirdTotal; ++j) {
        SCOPED_TRACE("second save cut after " + std::to_string(j));
        ASSERT_NO_FATAL_FAILURE(keepStaging());
        SaveOnlyCutAfter(third, j);
        const std::string next = LoadCutAfter(SIZE_MAX).second;
        EXPECT_TRUE(next == Dump(after) || next == Dump(third)) << next;
        // The key was half written before: only what it lists is known.
        EXPECT_EQ(Load(), next);
        EXPECT_FALSE(KeyExists("Saving"));
        EXPECT_FALSE(KeyExists("Saving.2"));
    }
}

}  // namespace
