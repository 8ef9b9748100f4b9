// The phase table answers every phase and event exactly once, and the architecture page shows it as it is.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/keep_alive_cycle.h"
#include "engine_driver.h"

TEST(PhaseTable, EveryPhaseAndEventHaveExactlyOneRule)
{
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        for (int trigger = 0; trigger < kTriggerCount; ++trigger) {
            int rules = 0;
            for (const PhaseRule& rule : KeepAliveCycle::Rules())
                rules += (rule.from >> phase & 1) && (rule.triggers >> trigger & 1);
            EXPECT_EQ(rules, 1) << PhaseName(static_cast<Phase>(phase)) << " x "
                                << TriggerName(static_cast<Trigger>(trigger));
        }
    }
}

// A handler that ends where its row does not allow is reported, and what it did stands.
TEST(PhaseTable, AMoveTheTableLacksIsReported)
{
    KeepAliveCycle::Table table = KeepAliveCycle::Rows();
    for (KeepAliveCycle::Row& row : table) {
        if ((row.from & Phases(Phase::Stopped)) && (row.triggers & Triggers(Trigger::Start)))
            row.to = Phases(Phase::CheckingHost);
    }
    EngineDriver driver;
    driver.Launch(EngineDriver::Stored({"www.example.com"}), EngineDriver::DefaultParameters(), table);
    driver->Start();
    EXPECT_EQ(driver.world.faults, std::vector<std::string>{"Prodle's engine: Start in Stopped led to "
                                                            "LookingUpLocalAddress, which its table does not "
                                                            "allow."});
    EXPECT_EQ(driver.phase(), Phase::LookingUpLocalAddress);
    driver.AnswerLocalAddress();
    EXPECT_EQ(driver.world.requests.back().host, "www.example.com");
}

TEST(PhaseTable, TheArchitecturePageShowsTheTable)
{
    std::ifstream file(std::string(PRODLE_SOURCE_DIR) + "/docs/architecture.md");
    std::ostringstream text;
    text << file.rdbuf();
    const std::string page = text.str();
    const std::string begin = "<!-- phase table: made by PhaseTableDocument() -->\n";
    const std::string end = "<!-- end of the phase table -->";
    const size_t from = page.find(begin);
    const size_t to = page.find(end);
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(page.substr(from + begin.size(), to - from - begin.size()),
              PhaseTableDocument(KeepAliveCycle::Rules()))
        << "docs/architecture.md's phase table is made by PhaseTableDocument() from "
           "engine/keep_alive_cycle_table.cpp";
}
