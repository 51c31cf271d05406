// The lobby's rules with a link of the test's own: what it sends, whom it closes, what it
// forwards, on a clock the test moves.
#include "server/Lobby.h"

#include "server/ServerLog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct FakeLink final : ILobbyLink {
    std::map<uint32_t, std::vector<std::vector<uint8_t>>> sent;
    std::map<uint32_t, bool> closed;   // peer: closed at once
    std::map<uint32_t, size_t> backlog;

    void Send(uint32_t peer, const uint8_t* data, size_t size) override {
        sent[peer].emplace_back(data, data + size);
    }
    void Close(uint32_t peer, bool now) override { closed[peer] = now; }
    size_t Backlog(uint32_t peer) const override {
        const auto found = backlog.find(peer);
        return found != backlog.end() ? found->second : 0;
    }
    // The last message sent to the peer, or empty.
    std::vector<uint8_t> Last(uint32_t peer) const {
        const auto found = sent.find(peer);
        return found == sent.end() || found->second.empty() ? std::vector<uint8_t>() : found->second.back();
    }
};

const uint8_t kAddressA[4] = {10, 0, 0, 1};
const uint8_t kAddressB[4] = {10, 0, 0, 2};
const uint8_t kAddressC[4] = {10, 0, 0, 3};

NetListing Listing(const char* player) {
    NetListing listing;
    listing.hostName = "box";
    listing.playerName = player;
    listing.gameVersion = "1.0";
    return listing;
}

class LobbyTest : public ::testing::Test {
protected:
    LobbyTest() { SetServerLogStream(nullptr); }
    ~LobbyTest() override { SetServerLogStream(stderr); }

    void Make() { lobby = std::make_unique<CLobby>(limits, link); }

    ELobbyVerdict Receive(uint32_t peer, const NetPacket& packet) {
        uint32_t partner = 0;
        const ELobbyVerdict verdict = lobby->OnReceive(peer, packet.bytes, packet.size, now, partner);
        lastPartner = partner;
        return verdict;
    }
    // Connects a peer and announces its match; the listing's id.
    uint32_t Host(uint32_t peer, const uint8_t address[4], const char* player, uint16_t version = kNetProtocolVersion) {
        lobby->OnConnect(peer, address, now);
        NetListing listing = Listing(player);
        listing.version = version;
        NetPacket packet;
        EncodeAnnounce(listing, packet);
        Receive(peer, packet);
        const std::vector<uint8_t> answer = link.Last(peer);
        uint32_t id = 0;
        const char* why = "";
        return DecodeAnnounced(answer.data(), answer.size(), id, why) ? id : 0;
    }
    NetMatchList AskList(uint32_t peer, uint16_t version = kNetProtocolVersion) {
        NetPacket packet;
        EncodeAskList(version, packet);
        Receive(peer, packet);
        const std::vector<uint8_t> answer = link.Last(peer);
        NetMatchList list;
        const char* why = "";
        EXPECT_TRUE(DecodeMatchList(answer.data(), answer.size(), list, why)) << why;
        return list;
    }
    ELobbyRefusal RefusalTo(uint32_t peer) const {
        const std::vector<uint8_t> answer = link.Last(peer);
        ELobbyRefusal reason = ELobbyRefusal::BadMessage;
        const char* why = "";
        EXPECT_TRUE(DecodeLobbyRefuse(answer.data(), answer.size(), reason, why)) << "no refusal sent";
        return reason;
    }

    LobbyLimits limits;
    FakeLink link;
    std::unique_ptr<CLobby> lobby;
    uint64_t now = 1000;
    uint32_t lastPartner = 0;
};

}  // namespace

