// Two sessions over loopback, each serviced in turn as a frame loop would. Every wait loops
// servicing both sides until its condition holds, with a generous bound; the silence clock
// is the tests' own, so a 5 s silence takes no 5 s.
#include "net/NetSession.h"

#include <enet/enet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kMaxPumps = 5000;   // with 1 ms between them: far beyond what loopback needs

struct FakeClock {
    uint64_t ms = 1000;
    NetClock Clock() {
        return [this] { return ms; };
    }
};

std::unique_ptr<CNetSession> MakeSession(FakeClock& clock, const char* name, uint16_t version = kNetProtocolVersion) {
    NetSessionOptions options;
    options.name = name;
    options.clock = clock.Clock();
    options.version = version;
    options.settings.difficulty = 4;
    options.settings.roundsToWin = 3;
    options.settings.maxRounds = 5;
    options.seed = 424242;
    return std::make_unique<CNetSession>(options);
}

// Services every pump until done() holds; false if it never did.
bool PumpUntil(const std::function<void()>& pump, const std::function<bool()>& done) {
    for (int i = 0; i < kMaxPumps; ++i) {
        pump();
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

bool ServiceUntil(std::initializer_list<CNetSession*> sessions, const std::function<bool()>& done) {
    const std::vector<CNetSession*> all(sessions);
    return PumpUntil(
        [&] {
            for (CNetSession* session : all) {
                session->Service();
            }
        },
        done);
}

bool IsEnded(const CNetSession& session) { return session.State() == ENetSessionState::Ended; }

std::vector<ReplayStep> SomeSteps(uint32_t count, uint16_t seed) {
    std::vector<ReplayStep> steps(count);
    for (uint32_t i = 0; i < count; ++i) {
        steps[i].aimX = 10.5f + static_cast<float>(i * seed % 600);
        steps[i].aimY = 400.0f - static_cast<float>(i);
        steps[i].input = static_cast<uint16_t>((i * seed) & ReplayInput::All);
    }
    return steps;
}

class NetSessionTest : public ::testing::Test {
protected:
    // A host and a joiner in the match.
    void Connect() {
        host = MakeSession(clock, "Host");
        joiner = MakeSession(clock, "J\xF6rgen");
        ASSERT_TRUE(host->Host(0));
        ASSERT_NE(host->Port(), 0);
        ASSERT_TRUE(joiner->Join("127.0.0.1", host->Port()));
        ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] {
            return host->State() == ENetSessionState::Playing && joiner->State() == ENetSessionState::Playing;
        })) << NetEndReasonName(host->EndReason()) << " / " << NetEndReasonName(joiner->EndReason());
    }

    FakeClock clock;
    std::unique_ptr<CNetSession> host;
    std::unique_ptr<CNetSession> joiner;
};

}  // namespace

TEST_F(NetSessionTest, HandshakeAgreesOnNamesSettingsAndSeed) {
    Connect();
    EXPECT_TRUE(host->IsHost());
    EXPECT_FALSE(joiner->IsHost());
    EXPECT_EQ(host->OpponentName(), "J\xF6rgen");
    EXPECT_EQ(joiner->OpponentName(), "Host");
    EXPECT_EQ(joiner->Settings(), host->Settings());
    EXPECT_EQ(joiner->Settings().difficulty, 4);
    EXPECT_EQ(joiner->Seed(), 424242u);
}

