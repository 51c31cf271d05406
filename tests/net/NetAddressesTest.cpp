// The addresses a player sees and types: this machine's own list, the split of "host:port",
// and the lookup of a name off the frame loop. Waits for a lookup poll with a generous bound.
// Nothing here sends a datagram or asks a name server: every address that passes is in the
// loopback range (127/8), every other one is refused before any socket, and names are the
// tests' own but for localhost, which the hosts file answers.
#include "net/NetAddresses.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr uint16_t kPort = 27960;

// Names of the tests' own, answered after a moment as a name server would, so that no test
// asks one: the lookups that are left running are counted until their threads are done.
std::atomic<int> s_namesAsked{0};
std::string TestNames(const std::string& host) {
    ++s_namesAsked;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const std::string address = host == "localhost" ? "127.0.0.1" : (host == "anna-pc" ? "127.0.0.7" : "");
    --s_namesAsked;
    return address;
}

// The tests' names for the life of a test; its end waits (bounded) for the threads it left.
struct TestNamesInUse {
    TestNamesInUse() { SetNetNameResolver(&TestNames); }
    ~TestNamesInUse() {
        for (int i = 0; i < 5000 && s_namesAsked > 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        SetNetNameResolver(nullptr);
    }
};
constexpr int kMaxPolls = 30000;   // with 1 ms between them

// Polls until the lookup is no longer pending; its state then.
ENetLookupState WaitForAnswer(CNetLookup& lookup) {
    for (int i = 0; i < kMaxPolls; ++i) {
        const ENetLookupState state = lookup.Poll();
        if (state != ENetLookupState::Pending) {
            return state;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return lookup.Poll();
}

TEST(NetAddressesTest, TypedAddressesSplitIntoHostAndPortOrAreRefusedWithTheirReason) {
    const struct {
        const char* typed;
        ENetAddressFault fault;
        const char* host;
        uint16_t port;
        bool numeric;
    } cases[] = {
        {"127.0.0.1", ENetAddressFault::None, "127.0.0.1", kPort, true},
        {"  127.0.0.2:27961 ", ENetAddressFault::None, "127.0.0.2", 27961, true},
        {"127.1.2.20:65535", ENetAddressFault::None, "127.1.2.20", 65535, true},
        {"anna-pc", ENetAddressFault::None, "anna-pc", kPort, false},
        {"Anna-PC.lan:1024", ENetAddressFault::None, "Anna-PC.lan", 1024, false},
        {"", ENetAddressFault::Empty, "", 0, false},
        {"   ", ENetAddressFault::Empty, "", 0, false},
        {"::1", ENetAddressFault::IPv6, "", 0, false},
        {"[::1]:27960", ENetAddressFault::IPv6, "", 0, false},
        {"fe80::1c2:3", ENetAddressFault::IPv6, "", 0, false},
        {"anna-pc:", ENetAddressFault::BadPort, "", 0, false},
        {"anna-pc:0", ENetAddressFault::BadPort, "", 0, false},
        {"127.0.0.2:65536", ENetAddressFault::BadPort, "", 0, false},
        {"127.0.0.2:27a", ENetAddressFault::BadPort, "", 0, false},
        {"127.0.0.2:123456", ENetAddressFault::BadPort, "", 0, false},
        {"1.2.3", ENetAddressFault::BadAddress, "", 0, false},
        {"256.1.1.1", ENetAddressFault::BadAddress, "", 0, false},
        {"1.2.3.4.5", ENetAddressFault::BadAddress, "", 0, false},
        {":27960", ENetAddressFault::BadAddress, "", 0, false},
        {"my pc", ENetAddressFault::BadAddress, "", 0, false},
        {"anna..pc", ENetAddressFault::BadAddress, "", 0, false},
        {"anna_pc\xE5", ENetAddressFault::BadAddress, "", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        NetAddressText parsed;
        ENetAddressFault fault = ENetAddressFault::BadAddress;
        EXPECT_EQ(ParseNetAddress(c.typed, kPort, parsed, fault), c.fault == ENetAddressFault::None);
        EXPECT_EQ(fault, c.fault) << NetAddressFaultName(fault);
        if (c.fault == ENetAddressFault::None) {
            EXPECT_EQ(parsed.host, c.host);
            EXPECT_EQ(parsed.port, c.port);
            EXPECT_EQ(parsed.numeric, c.numeric);
        }
    }
}

TEST(NetAddressesTest, ADottedAddressOrARefusedOneIsAnsweredAtOnce) {
    const struct {
        const char* typed;
        ENetLookupState state;
        ENetAddressFault fault;
        const char* address;
        uint16_t port;
    } cases[] = {
        {"127.0.0.1", ENetLookupState::Found, ENetAddressFault::None, "127.0.0.1", kPort},
        {"127.1.2.3:4000", ENetLookupState::Found, ENetAddressFault::None, "127.1.2.3", 4000},
        {"::1", ENetLookupState::Failed, ENetAddressFault::IPv6, "", 0},
        {"127.1.2.3:99999", ENetLookupState::Failed, ENetAddressFault::BadPort, "", 0},
        {"999.1.1.1", ENetLookupState::Failed, ENetAddressFault::BadAddress, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CNetLookup lookup;
        EXPECT_EQ(lookup.Poll(), ENetLookupState::Idle);
        ASSERT_TRUE(lookup.Start(c.typed, kPort));
        // No thread, no waiting: the first poll has the answer.
        EXPECT_EQ(lookup.Poll(), c.state);
        EXPECT_EQ(lookup.Fault(), c.fault);
        EXPECT_EQ(lookup.Address(), c.address);
        if (c.state == ENetLookupState::Found) {
            EXPECT_EQ(lookup.Port(), c.port);
        }
    }
}

TEST(NetAddressesTest, ANameIsLookedUpOnAThreadAndAnUnknownOneIsNotFound) {
    const TestNamesInUse names;
    const struct {
        const char* typed;
        ENetLookupState state;
        const char* address;
        uint16_t port;
    } cases[] = {
        {"anna-pc", ENetLookupState::Found, "127.0.0.7", kPort},
        {"anna-pc:2345", ENetLookupState::Found, "127.0.0.7", 2345},
        {"no-such-host.invalid", ENetLookupState::Failed, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        CNetLookup lookup;
        ASSERT_TRUE(lookup.Start(c.typed, kPort));
        EXPECT_EQ(lookup.Poll(), ENetLookupState::Pending);
        EXPECT_EQ(WaitForAnswer(lookup), c.state);
        EXPECT_EQ(lookup.Address(), c.address);
        if (c.state == ENetLookupState::Found) {
            EXPECT_EQ(lookup.Port(), c.port);
            EXPECT_EQ(lookup.Fault(), ENetAddressFault::None);
        } else {
            EXPECT_EQ(lookup.Fault(), ENetAddressFault::NotFound);
        }
        EXPECT_EQ(lookup.Host(), std::string(c.typed).substr(0, std::string(c.typed).find(':')));
    }
}

// The system's resolver, on the one name every machine knows from its hosts file.
TEST(NetAddressesTest, TheSystemFindsLocalhost) {
    CNetLookup lookup;
    ASSERT_TRUE(lookup.Start("localhost:2345", kPort));
    EXPECT_EQ(WaitForAnswer(lookup), ENetLookupState::Found);
    EXPECT_EQ(lookup.Address(), "127.0.0.1");
    EXPECT_EQ(lookup.Port(), 2345);
}

TEST(NetAddressesTest, ALookupLeftRunningNeitherWaitsNorLeaksItsAnswerIntoTheNext) {
    const TestNamesInUse names;
    // Destroyed at once, many times over, while their threads still ask.
    for (int i = 0; i < 20; ++i) {
        auto lookup = std::make_unique<CNetLookup>();
        ASSERT_TRUE(lookup->Start(i % 2 == 0 ? "localhost" : "no-such-host.invalid", kPort));
        lookup.reset();
    }
    // A new start drops the answer of the one before it.
    CNetLookup lookup;
    ASSERT_TRUE(lookup.Start("no-such-host.invalid", kPort));
    ASSERT_TRUE(lookup.Start("localhost:3456", kPort));
    EXPECT_EQ(WaitForAnswer(lookup), ENetLookupState::Found);
    EXPECT_EQ(lookup.Address(), "127.0.0.1");
    EXPECT_EQ(lookup.Port(), 3456);
    // Cancelled while pending: idle, and it stays so when the thread answers.
    ASSERT_TRUE(lookup.Start("localhost", kPort));
    lookup.Cancel();
    EXPECT_EQ(lookup.Poll(), ENetLookupState::Idle);
    EXPECT_TRUE(lookup.Address().empty());
}

TEST(NetAddressesTest, OwnAddressesAreDottedAndTheLoopbackComesLast) {
    std::vector<std::string> addresses = {"left over"};
    ListOwnAddresses(addresses);
    ASSERT_FALSE(addresses.empty());
    EXPECT_EQ(addresses.back(), "127.0.0.1");
    for (size_t i = 0; i < addresses.size(); ++i) {
        SCOPED_TRACE(addresses[i]);
        NetAddressText parsed;
        ENetAddressFault fault = ENetAddressFault::None;
        EXPECT_TRUE(ParseNetAddress(addresses[i], kPort, parsed, fault));
        EXPECT_TRUE(parsed.numeric);
        const bool loopback = addresses[i].rfind("127.", 0) == 0;
        // Every loopback address after every other one.
        for (size_t j = i + 1; j < addresses.size() && loopback; ++j) {
            EXPECT_EQ(addresses[j].rfind("127.", 0), 0u) << addresses[j] << " after a loopback address";
        }
        for (size_t j = i + 1; j < addresses.size(); ++j) {
            EXPECT_NE(addresses[i], addresses[j]) << "listed twice";
        }
    }
}

}  // namespace
