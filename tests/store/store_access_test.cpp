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
    void GiveBack() { keydacl::SetAll(m_key, {"Title", "Pos", "Saving"}, keydacl::kFullAccess); }

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

}  // namespace