TEST_F(NetSessionTest, InputsAttacksAndChecksumsArriveInOrder) {
    Connect();
    // More steps than one packet holds, sent in two calls, both ways.
    const std::vector<ReplayStep> joinerSteps = SomeSteps(150, 7);
    const std::vector<ReplayStep> hostSteps = SomeSteps(70, 13);
    ASSERT_TRUE(joiner->SendInputs(0, joinerSteps.data(), 100));
    ASSERT_TRUE(joiner->SendInputs(100, joinerSteps.data() + 100, 50));
    EXPECT_FALSE(joiner->SendInputs(10, joinerSteps.data(), 1)) << "a step sent twice";
    ASSERT_TRUE(joiner->SendAttack(NetAttack{120, 4}));
    ASSERT_TRUE(joiner->SendChecksum(149, 0xCAFEF00D));
    ASSERT_TRUE(host->SendInputs(0, hostSteps.data(), 70));
    ASSERT_TRUE(host->SendChecksum(69, 77));

    std::vector<ReplayStep> hostGot;
    std::vector<ReplayStep> joinerGot;
    ReplayStep step;
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] {
        while (host->TakeStep(step)) {
            hostGot.push_back(step);
        }
        while (joiner->TakeStep(step)) {
            joinerGot.push_back(step);
        }
        return hostGot.size() == joinerSteps.size() && joinerGot.size() == hostSteps.size();
    }));
    EXPECT_EQ(hostGot, joinerSteps);
    EXPECT_EQ(joinerGot, hostSteps);
    EXPECT_EQ(host->NextReceivedStep(), 150u);

    NetAttack attack;
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return host->TakeAttack(attack); }));
    EXPECT_EQ(attack.step, 120u);
    EXPECT_EQ(attack.balls, 4);
    NetChecksum checksum;
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return host->TakeChecksum(checksum); }));
    EXPECT_EQ(checksum.step, 149u);
    EXPECT_EQ(checksum.checksum, 0xCAFEF00Du);
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return joiner->TakeChecksum(checksum); }));
    EXPECT_EQ(checksum.checksum, 77u);
    EXPECT_EQ(host->State(), ENetSessionState::Playing);
    EXPECT_EQ(joiner->State(), ENetSessionState::Playing);
}

TEST_F(NetSessionTest, EachSideCountsTheBytesTheOtherCounts) {
    EXPECT_EQ(MakeSession(clock, "Idle")->BytesSent(), 0u);
    Connect();
    const std::vector<ReplayStep> steps = SomeSteps(300, 3);
    ASSERT_TRUE(joiner->SendInputs(0, steps.data(), 300));
    ASSERT_TRUE(host->SendChecksum(0, 5));
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return host->ReceivedStepsWaiting() == 300; }));
    // Over loopback nothing is lost: once one side is left alone, the other receives all it sent.
    ASSERT_TRUE(ServiceUntil({host.get()}, [&] { return host->BytesReceived() == joiner->BytesSent(); }))
        << host->BytesReceived() << " of " << joiner->BytesSent();
    ASSERT_TRUE(ServiceUntil({joiner.get()}, [&] { return joiner->BytesReceived() == host->BytesSent(); }))
        << joiner->BytesReceived() << " of " << host->BytesSent();
    // 300 steps take 10 bytes each in their messages, and ENet adds its headers.
    EXPECT_GT(joiner->BytesSent(), 300u * 10u);
    EXPECT_LT(joiner->BytesSent(), 300u * 10u * 2u);
    EXPECT_GT(host->BytesSent(), 0u);
}

TEST(NetSessionAddress, OnlyNumericIPv4AddressesAreJoined) {
    FakeClock clock;
    for (const char* address : {"::1", "localhost", "", "127.0.0.1.5", "300.1.1.1", "127.0.0.1 ", "example.org"}) {
        std::unique_ptr<CNetSession> joiner = MakeSession(clock, "Me");
        EXPECT_FALSE(joiner->Join(address, kDefaultNetPort)) << address;
        EXPECT_EQ(joiner->State(), ENetSessionState::Ended) << address;
        EXPECT_EQ(joiner->EndReason(), ENetEndReason::BadAddress) << address;
    }
}

