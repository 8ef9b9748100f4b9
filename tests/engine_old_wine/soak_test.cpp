// A long run: two thousand prodles as fast as the engine takes them, with random host, random time
// and rotation between a host that refuses and one that answers. Afterwards the process holds no more
// handles or memory than after the warm-up, and the registry holds exactly the list and selection.
#include <cstdio>

#include "support/engine_fixture.h"
#include "support/process_figures.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

constexpr int kProdles = 2000;
constexpr int kWarmUpProdles = 50;
constexpr DWORD kHandleSlack = 4;
// The heap grows once by a few hundred KB some hundred prodles in, then stays flat: over the whole run
// the bound allows that; over the second half a leak of more than ~128 bytes a prodle shows.
constexpr SIZE_T kMemorySlack = 1024 * 1024;
constexpr SIZE_T kSecondHalfMemorySlack = 128 * 1024;
constexpr DWORD kTimeLimitMs = 90000;  // a guard; the run takes well under a minute

const char kRefusing[] = "127.0.0.2";  // nothing listens there: the connect is refused at once
const char kAnswering[] = "127.0.0.1";

}  // namespace

class Soak : public EngineFixture {
protected:
    struct Tally {
        int prodles = 0;
        int answered = 0;
        int refused = 0;
        int completed = 0;
    };

    // The ticks that expire the countdown: in random-host mode the first expiry of a countdown prodles
    // the host just checked (the engine is then connecting), every later one picks the other host and
    // restarts the cycle on it.
    void Expire(Tally* tally) const
    {
        TickToExpiry();
        if (CurrentPhase() == Phase::Connecting) {
            ++tally->prodles;
            WaitForConnection();
            // "Prodle was sent", or already "Prodle completed at ..." when the reply came in the meantime.
            if (Status().rfind("Prodle ", 0) == 0) {
                ++tally->answered;
                tally->completed += WaitUntilCompleted() ? 1 : 0;
            } else {
                ++tally->refused;  // the rotation has already restarted the cycle on the next host
            }
        }
        PumpPending();
    }

    // The figures once the server has finished every connection and the engine holds none.
    void Settle(const LoopbackServer& server) const
    {
        EXPECT_TRUE(PumpUntil([&] {
            return server.Finished() == server.RequestCount() &&
                   Engine().ConnectionSocket() == INVALID_SOCKET;
        }));
        PumpFor(50);
    }
};

TEST_F(Soak, TwoThousandProdlesWithRandomHostRandomTimeAndRotationLeaveNothingBehind)
{
    SetSetting("Debug", "1");
    SetSetting("RandomName", "1");
    SetSetting("RandomTime", "1");
    SetSetting("Ignore", "1");
    SetHosts({kRefusing, kAnswering}, 1);
    LoopbackServer server(ServerBehaviour::Reply, kAnswering);
    ASSERT_TRUE(server.Listening());
    server.CountRequestsOnly();
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    ASSERT_TRUE(Counting());
    // The countdown's tooltip changes at every tick; the run needs none of them to reach the shell.
    shell_->refuse = true;

    Tally tally;
    while (tally.prodles < kWarmUpProdles)
        Expire(&tally);
    Settle(server);
    const DWORD handlesBefore = ProcessHandleCount();
    const SIZE_T memoryBefore = ProcessMemory();
    ASSERT_GT(handlesBefore, 0u);

    const DWORD start = ::GetTickCount();
    SIZE_T memoryHalfway = 0;
    while (tally.prodles < kProdles && ::GetTickCount() - start < kTimeLimitMs) {
        Expire(&tally);
        if (memoryHalfway == 0 && tally.prodles >= kProdles / 2)
            memoryHalfway = ProcessMemory();
    }
    const DWORD elapsedMs = ::GetTickCount() - start;
    Settle(server);
    const DWORD handlesAfter = ProcessHandleCount();
    const SIZE_T memoryAfter = ProcessMemory();

    std::printf("[ figures  ] soak: %d prodles (%d answered and completed %d, %d refused) in %.1f s "
                "after %d warm-up prodles; handles %lu -> %lu; memory %lu KB -> %lu KB (halfway %lu KB)\n",
                tally.prodles, tally.answered, tally.completed, tally.refused, elapsedMs / 1000.0,
                kWarmUpProdles, static_cast<unsigned long>(handlesBefore),
                static_cast<unsigned long>(handlesAfter), static_cast<unsigned long>(memoryBefore / 1024),
                static_cast<unsigned long>(memoryAfter / 1024),
                static_cast<unsigned long>(memoryHalfway / 1024));
    ASSERT_EQ(tally.prodles, kProdles) << "the run passed its time limit";
    EXPECT_EQ(tally.completed, tally.answered);
    EXPECT_EQ(static_cast<size_t>(tally.answered), server.RequestCount());
    // Every refused prodle rotated to the answering host, whose prodle came next.
    EXPECT_LE(tally.answered - tally.refused, 1);
    EXPECT_GE(tally.answered - tally.refused, 0);
    EXPECT_LE(handlesAfter, handlesBefore + kHandleSlack);
    EXPECT_LT(memoryAfter, memoryBefore + kMemorySlack);
    EXPECT_LT(memoryAfter, memoryHalfway + kSecondHalfMemorySlack);

    EXPECT_EQ(BoxCount(), 0u);
    EXPECT_EQ(Setting("ComboName0"), kRefusing);
    EXPECT_EQ(Setting("ComboName1"), kAnswering);
    EXPECT_FALSE(Setting("ComboName2").has_value());
    EXPECT_EQ(Setting("ComboNameSel"), "1");
    EXPECT_EQ(Setting("Ignore"), "1");
    EXPECT_EQ(Setting("Often"), "25");
}
