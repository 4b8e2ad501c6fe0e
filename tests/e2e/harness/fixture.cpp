// The end-to-end fixture (see fixture.h).
#include "tests/e2e/harness/fixture.h"

#include "tests/e2e/harness/registry.h"
#include "tools/test_desktop/test_desktop_client.h"

namespace e2e {

void Fixture::SetUp() {
    SetWin98(false);
    DeleteLayouts();
}

void Fixture::TearDown() {
    SetWin98(false);
    DeleteLayouts();
    testdesk::CloseRunningTestDesktops();
}

void DesktopFixture::StartDesktop(const std::vector<testdesk::TestItem>& items,
                                  testdesk::TestDesktopOptions options) {
    td.reset();
    td = std::make_unique<testdesk::TestDesktop>(items, options);
    ASSERT_TRUE(td->Ready());
    td->ClearSetPositionLog();
}

}  // namespace e2e