// A joiner of another version is told so, every time; the host refuses it and goes on
// listening for a player of its own version.
TEST(NetSessionVersion, AnotherVersionIsRefusedAndTheHostListensOn) {
    struct Case {
        uint16_t hostVersion;
        uint16_t joinerVersion;
    };
    for (const Case& c : {Case{kNetProtocolVersion, kNetProtocolVersion + 1}, Case{kNetProtocolVersion + 1, kNetProtocolVersion}}) {
        SCOPED_TRACE(std::to_string(c.hostVersion) + "/" + std::to_string(c.joinerVersion));
        FakeClock clock;
        std::unique_ptr<CNetSession> host = MakeSession(clock, "Host", c.hostVersion);
        ASSERT_TRUE(host->Host(0));
        for (int attempt = 0; attempt < 12; ++attempt) {
            std::unique_ptr<CNetSession> joiner = MakeSession(clock, "Joiner", c.joinerVersion);
            ASSERT_TRUE(joiner->Join("127.0.0.1", host->Port()));
            ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return IsEnded(*joiner); })) << attempt;
            EXPECT_EQ(joiner->EndReason(), ENetEndReason::VersionMismatch) << attempt;
            EXPECT_EQ(joiner->OtherVersion(), c.hostVersion) << attempt;
            EXPECT_EQ(host->State(), ENetSessionState::Listening) << NetEndReasonName(host->EndReason());
            EXPECT_EQ(host->OtherVersion(), c.joinerVersion);
        }
        // A player of the host's own version still gets in (this program speaks only its own).
        if (c.hostVersion != kNetProtocolVersion) {
            continue;
        }
        std::unique_ptr<CNetSession> joiner = MakeSession(clock, "Joiner", c.hostVersion);
        ASSERT_TRUE(joiner->Join("127.0.0.1", host->Port()));
        ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] {
            return host->State() == ENetSessionState::Playing && joiner->State() == ENetSessionState::Playing;
        }));
        EXPECT_EQ(host->OpponentName(), "Joiner");
    }
}

// The refusal reaches the joiner even when the host's program closes its session in the
// same frame as it refused (the ENet peer's disconnect must not overtake it).
TEST(NetSessionVersion, ARefusalArrivesThoughTheHostClosesAtOnce) {
    FakeClock clock;
    for (int attempt = 0; attempt < 12; ++attempt) {
        std::unique_ptr<CNetSession> host = MakeSession(clock, "Host");
        std::unique_ptr<CNetSession> joiner = MakeSession(clock, "Joiner", kNetProtocolVersion + 1);
        ASSERT_TRUE(host->Host(0));
        ASSERT_TRUE(joiner->Join("127.0.0.1", host->Port()));
        // The joiner has said hello; the host alone reads it, refuses, and closes at once,
        // before the joiner reads anything.
        ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return joiner->State() == ENetSessionState::Handshaking; }))
            << attempt;
        ASSERT_TRUE(ServiceUntil({host.get()}, [&] { return host->OtherVersion() != 0; })) << attempt;
        host.reset();
        ASSERT_TRUE(ServiceUntil({joiner.get()}, [&] { return IsEnded(*joiner); })) << attempt;
        EXPECT_EQ(joiner->EndReason(), ENetEndReason::VersionMismatch) << attempt;
    }
}

TEST_F(NetSessionTest, TheHostTakesOneOpponentAndRefusesOthers) {
    Connect();
    std::unique_ptr<CNetSession> third = MakeSession(clock, "Third");
    ASSERT_TRUE(third->Join("127.0.0.1", host->Port()));
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get(), third.get()}, [&] { return IsEnded(*third); }));
    EXPECT_EQ(third->EndReason(), ENetEndReason::HostBusy);

    // The match goes on.
    const std::vector<ReplayStep> steps = SomeSteps(3, 5);
    ASSERT_TRUE(joiner->SendInputs(0, steps.data(), 3));
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get(), third.get()}, [&] { return host->ReceivedStepsWaiting() == 3; }));
    EXPECT_EQ(host->State(), ENetSessionState::Playing);
    EXPECT_EQ(joiner->State(), ENetSessionState::Playing);
}

