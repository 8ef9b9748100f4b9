// A test of the engine among fakes: whatever a port saw that breaks a rule, and every fault the engine
// reported, fails the test at its end.
#ifndef PRODLE_TESTS_ENGINE_ENGINE_FIXTURE_H
#define PRODLE_TESTS_ENGINE_ENGINE_FIXTURE_H

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine_driver.h"

class EngineTest : public testing::Test, public EngineDriver {
protected:
    void TearDown() override
    {
        EXPECT_TRUE(world.broken.empty()) << world.broken.front();
        EXPECT_TRUE(world.faults.empty()) << world.faults.front();
    }
    // Every engine error box ends with the launch time and the time of the message.
    static std::string ErrorBox(const std::string& head)
    {
        return head + "\n\nProdle launched at time 04:05:06\nThis message created at time 04:05:06";
    }
};

#endif
