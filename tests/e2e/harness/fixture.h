// The set-up and tear-down every end-to-end test shares: no saved layouts before and
// after, TORVINEL.EXE reported as itself (not as Windows 98), no test desktop left
// running afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tools/test_desktop/test_desktop_client.h"

namespace e2e {

class Fixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The same, for tests that start one test desktop (or a new one in its place) at a time.
class DesktopFixture : public Fixture {
protected:
    // Ends the running test desktop, if any, and starts one with `items`, its log of
    // position messages cleared.
    void StartDesktop(const std::vector<testdesk::TestItem>& items,
                      testdesk::TestDesktopOptions options = {});

    std::unique_ptr<testdesk::TestDesktop> td;
};

}  // namespace e2e