TEST_F(NetSessionTest, LeavingOrClosingEndsTheOtherSide) {
    Connect();
    joiner->Leave();
    EXPECT_EQ(joiner->EndReason(), ENetEndReason::Left);
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] { return IsEnded(*host); }));
    EXPECT_EQ(host->EndReason(), ENetEndReason::OpponentLeft);

    Connect();
    host.reset();
    ASSERT_TRUE(ServiceUntil({joiner.get()}, [&] { return IsEnded(*joiner); }));
    EXPECT_EQ(joiner->EndReason(), ENetEndReason::OpponentLeft);
}

TEST_F(NetSessionTest, ASilentOpponentEndsTheSessionButAQuietOneDoesNot) {
    Connect();
    // Both serviced, nothing to say: the keep-alives hold the match open for a long while.
    const uint64_t start = clock.ms;
    ASSERT_TRUE(ServiceUntil({host.get(), joiner.get()}, [&] {
        clock.ms += 100;
        return clock.ms - start >= 4 * kNetSilenceMs || IsEnded(*host) || IsEnded(*joiner);
    }));
    EXPECT_EQ(host->State(), ENetSessionState::Playing) << NetEndReasonName(host->EndReason());
    EXPECT_EQ(joiner->State(), ENetSessionState::Playing) << NetEndReasonName(joiner->EndReason());

    // The host's program hangs: it is no longer serviced.
    const uint64_t hung = clock.ms;
    ASSERT_TRUE(ServiceUntil({joiner.get()}, [&] {
        clock.ms += 100;
        return IsEnded(*joiner);
    }));
    EXPECT_EQ(joiner->EndReason(), ENetEndReason::OpponentSilent);
    // Silence counts from the last packet heard, at most a keep-alive or so before the hang.
    EXPECT_GT(clock.ms - hung, kNetSilenceMs - 2 * kNetKeepAliveMs);
    EXPECT_LE(clock.ms - hung, kNetSilenceMs + kNetKeepAliveMs);
}

// A bare ENet peer that says whatever a test tells it to.
class CRawPeer {
public:
    explicit CRawPeer(uint16_t port) {
        m_host = enet_host_create(nullptr, 1, 1, 0, 0);
        ENetAddress address{};
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = port;
        if (m_host != nullptr) {
            m_peer = enet_host_connect(m_host, &address, 1, 0);
        }
    }
    ~CRawPeer() {
        if (m_host != nullptr) {
            enet_host_destroy(m_host);
        }
    }
    void Service() {
        ENetEvent event;
        while (m_host != nullptr && enet_host_service(m_host, &event, 0) > 0) {
            if (event.type == ENET_EVENT_TYPE_CONNECT) {
                m_connected = true;
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                m_disconnected = true;
            } else if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                m_received.emplace_back(event.packet->data, event.packet->data + event.packet->dataLength);
                enet_packet_destroy(event.packet);
            }
        }
    }
    void Send(const std::vector<uint8_t>& bytes) {
        enet_peer_send(m_peer, 0, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
    }
    // Says goodbye the ENet way, at once.
    void Leave() {
        enet_peer_disconnect_now(m_peer, 0);
        enet_host_flush(m_host);
    }
    bool Connected() const { return m_connected; }
    bool Disconnected() const { return m_disconnected; }
    const std::vector<std::vector<uint8_t>>& Received() const { return m_received; }

private:
    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
    bool m_connected = false;
    bool m_disconnected = false;
    std::vector<std::vector<uint8_t>> m_received;
};