TEST_F(LobbyTest, ListsTheNewestMatchesOfTheAskersVersionAndPairsAJoiner) {
    Make();
    const uint32_t first = Host(0, kAddressA, "Anna");
    now += 10;
    const uint32_t second = Host(1, kAddressB, "Bea");
    Host(2, kAddressB, "Other", kNetProtocolVersion + 1);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);

    lobby->OnConnect(3, kAddressA, now);
    NetMatchList list = AskList(3);
    ASSERT_EQ(list.count, 2u);
    EXPECT_EQ(list.total, 2);
    EXPECT_EQ(list.entries[0].listing.playerName, "Bea") << "newest first";
    EXPECT_EQ(list.entries[0].id, second);
    EXPECT_EQ(list.entries[0].address[3], 2) << "the address the server saw";
    EXPECT_EQ(list.entries[1].listing.playerName, "Anna");
    EXPECT_EQ(AskList(3, kNetProtocolVersion + 1).count, 1u);

    NetPacket packet;
    EncodeJoinRelay(kNetProtocolVersion, first, packet);
    EXPECT_EQ(Receive(3, packet), ELobbyVerdict::Consumed);
    const char* why = "";
    const std::vector<uint8_t> paired = link.Last(3);
    EXPECT_TRUE(DecodePaired(paired.data(), paired.size(), why));
    EXPECT_EQ(lobby->Counts().relays, 1u);
    EXPECT_EQ(lobby->Counts().listings, 2u) << "the paired match is no longer open";

    // From now on the game's traffic passes either way as it is; a host's late lobby
    // message does not.
    NetPacket hello;
    EncodeHello(NetHello{kNetProtocolVersion, "Cid"}, hello);
    EXPECT_EQ(Receive(3, hello), ELobbyVerdict::Forward);
    EXPECT_EQ(lastPartner, 0u);
    EncodeKeepAlive(packet);
    EXPECT_EQ(Receive(0, packet), ELobbyVerdict::Forward);
    EXPECT_EQ(lastPartner, 3u);
    EncodeAnnounce(Listing("Anna"), packet);
    EXPECT_EQ(Receive(0, packet), ELobbyVerdict::Consumed);
    EXPECT_EQ(lobby->Counts().forwardedPackets, 2u);

    // A second joiner of the same match finds it gone.
    lobby->OnConnect(4, kAddressB, now);
    EncodeJoinRelay(kNetProtocolVersion, first, packet);
    Receive(4, packet);
    EXPECT_EQ(RefusalTo(4), ELobbyRefusal::NotFound);

    // One side leaving closes the other after what it was sent.
    lobby->OnDisconnect(3, now);
    ASSERT_TRUE(link.closed.count(0));
    EXPECT_FALSE(link.closed[0]) << "closed after its queue, not at once";
    EXPECT_EQ(lobby->Counts().relays, 0u);
}

TEST_F(LobbyTest, AHostThatLeavesIsNoLongerListed) {
    Make();
    const uint32_t id = Host(0, kAddressA, "Anna");
    lobby->OnConnect(1, kAddressB, now);
    EXPECT_EQ(AskList(1).count, 1u);
    lobby->OnDisconnect(0, now);
    EXPECT_EQ(AskList(1).count, 0u);
    // Its slot and its id are not handed to the next host.
    const uint32_t next = Host(0, kAddressA, "Anna");
    EXPECT_NE(next, id);
    NetPacket packet;
    EncodeJoinRelay(kNetProtocolVersion, id, packet);
    Receive(1, packet);
    EXPECT_EQ(RefusalTo(1), ELobbyRefusal::NotFound);
}

