// The local address and the validation of the chosen host, seen from the wire and from the form.
// Only names that resolve without asking a name server are used (the machine's own name, "localhost"),
// and the name that must fail has a label too long for any DNS query, so no lookup leaves the machine.
#include <regex>
#include <set>
#include <string>

#include "app/resource.h"
#include "support/engine_fixture.h"
#include "support/import_patch.h"
#include "support/pump.h"
#include "support/registry.h"
#include "support/test_app.h"

namespace {

// The dotted addresses of this machine's own name, as the platform reports them.
std::set<std::string> OwnAddresses()
{
    std::set<std::string> addresses;
    char name[100] = {};
    ::gethostname(name, sizeof name - 1);
    if (const hostent* entry = ::gethostbyname(name))
        for (char** address = entry->h_addr_list; address && *address; ++address)
            addresses.insert(::inet_ntoa(*reinterpret_cast<in_addr*>(*address)));
    return addresses;
}

// A lookup that the platform refuses to start.
HANDLE WINAPI RefusedLookup(HWND, u_int, const char*, char*, int)
{
    ::WSASetLastError(WSAENETDOWN);
    return nullptr;
}

}  // namespace

class AddressResolution : public EngineFixture {};

TEST_F(AddressResolution, RequestCarriesTheLocalAddressWhichIsLookedUpOncePerRun)
{
    SetHosts({"127.0.0.1"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);

    PressStart();
    EXPECT_EQ(Status(), "Determining Local IP Address");
    EXPECT_EQ(CurrentPhase(), Phase::LookingUpLocalAddress);
    EXPECT_EQ(App().GetWaitCursorCount(), 1);
    EXPECT_FALSE(StartEnabled());
    SettleLookups();
    const std::string local = Engine().LocalAddress();
    EXPECT_TRUE(std::regex_match(local, std::regex("[0-9]{1,3}(\\.[0-9]{1,3}){3}"))) << local;
    EXPECT_EQ(OwnAddresses().count(local), 1u) << local;
    // A numeric host needs no lookup: the countdown runs and the status keeps the text before it.
    EXPECT_TRUE(Counting());
    EXPECT_EQ(Status(), "Determining Local IP Address");

    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    const std::string request = server.Requests()[0];
    EXPECT_EQ(request, ExpectedRequest(local));
    EXPECT_EQ(request.size(), 122 + local.size());
    EXPECT_NE(request.find("\r\nHost: " + local + "\r\n"), std::string::npos);
    EXPECT_TRUE(WaitUntilCompleted());

    // The second start of the run goes straight to the countdown.
    PressStart();
    EXPECT_EQ(Status(), "Starting Connection");
    EXPECT_EQ(App().GetWaitCursorCount(), 0);
    EXPECT_TRUE(Counting());
    EXPECT_EQ(Engine().LocalAddress(), local);
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(AddressResolution, NamedHostIsValidatedThenConnected)
{
    SetHosts({"localhost"});
    LoopbackServer server(ServerBehaviour::Reply);
    ASSERT_TRUE(server.Listening());
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    StartCycleAndSettle();
    ASSERT_TRUE(Counting());

    PressStart();
    EXPECT_EQ(Status(), "Validating Domain Name");
    EXPECT_EQ(CurrentPhase(), Phase::CheckingHost);
    EXPECT_FALSE(Counting());
    EXPECT_EQ(App().GetWaitCursorCount(), 1);
    SettleLookups();
    ASSERT_TRUE(Counting());
    EXPECT_EQ(Status(), "Validating Domain Name");

    Tick();
    ASSERT_TRUE(WaitForRequests(server, 1));
    EXPECT_TRUE(WaitUntilCompleted());
    EXPECT_EQ(Engine().CurrentHost(), "localhost");
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(AddressResolution, NameThatDoesNotResolveStopsTheEngineWithItsName)
{
    const std::string name = "no-such-host-" + std::string(70, 'x') + ".invalid";
    SetHosts({name.c_str()});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    ASSERT_EQ(HostText(), name);

    StartCycleAndSettle();
    ASSERT_EQ(BoxCount(), 1u);
    const std::string box = LastBox();
    EXPECT_TRUE(IsErrorBox(box, "Prodle: Name " + name + " Not Found")) << box;
    EXPECT_FALSE(Counting());
    EXPECT_EQ(Status(), "NOT RUNNING");
    EXPECT_EQ(TrayTip(), "Prodle has stopped");
    EXPECT_TRUE(StartEnabled());
}

TEST_F(AddressResolution, LookupsThatCannotStartStopTheEngineInsteadOfHanging)
{
    SetHosts({"localhost"});
    StartProdle();
    ASSERT_NE(Form(), nullptr);
    {
        ImportPatch refused({"ws2_32.dll", "wsock32.dll"}, "WSAAsyncGetHostByName",
                            reinterpret_cast<void*>(&RefusedLookup));
        ASSERT_GT(refused.Patched(), 0u);
        StartCycleAndSettle();
    }
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Unable to get local IP address.\nHave you dialed your ISP?"))
        << LastBox();
    EXPECT_EQ(Engine().LocalAddress(), "no address yet");
    EXPECT_EQ(TrayTip(), "Prodle has stopped");
    EXPECT_TRUE(StartEnabled());

    // The next start looks the local address up again, and now it works.
    PressStart();
    EXPECT_EQ(CurrentPhase(), Phase::LookingUpLocalAddress);
    SettleLookups();
    EXPECT_NE(Engine().LocalAddress(), "no address yet");
    EXPECT_TRUE(Counting());
    EXPECT_EQ(BoxCount(), 1u);

    {
        ImportPatch refused({"ws2_32.dll", "wsock32.dll"}, "WSAAsyncGetHostByName",
                            reinterpret_cast<void*>(&RefusedLookup));
        StartCycleAndSettle();
    }
    ASSERT_EQ(BoxCount(), 2u);
    EXPECT_TRUE(IsErrorBox(LastBox(), "Prodle: Name localhost Not Found")) << LastBox();
    EXPECT_FALSE(Counting());
    EXPECT_TRUE(StartEnabled());
}