namespace {
std::vector<uint8_t> Packet(const NetPacket& packet) { return {packet.bytes, packet.bytes + packet.size}; }

std::vector<uint8_t> ValidHello() {
    NetHello hello;
    hello.name = "Raw";
    NetPacket packet;
    EncodeHello(hello, packet);
    return Packet(packet);
}

std::vector<uint8_t> Inputs(uint32_t firstStep, uint32_t count, uint16_t bits = ReplayInput::Fire) {
    NetInputs inputs;
    inputs.firstStep = firstStep;
    inputs.count = count;
    for (uint32_t i = 0; i < count; ++i) {
        inputs.steps[i].input = bits;
    }
    NetPacket packet;
    EncodeInputs(inputs, packet);
    return Packet(packet);
}

std::vector<uint8_t> Checksum(uint32_t step) {
    NetPacket packet;
    EncodeChecksum({step, 1}, packet);
    return Packet(packet);
}

std::vector<uint8_t> Attack(uint32_t step) {
    NetPacket packet;
    EncodeAttack({step, 2}, packet);
    return Packet(packet);
}

// A session hosting on the tests' clock, and a raw peer connected to it.
struct HostWithRawPeer {
    FakeClock clock;
    std::unique_ptr<CNetSession> host;
    std::unique_ptr<CRawPeer> raw;
    uint64_t msPerPump = 0;   // how far the clock moves with each pump

    // False if the host cannot listen or the peer never connects.
    bool Connect() {
        host = MakeSession(clock, "Host");
        if (!host->Host(0)) {
            return false;
        }
        raw = std::make_unique<CRawPeer>(host->Port());
        return Until([this] { return raw->Connected(); });
    }
    // The raw peer's hello, until the session plays.
    bool Greet() {
        raw->Send(ValidHello());
        return Until([this] { return host->State() == ENetSessionState::Playing; });
    }
    bool Until(const std::function<bool()>& done) {
        return PumpUntil(
            [this] {
                host->Service();
                raw->Service();
                clock.ms += msPerPump;
            },
            done);
    }
    // A real player joins the host: true once both play.
    bool JoinerPlays() {
        std::unique_ptr<CNetSession> joiner = MakeSession(clock, "Joiner");
        if (!joiner->Join("127.0.0.1", host->Port())) {
            return false;
        }
        return Until([&] {
            joiner->Service();
            return host->State() == ENetSessionState::Playing && joiner->State() == ENetSessionState::Playing;
        });
    }
};

// Connects that are never completed: a bare ENet host asks for count peers and is never
// serviced again, so it acknowledges nothing the host answers.
class CHalfOpenBurst {
public:
    CHalfOpenBurst(uint16_t port, size_t count) {
        m_host = enet_host_create(nullptr, count, 1, 0, 0);
        ENetAddress address{};
        enet_address_set_host_ip(&address, "127.0.0.1");
        address.port = port;
        for (size_t i = 0; m_host != nullptr && i < count; ++i) {
            enet_host_connect(m_host, &address, 1, 0);
        }
        if (m_host != nullptr) {
            enet_host_flush(m_host);
        }
    }
    ~CHalfOpenBurst() {
        if (m_host != nullptr) {
            enet_host_destroy(m_host);
        }
    }
    CHalfOpenBurst(const CHalfOpenBurst&) = delete;
    CHalfOpenBurst& operator=(const CHalfOpenBurst&) = delete;
    bool Sent() const { return m_host != nullptr; }

private:
    ENetHost* m_host = nullptr;
};
}  // namespace

