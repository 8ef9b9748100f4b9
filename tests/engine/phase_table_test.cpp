// The phase table answers every phase and event exactly once, and the architecture page shows it as it is.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/phase_table.h"

TEST(PhaseTable, EveryPhaseAndEventHaveExactlyOneRule)
{
    for (int phase = 0; phase < kPhaseCount; ++phase) {
        for (int trigger = 0; trigger < kTriggerCount; ++trigger) {
            int rules = 0;
            for (size_t i = 0; i < kPhaseRuleCount; ++i)
                rules += (kPhaseRules[i].from >> phase & 1) && (kPhaseRules[i].triggers >> trigger & 1);
            EXPECT_EQ(rules, 1) << PhaseName(static_cast<Phase>(phase)) << " x "
                                << TriggerName(static_cast<Trigger>(trigger));
        }
    }
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
    EXPECT_EQ(page.substr(from + begin.size(), to - from - begin.size()), PhaseTableDocument())
        << "docs/architecture.md's phase table is made by PhaseTableDocument() from engine/phase_table.cpp";
}
