// Start-up and shut-down of the whole program: store, INI import, hidden frame fitted and locked.
#include <gtest/gtest.h>

#include "engine/prodle_view.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

class AppStartup : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveBaseKey();
        RemoveIniFile();
    }
    void TearDown() override
    {
        App().Stop();
        RemoveIniFile();
    }
};

TEST_F(AppStartup, FirstStartCreatesTheBaseKeyAndTheMainWindowStaysHidden)
{
    ASSERT_TRUE(App().Start());
    EXPECT_TRUE(KeyExists(kBaseKey));
    ASSERT_NE(App().MainWindow(), nullptr);
    EXPECT_FALSE(::IsWindowVisible(App().MainWindow()));
    ASSERT_NE(App().View(), nullptr);
}