TEST(NetSessionHostile, BrokenPacketsEndTheMatchAndBrokenHellosOnlyTheirPeer) {
    ASSERT_EQ(enet_initialize(), 0);
    struct Case {
        const char* name;
        bool greet;                                // the raw peer does the handshake first
        std::vector<std::vector<uint8_t>> packets;
    };
    std::vector<std::vector<uint8_t>> flood;
    for (uint32_t i = 0; i * kMaxNetInputSteps <= kNetStepQueue; ++i) {
        flood.push_back(Inputs(i * kMaxNetInputSteps, kMaxNetInputSteps));
    }
    // More checksums than wait to be taken: the host cannot keep them and must say so.
    std::vector<std::vector<uint8_t>> checksumFlood;
    for (uint32_t step = 1; step <= kNetSmallQueue + 1; ++step) {
        checksumFlood.push_back(Checksum(step));
    }
    std::vector<uint8_t> badInputBits = Inputs(0, 2);
    badInputBits.back() = 0xFF;
    const std::vector<Case> cases = {
        {"an empty packet first", false, {{}}},
        {"garbage first", false, {{0xFF, 0x00, 0x13}}},
        {"inputs before the handshake", false, {Inputs(0, 1)}},
        {"a hello with a broken name", false, {[] {
             std::vector<uint8_t> hello = ValidHello();
             hello.back() = 0x01;
             return hello;
         }()}},
        {"a welcome sent to the host", false, {{static_cast<uint8_t>(ENetKind::Welcome), 0x50, 0x4C, 0x4C, 0x4E, 1, 0}}},
        {"an unknown kind", true, {{200}}},
        {"a second hello", true, {ValidHello()}},
        {"inputs skipping steps", true, {Inputs(5, 1)}},
        {"inputs repeating steps", true, {Inputs(0, 3), Inputs(2, 3)}},
        {"inputs with unknown bits", true, {badInputBits}},
        {"a checksum going back", true, {Inputs(0, 10), Checksum(9), Checksum(9)}},
        {"a checksum far ahead of the inputs", true, {Checksum(kNetStepWindow + 1)}},
        {"an attack going back", true, {Inputs(0, 10), Attack(8), Attack(7)}},
        {"a keep-alive with a tail", true, {{static_cast<uint8_t>(ENetKind::KeepAlive), 1}}},
        {"a flood of inputs nobody takes", true, flood},
        {"a flood of checksums nobody takes", true, checksumFlood},
    };
    for (const Case& c : cases) {
        HostWithRawPeer peer;
        ASSERT_TRUE(peer.Connect()) << c.name;
        if (c.greet) {
            ASSERT_TRUE(peer.Greet()) << c.name;
        }
        for (const std::vector<uint8_t>& packet : c.packets) {
            peer.raw->Send(packet);
        }
        CNetSession& host = *peer.host;
        if (c.greet) {
            // The opponent broke the match: it ends.
            ASSERT_TRUE(peer.Until([&] { return IsEnded(host); })) << c.name;
            EXPECT_EQ(host.EndReason(), ENetEndReason::ProtocolError) << c.name;
            continue;
        }
        // A broken handshake is answered with a refusal the peer can read, and the host
        // goes on listening for a real player.
        const CRawPeer& raw = *peer.raw;
        ASSERT_TRUE(peer.Until([&] { return !raw.Received().empty(); })) << c.name;
        NetRefuse refuse;
        const char* why = "";
        ASSERT_TRUE(DecodeRefuse(raw.Received().back().data(), raw.Received().back().size(), refuse, why)) << c.name;
        EXPECT_EQ(refuse.reason, ENetRefusal::BadHandshake) << c.name;
        EXPECT_EQ(host.State(), ENetSessionState::Listening) << c.name << ": " << NetEndReasonName(host.EndReason());
        EXPECT_TRUE(peer.JoinerPlays()) << c.name;
    }
}

TEST(NetSessionHostile, AnOversizedPacketIsDroppedAndTheSilentSenderWithIt) {
    ASSERT_EQ(enet_initialize(), 0);
    HostWithRawPeer peer;
    peer.msPerPump = 20;
    ASSERT_TRUE(peer.Connect());
    // Larger than any message: ENet refuses to hold it, so it never reaches the session.
    peer.raw->Send(std::vector<uint8_t>(64 * 1024, static_cast<uint8_t>(ENetKind::Hello)));
    peer.raw->Send(ValidHello());
    CNetSession& host = *peer.host;
    const uint64_t start = peer.clock.ms;
    ASSERT_TRUE(peer.Until([&] { return host.PeersHeld() == 0; }));
    EXPECT_GE(peer.clock.ms - start, CNetSession::kHelloMs);
    EXPECT_TRUE(peer.raw->Disconnected());
    // The hello behind it never got through: no welcome went out, and the host listens on.
    EXPECT_TRUE(host.OpponentName().empty());
    EXPECT_TRUE(peer.raw->Received().empty());
    EXPECT_EQ(host.State(), ENetSessionState::Listening) << NetEndReasonName(host.EndReason());
    EXPECT_TRUE(peer.JoinerPlays());
}

