// Tests of how icon names compare (store/icon_name.h): only single-byte ASCII letters
// fold, and a double-byte character of the ANSI code page (932 in the tests) is walked
// as one, whatever its trail byte.
#include <gtest/gtest.h>

#include "store/icon_name.h"

namespace {

struct Pair {
    const char* what;
    const char* a;
    const char* b;
    bool equal;
};

TEST(IconName, OnlyAsciiLettersFold) {
    const Pair pairs[] = {
        {"lower", "My Computer", "my computer", true},
        {"upper", "My Computer", "MY COMPUTER", true},
        {"a trailing space", "notes", "notes ", false},
        {"a shorter name", "My Computer", "My Compute", false},
        {"bytes above 0x7F never fold", "\xC4pfel", "\xE4pfel", false},
        {"letters after a single-byte kana", "\xC4pfel", "\xC4PFEL", true},
        {"empty", "", "", true},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(FoldIconName(p.a) == FoldIconName(p.b), p.equal) << p.what;
    }
    EXPECT_EQ(FoldIconName(nullptr), "");
}

// Names in code page 932, spelt as bytes. A lead byte and the byte after it are one
// character, compared unchanged even when that byte lies in 'A'..'Z'; a letter after a
// character whose trail byte could also lead still folds.
TEST(IconName, DoubleByteNamesCompareByCharacter) {
    const Pair pairs[] = {
        {"yosan/yoshi", "\x97\x5C\x8E\x5A", "\x97\x5C\x8E\x7A", false},  // 予算, 予斯
        {"a/di", "\x83\x41", "\x83\x61", false},                         // ア, ヂ
        {"ABC/abc", "ABC", "abc", true},
        {"small a + A/a", "\x82\x9F\x41", "\x82\x9F\x61", true},  // ぁA, ぁa
        {"lead byte at the end", "x\x83", "X\x83", true},
        {"lead byte at the end/other", "\x83", "\x84", false},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(FoldIconName(p.a) == FoldIconName(p.b), p.equal) << p.what;
    }
}

}  // namespace