TEST_F(LobbyTest, LimitsPerAddressAndPerPeerAreKept) {
    limits.maxListingsPerAddress = 2;
    limits.maxPeersPerAddress = 3;
    limits.maxListings = 3;
    limits.messagesPerSecond = 2;
    limits.messageBurst = 3;
    limits.announcesPerMinute = 100;
    Make();
    EXPECT_NE(Host(0, kAddressA, "A1"), 0u);
    EXPECT_NE(Host(1, kAddressA, "A2"), 0u);
    EXPECT_EQ(Host(2, kAddressA, "A3"), 0u);
    EXPECT_EQ(RefusalTo(2), ELobbyRefusal::TooMany) << "a third match from one address";
    lobby->OnConnect(3, kAddressA, now);
    EXPECT_EQ(RefusalTo(3), ELobbyRefusal::TooMany) << "a fourth connection from one address";
    EXPECT_NE(Host(4, kAddressB, "B1"), 0u);
    EXPECT_EQ(Host(5, kAddressB, "B2"), 0u);
    EXPECT_EQ(RefusalTo(5), ELobbyRefusal::Full);

    // A burst of three asks is answered, the fourth at once is refused; with time it heals.
    lobby->OnConnect(6, kAddressC, now);
    for (int i = 0; i < 3; ++i) {
        AskList(6);
    }
    NetPacket packet;
    EncodeAskList(kNetProtocolVersion, packet);
    Receive(6, packet);
    EXPECT_EQ(RefusalTo(6), ELobbyRefusal::TooMany);
    lobby->OnConnect(7, kAddressC, now);
    for (int i = 0; i < 3; ++i) {
        AskList(7);
    }
    now += 500;
    AskList(7);   // one more refilled in half a second
    EXPECT_EQ(link.closed.count(7), 0u);
}

TEST_F(LobbyTest, AnnouncementsPerAddressAreCountedOverAMinute) {
    limits.announcesPerMinute = 3;
    Make();
    // One peer of the address stays, so its record (and its count) lives on.
    lobby->OnConnect(10, kAddressA, now);
    for (uint32_t peer = 0; peer < 3; ++peer) {
        EXPECT_NE(Host(peer, kAddressA, "Anna"), 0u) << peer;
        lobby->OnDisconnect(peer, now);
    }
    EXPECT_EQ(Host(3, kAddressA, "Anna"), 0u);
    EXPECT_EQ(RefusalTo(3), ELobbyRefusal::TooMany);
    EXPECT_NE(Host(4, kAddressB, "Bea"), 0u) << "another address has its own count";
    now += 20000;   // a third of a minute: one more
    EXPECT_NE(Host(5, kAddressA, "Anna"), 0u);
}

TEST_F(LobbyTest, BrokenOrMisplacedMessagesAreRefusedAndClosed) {
    Make();
    const uint32_t id = Host(0, kAddressA, "Anna");
    NetPacket hello;
    EncodeHello(NetHello{kNetProtocolVersion, "Cid"}, hello);
    NetPacket ask;
    EncodeAskList(kNetProtocolVersion, ask);
    NetPacket paired;
    EncodePaired(paired);
    NetPacket join;
    EncodeJoinRelay(kNetProtocolVersion + 1, id, join);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ELobbyRefusal expected;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, ELobbyRefusal::BadMessage},
        {"one unknown byte", {0xEE}, ELobbyRefusal::BadMessage},
        {"a game's hello to the lobby", std::vector<uint8_t>(hello.bytes, hello.bytes + hello.size),
         ELobbyRefusal::BadMessage},
        {"the server's own answer", std::vector<uint8_t>(paired.bytes, paired.bytes + paired.size),
         ELobbyRefusal::BadMessage},
        {"an ask cut short", std::vector<uint8_t>(ask.bytes, ask.bytes + ask.size - 1), ELobbyRefusal::BadMessage},
        {"a join of another version", std::vector<uint8_t>(join.bytes, join.bytes + join.size),
         ELobbyRefusal::VersionMismatch},
    };
    uint32_t peer = 10;
    for (const Case& c : cases) {
        lobby->OnConnect(peer, kAddressB, now);
        uint32_t partner = 0;
        EXPECT_EQ(lobby->OnReceive(peer, c.bytes.data(), c.bytes.size(), now, partner), ELobbyVerdict::Consumed) << c.what;
        EXPECT_EQ(RefusalTo(peer), c.expected) << c.what;
        EXPECT_TRUE(link.closed.count(peer)) << c.what;
        // Once closing, nothing more is read or answered.
        const size_t answers = link.sent[peer].size();
        Receive(peer, ask);
        EXPECT_EQ(link.sent[peer].size(), answers) << c.what;
        ++peer;
    }
    // A host may not ask to be relayed, nor a lister announce.
    Receive(0, join);
    EXPECT_EQ(RefusalTo(0), ELobbyRefusal::BadMessage);
    EXPECT_EQ(lobby->Counts().listings, 0u);
    lobby->OnConnect(30, kAddressB, now);
    AskList(30);
    NetPacket announce;
    EncodeAnnounce(Listing("Bea"), announce);
    Receive(30, announce);
    EXPECT_EQ(RefusalTo(30), ELobbyRefusal::BadMessage);
}