TEST(NetSessionHostile, AGoodbyeEndsTheMatchWhileThePeerStaysConnected) {
    ASSERT_EQ(enet_initialize(), 0);
    HostWithRawPeer peer;
    ASSERT_TRUE(peer.Connect());
    ASSERT_TRUE(peer.Greet());
    NetPacket goodbye;
    EncodeGoodbye(ENetGoodbye::MatchOver, goodbye);
    peer.raw->Send(Packet(goodbye));
    ASSERT_TRUE(peer.Until([&] { return IsEnded(*peer.host); }));
    EXPECT_EQ(peer.host->EndReason(), ENetEndReason::OpponentLeft);
}

// Bursts of 200 connects that never complete, one before a real player joins and one while
// he does: the host makes room for the real player, who gets in long before the strays'
// time is up. Once it is, the strays' slots are all free again.
TEST(NetSessionHostile, HalfOpenConnectsNeverKeepARealPlayerOut) {
    ASSERT_EQ(enet_initialize(), 0);
    HostWithRawPeer peer;
    peer.host = MakeSession(peer.clock, "Host");
    ASSERT_TRUE(peer.host->Host(0));
    CHalfOpenBurst first(peer.host->Port(), 200);
    ASSERT_TRUE(first.Sent());
    ASSERT_TRUE(ServiceUntil({peer.host.get()}, [&] { return peer.host->PeersHeld() > 0; }));
    // The slots fill up; after the grace of a half-open connect, room is made.
    EXPECT_EQ(peer.host->PeersHeld(), CNetSession::kHostPeers);
    peer.clock.ms += CNetSession::kHalfOpenGraceMs;
    peer.host->Service();
    EXPECT_LE(peer.host->PeersHeld(), CNetSession::kHostPeers - CNetSession::kSpareHostPeers);
    std::unique_ptr<CNetSession> joiner = MakeSession(peer.clock, "Joiner");
    ASSERT_TRUE(joiner->Join("127.0.0.1", peer.host->Port()));
    CHalfOpenBurst second(peer.host->Port(), 200);
    ASSERT_TRUE(second.Sent());
    const uint64_t joined = peer.clock.ms;
    ASSERT_TRUE(ServiceUntil({peer.host.get(), joiner.get()}, [&] {
        peer.clock.ms += 5;
        return peer.host->State() == ENetSessionState::Playing && joiner->State() == ENetSessionState::Playing;
    })) << NetEndReasonName(peer.host->EndReason()) << " / " << NetEndReasonName(joiner->EndReason());
    EXPECT_LT(peer.clock.ms - joined, CNetSession::kHalfOpenMs) << "the strays' own time did not have to pass";
    EXPECT_EQ(peer.host->OpponentName(), "Joiner");

    // The strays age out: every slot but the opponent's is free again.
    ASSERT_TRUE(ServiceUntil({peer.host.get(), joiner.get()}, [&] {
        peer.clock.ms += 50;
        return peer.host->PeersHeld() == 0;
    }));
    EXPECT_EQ(peer.host->State(), ENetSessionState::Playing);
}

