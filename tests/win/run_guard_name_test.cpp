// The run guard's names: one guard per name and user, and what the names may hold.
#include <gtest/gtest.h>

#include <string>

#include "win/run_guard_name.h"

namespace {

const std::string kKey = "Software\\BRANOK Soft\\TORVINEL";
const std::string kUser = "S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string kOtherUser = "S-1-5-21-1004336348-1177238915-682003330-1002";

TEST(RunGuardName, OneGuardPerNameAndUser) {
    const RunGuardNames mine = MakeRunGuardNames(kKey, kUser);
    const RunGuardNames again = MakeRunGuardNames(kKey, kUser);
    EXPECT_EQ(mine.mark, again.mark);
    EXPECT_EQ(mine.mutexName, again.mutexName);

    struct Other {
        const char* why;
        RunGuardNames names;
    };
    const Other others[] = {
        {"another user", MakeRunGuardNames(kKey, kOtherUser)},
        {"the system", MakeRunGuardNames(kKey, "S-1-5-18")},
        {"another key", MakeRunGuardNames(kKey + "2", kUser)},
        {"the SID unread", MakeRunGuardNames(kKey, "")},
    };
    for (const Other& other : others) {
        EXPECT_NE(other.names.mark, mine.mark) << other.why;
        EXPECT_NE(other.names.mutexName, mine.mutexName) << other.why;
    }
}

// The SID is in the names as it is; the mutex is the mark in the session's namespace.
// Unread, the names are those of the guard before it was per user: the session's one.
TEST(RunGuardName, TheFormOfTheNames) {
    const RunGuardNames names = MakeRunGuardNames(kKey, kUser);
    const RunGuardNames session = MakeRunGuardNames(kKey, "");
    EXPECT_EQ(names.mark, session.mark + "." + kUser);
    EXPECT_EQ(names.mutexName, "Local\\" + names.mark);
    EXPECT_EQ(session.mutexName, "Local\\" + session.mark);
    ASSERT_EQ(session.mark.size(), std::string("TorvinelRun.").size() + 16);
    EXPECT_EQ(session.mark.rfind("TorvinelRun.", 0), 0u);
    EXPECT_EQ(session.mark.find_first_not_of("0123456789abcdef", 12), std::string::npos);
}

// What the system never gives as a SID is hashed: no backslash in the mutex's name (it
// would name a namespace), never more than an atom holds (255 characters), and still
// one guard per text.
TEST(RunGuardName, ATextThatIsNoSidStillMakesValidDistinctNames) {
    const std::string texts[] = {"a\\b", std::string(400, 'S'), std::string(400, 'T'), "S-1-5-21 1",
                                 std::string("\x95\x5C", 2)};
    std::string seen[std::size(texts)];
    for (size_t i = 0; i < std::size(texts); ++i) {
        const RunGuardNames names = MakeRunGuardNames(kKey, texts[i]);
        EXPECT_EQ(names.mark.find('\\'), std::string::npos) << texts[i];
        EXPECT_LE(names.mark.size(), 255u) << texts[i];
        EXPECT_EQ(names.mutexName, "Local\\" + names.mark);
        for (size_t j = 0; j < i; ++j) EXPECT_NE(names.mark, seen[j]) << texts[i];
        seen[i] = names.mark;
    }
}

}  // namespace
