// The set-up and tear-down every end-to-end test shares: no saved layouts before and
// after, TORVINEL.EXE reported as itself (not as Windows 98), no test desktop left
// running afterwards.
#pragma once

#include <gtest/gtest.h>

namespace e2e {

class Fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

}  // namespace e2e