// Peers that connect and do no good (leave again, say nothing, send another version's hello
// or garbage) are dropped or refused one by one; hosting goes on, and a real player joins.
TEST(NetSessionHostile, StrayPeersNeverEndHosting) {
    ASSERT_EQ(enet_initialize(), 0);
    enum class EStray { Leaves, StaysSilent, OtherVersion, Garbage };
    const struct {
        const char* name;
        EStray stray;
        bool refused;                // the stray reads a refusal, with this reason
        ENetRefusal reason;
    } cases[] = {
        {"a connect followed by a leave", EStray::Leaves, false, ENetRefusal::Busy},
        {"a peer that says nothing", EStray::StaysSilent, false, ENetRefusal::Busy},
        {"a hello of another version", EStray::OtherVersion, true, ENetRefusal::VersionMismatch},
        {"garbage", EStray::Garbage, true, ENetRefusal::BadHandshake},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostWithRawPeer peer;
        ASSERT_TRUE(peer.Connect());
        CNetSession& host = *peer.host;
        switch (c.stray) {
            case EStray::Leaves:
                peer.raw->Leave();
                break;
            case EStray::StaysSilent:
                break;
            case EStray::OtherVersion: {
                NetHello hello;
                hello.name = "Other";
                hello.version = kNetProtocolVersion + 1;
                NetPacket packet;
                EncodeHello(hello, packet);
                peer.raw->Send(Packet(packet));
                break;
            }
            case EStray::Garbage:
                peer.raw->Send({0xFF, 0x00, 0x13});
                break;
        }
        // Time passes, well past a silent peer's time to greet.
        ASSERT_TRUE(peer.Until([&] {
            peer.clock.ms += 20;
            return host.PeersHeld() == 0 || IsEnded(host);
        }));
        EXPECT_EQ(host.State(), ENetSessionState::Listening) << NetEndReasonName(host.EndReason());
        if (c.refused) {
            ASSERT_FALSE(peer.raw->Received().empty());
            NetRefuse refuse;
            const char* why = "";
            ASSERT_TRUE(DecodeRefuse(peer.raw->Received().back().data(), peer.raw->Received().back().size(), refuse, why));
            EXPECT_EQ(refuse.reason, c.reason);
        } else {
            EXPECT_TRUE(peer.raw->Received().empty());
        }
        EXPECT_TRUE(peer.JoinerPlays());
    }
}

// A peer the host turned away (it already plays) is not its opponent: nothing it sends
// reaches the match, and the match goes on with the opponent's steps alone.
TEST(NetSessionHostile, ARefusedPeersPacketsNeverReachTheMatch) {
    ASSERT_EQ(enet_initialize(), 0);
    HostWithRawPeer peer;
    ASSERT_TRUE(peer.Connect());
    ASSERT_TRUE(peer.Greet());
    CRawPeer stranger(peer.host->Port());
    ASSERT_TRUE(peer.Until([&] {
        stranger.Service();
        return stranger.Connected();
    }));
    stranger.Send(ValidHello());
    stranger.Send(Inputs(0, 3));
    stranger.Send(Checksum(1));
    stranger.Send(Attack(1));
    ASSERT_TRUE(peer.Until([&] {
        stranger.Service();
        return !stranger.Received().empty();
    }));
    NetRefuse refuse;
    const char* why = "";
    ASSERT_TRUE(DecodeRefuse(stranger.Received().back().data(), stranger.Received().back().size(), refuse, why)) << why;
    EXPECT_EQ(refuse.reason, ENetRefusal::Busy);
    for (int pump = 0; pump < 50; ++pump) {
        peer.host->Service();
        stranger.Service();
    }
    EXPECT_EQ(peer.host->State(), ENetSessionState::Playing);
    EXPECT_EQ(peer.host->ReceivedStepsWaiting(), 0u);
    NetChecksum checksum;
    EXPECT_FALSE(peer.host->TakeChecksum(checksum));
    // The opponent's own steps still count from its first.
    peer.raw->Send(Inputs(0, 2));
    ASSERT_TRUE(peer.Until([&] { return peer.host->ReceivedStepsWaiting() == 2; }));
    EXPECT_EQ(peer.host->State(), ENetSessionState::Playing);
}
