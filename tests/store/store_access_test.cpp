// Under Wine's registry, which enforces the DACLs of keys: a store the user may only
// read loads and lists as usual, a save refused there reports it and leaves a store
// that loads whole once the right is given back, and a store that cannot be read is
// reported, not taken for an empty one.
#include "store/layout_persistence.h"
#include "tests/store/key_dacl.h"
#include "tests/store/layout_dump.h"
#include "tests/store/registry_fixture.h"

namespace {

class StoreAccess : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            before.SetTitle(i, ("T" + std::to_string(i)).c_str());
            for (int j = 0; j < 4; ++j) before.AddIconXY(i, i * 10 + j, j, "icon");
        }
        after.SetTitle(0, "T1");
        after.AddIconXY(0, 10, 0, "moved");
        after.SetTitle(1, "T2");
        after.AddIconXY(1, 20, 0, "icon");
        ASSERT_TRUE(SaveLayouts(before, m_key));
    }
    void TearDown() override {
        GiveBack();
        RegistryTest::TearDown();
    }
    void Restrict(const char* sddl) { ASSERT_TRUE(keydacl::SetAll(m_key, {"Title", "Pos"}, sddl)); }
    void GiveBack() {
        keydacl::SetAll(m_key, {"Title", "Pos", "Saving", "Saving\\Title"}, keydacl::kFullAccess);
    }
    DWORD SubkeyCount(const std::string& section) const {
        HKEY key = nullptr;
        DWORD subkeys = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, Path(section).c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr);
            RegCloseKey(key);
        }
        return subkeys;
    }

    CLayoutStore before, after;
};

TEST_F(StoreAccess, ReadOnlyStoreListsAndARefusedSaveLeavesAWholeStore) {
    ASSERT_NO_FATAL_FAILURE(Restrict(keydacl::kReadOnly));
    CLayoutStore listed;
    EXPECT_EQ(LoadLayouts(listed, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(listed), Dump(before));

    EXPECT_FALSE(SaveLayouts(after, m_key)) << "a refused save reported as done";
    // Still read-only: whatever the save staged, the next start lists a whole store.
    CLayoutStore still;
    EXPECT_NE(LoadLayouts(still, m_key), LoadResult::kUnreadable);
    EXPECT_TRUE(Dump(still) == Dump(before) || Dump(still) == Dump(after)) << Dump(still);

    GiveBack();
    CLayoutStore next;
    EXPECT_EQ(LoadLayouts(next, m_key), LoadResult::kLoaded);
    EXPECT_TRUE(Dump(next) == Dump(before) || Dump(next) == Dump(after)) << Dump(next);
    EXPECT_FALSE(KeyExists("Saving"));
    EXPECT_TRUE(SaveLayouts(after, m_key));
    CLayoutStore saved;
    EXPECT_EQ(LoadLayouts(saved, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(saved), Dump(after));
}

TEST_F(StoreAccess, UnreadableStoreIsReportedAndNotChanged) {
    for (const char* section : {"", "Title", "Pos"}) {
        SCOPED_TRACE(std::string("refused: ") + (*section ? section : "the key"));
        ASSERT_TRUE(keydacl::Set(Path(section), keydacl::kNoAccess));
        CLayoutStore listed;
        EXPECT_EQ(LoadLayouts(listed, m_key), LoadResult::kUnreadable);
        EXPECT_EQ(listed.GetCount(), 0) << "a part of the store is listed";
        GiveBack();
        EXPECT_FALSE(KeyExists("Saving"));
        CLayoutStore back;
        EXPECT_EQ(LoadLayouts(back, m_key), LoadResult::kLoaded);
        EXPECT_EQ(Dump(back), Dump(before));
    }
}

// A slot whose "Title" may not be read (Wine enforces read rights on keys, not the right
// to delete one). Its removal stops there: Wine's RegDeleteTree removes "Pos" first, then
// cannot open "Title", and the slot key stays. A save then stages into the other slot;
// marked complete, the slot makes the store unreadable; with the right given back, the
// next start removes it.
TEST_F(StoreAccess, ASlotThatCannotBeReadIsNeverStagedIntoNorListed) {
    ASSERT_TRUE(SaveLayouts(after, Path("Saving")));
    ASSERT_TRUE(keydacl::Set(Path("Saving\\Title"), keydacl::kNoAccess));
    CLayoutStore listed;
    EXPECT_EQ(LoadLayouts(listed, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(listed), Dump(before));
    EXPECT_FALSE(KeyExists("Saving\\Pos")) << "the leaf keys go first";
    EXPECT_EQ(SubkeyCount("Saving"), 1u) << "\"Title\" and the slot key stay";

    EXPECT_TRUE(SaveLayouts(after, m_key)) << "a slot left behind fails no save";
    EXPECT_FALSE(KeyExists("Saving.2"));
    CLayoutStore saved;
    EXPECT_EQ(LoadLayouts(saved, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(saved), Dump(after));

    PutDword("Saving", "Complete", 7);
    const auto values = [&] { return std::pair{ValueCount("Title"), ValueCount("Pos")}; };
    const auto kept = values();
    CLayoutStore unreadable;
    EXPECT_EQ(LoadLayouts(unreadable, m_key), LoadResult::kUnreadable);
    EXPECT_EQ(unreadable.GetCount(), 0);
    EXPECT_EQ(values(), kept);
    EXPECT_EQ(Get("Saving", "Complete").data, DwordBytes(7));

    GiveBack();
    CLayoutStore next;
    EXPECT_EQ(LoadLayouts(next, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(next), Dump(after)) << "a slot whose removal had begun is no store";
    EXPECT_FALSE(KeyExists("Saving"));
}

// A save staged beside a slot of the last generation, 0xFFFFFFFF, while the key's sections
// may only be read: its own slot is marked with the generation after it, which counts
// as complete and newer, so it is listed and, once writing is allowed, finished.
TEST_F(StoreAccess, ASaveStagedAfterTheLastGenerationIsTheOneFinished) {
    CLayoutStore kept;
    kept.SetTitle(0, "kept");
    kept.AddIconXY(0, 1, 1, "icon");
    ASSERT_TRUE(SaveLayouts(kept, Path("Saving")));
    PutDword("Saving", "Complete", 0xFFFFFFFF);
    ASSERT_TRUE(keydacl::Set(Path("Title"), keydacl::kReadOnly));
    ASSERT_TRUE(keydacl::Set(Path("Pos"), keydacl::kReadOnly));
    EXPECT_FALSE(SaveLayouts(after, m_key));
    EXPECT_EQ(Get("Saving.2", "Complete").data, DwordBytes(1));
    CLayoutStore listed;
    EXPECT_EQ(LoadLayouts(listed, m_key), LoadResult::kSaveUnfinished);
    EXPECT_EQ(Dump(listed), Dump(after));

    GiveBack();
    CLayoutStore next;
    EXPECT_EQ(LoadLayouts(next, m_key), LoadResult::kLoaded);
    EXPECT_EQ(Dump(next), Dump(after));
    EXPECT_FALSE(KeyExists("Saving"));
    EXPECT_FALSE(KeyExists("Saving.2"));
}

}  // namespace