TEST_F(LobbyTest, SilentIdleAndLingeringPeersAreClosedInTime) {
    limits.greetMs = 1000;
    limits.idleMs = 5000;
    limits.closingMs = 2000;
    Make();
    lobby->OnConnect(0, kAddressA, now);   // says nothing
    lobby->OnConnect(1, kAddressA, now);
    AskList(1);                            // looks and stays
    Host(2, kAddressA, "Anna");            // a host may wait as long as its link lives
    now += 1001;
    lobby->Tick(now);
    ASSERT_TRUE(link.closed.count(0));
    EXPECT_FALSE(link.closed.count(1));
    now += 4500;
    lobby->Tick(now);
    ASSERT_TRUE(link.closed.count(1));
    EXPECT_FALSE(link.closed[1]) << "the idle joiner is closed after its queue";
    EXPECT_FALSE(link.closed.count(2));
    // A closed peer that never goes is dropped at once after its time; its slot is free again.
    EXPECT_TRUE(link.closed[0]);
    EXPECT_EQ(lobby->Counts().peers, 2u);
    now += 2001;
    lobby->Tick(now);
    EXPECT_TRUE(link.closed[1]);
    EXPECT_EQ(lobby->Counts().peers, 1u);
    lobby->OnConnect(0, kAddressB, now);
    EXPECT_EQ(lobby->Counts().peers, 2u);
}

TEST_F(LobbyTest, ARelayedSideThatFloodsOrStallsEndsItsMatch) {
    limits.relayBytesPerSecond = 2000;
    limits.relayBurstBytes = 3000;
    limits.relayBacklogBytes = 5000;
    Make();
    const uint32_t id = Host(0, kAddressA, "Anna");
    lobby->OnConnect(1, kAddressB, now);
    NetPacket packet;
    EncodeJoinRelay(kNetProtocolVersion, id, packet);
    Receive(1, packet);
    ASSERT_EQ(lobby->Counts().relays, 1u);
    std::vector<uint8_t> big(1000, static_cast<uint8_t>(ENetKind::KeepAlive));
    uint32_t partner = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lobby->OnReceive(1, big.data(), big.size(), now, partner), ELobbyVerdict::Forward) << i;
    }
    EXPECT_EQ(lobby->OnReceive(1, big.data(), big.size(), now, partner), ELobbyVerdict::Consumed);
    EXPECT_TRUE(link.closed.count(1));
    EXPECT_TRUE(link.closed.count(0)) << "the partner goes with it";
    EXPECT_EQ(lobby->Counts().relays, 0u);

    // A side whose backlog has grown past the bound: its match ends.
    link = FakeLink();
    Make();
    const uint32_t again = Host(0, kAddressA, "Anna");
    lobby->OnConnect(1, kAddressB, now);
    EncodeJoinRelay(kNetProtocolVersion, again, packet);
    Receive(1, packet);
    link.backlog[0] = 5001;
    EXPECT_EQ(lobby->OnReceive(1, big.data(), 10, now, partner), ELobbyVerdict::Consumed);
    EXPECT_TRUE(link.closed.count(0));
}

TEST_F(LobbyTest, PeerNumbersOutsideItsSlotsAreClosed) {
    limits.maxPeers = 4;
    Make();
    lobby->OnConnect(4, kAddressA, now);
    EXPECT_TRUE(link.closed[4]);
    uint32_t partner = 0;
    const uint8_t byte = 1;
    EXPECT_EQ(lobby->OnReceive(9, &byte, 1, now, partner), ELobbyVerdict::Consumed);
    lobby->OnDisconnect(9, now);
    EXPECT_EQ(lobby->Counts().peers, 0u);
}
