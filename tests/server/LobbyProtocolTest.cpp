// The server's messages and the discovery datagrams: what is encoded decodes the same, and
// every damaged or out-of-range message is refused with a reason.
#include "net/LobbyProtocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

NetListing SomeListing() {
    NetListing listing;
    listing.hostName = "anna-pc.lan";
    listing.playerName = "J\xF6rgen";
    listing.gameVersion = "1.0";
    listing.port = 27961;
    listing.settings.difficulty = 3;
    listing.settings.roundsToWin = 2;
    listing.settings.maxRounds = 5;
    listing.settings.roundSeconds = 120;
    listing.settings.attacks = false;
    return listing;
}

std::vector<uint8_t> Bytes(const NetPacket& packet) { return std::vector<uint8_t>(packet.bytes, packet.bytes + packet.size); }

}  // namespace

TEST(LobbyProtocolTest, EveryMessageDecodesToWhatWasEncoded) {
    NetPacket packet;
    const NetListing listing = SomeListing();
    const char* why = "";

    ASSERT_TRUE(EncodeAnnounce(listing, packet));
    NetListing announced;
    ASSERT_TRUE(DecodeAnnounce(packet.bytes, packet.size, announced, why)) << why;
    EXPECT_EQ(announced, listing);
    uint16_t version = 0;
    ASSERT_TRUE(PeekLobbyVersion(packet.bytes, packet.size, version, why));
    EXPECT_EQ(version, kNetProtocolVersion);

    ASSERT_TRUE(EncodeAnnounced(0x1234567, packet));
    uint32_t id = 0;
    ASSERT_TRUE(DecodeAnnounced(packet.bytes, packet.size, id, why));
    EXPECT_EQ(id, 0x1234567u);

    ASSERT_TRUE(EncodeJoinRelay(7, 99, packet));
    ASSERT_TRUE(DecodeJoinRelay(packet.bytes, packet.size, version, id, why));
    EXPECT_EQ(version, 7);
    EXPECT_EQ(id, 99u);

    ASSERT_TRUE(EncodeLobbyRefuse(ELobbyRefusal::TooMany, packet));
    ELobbyRefusal reason = ELobbyRefusal::BadMessage;
    ASSERT_TRUE(DecodeLobbyRefuse(packet.bytes, packet.size, reason, why));
    EXPECT_EQ(reason, ELobbyRefusal::TooMany);

    ASSERT_TRUE(EncodeDiscoveryAnswer(listing, packet));
    EXPECT_TRUE(IsDiscoveryDatagram(packet.bytes, packet.size));
    NetListing answered;
    ASSERT_TRUE(DecodeDiscoveryAnswer(packet.bytes, packet.size, answered, why)) << why;
    EXPECT_EQ(answered, listing);
    ASSERT_TRUE(EncodeDiscoveryAsk(kNetProtocolVersion, packet));
    EXPECT_EQ(packet.size, kDiscoveryAskSize);
    EXPECT_TRUE(DecodeDiscoveryAsk(packet.bytes, packet.size, version, why));
    EXPECT_FALSE(DecodeDiscoveryAnswer(packet.bytes, packet.size, answered, why)) << "an ask is no answer";
}

TEST(LobbyProtocolTest, AFullListOfTheLongestListingsFitsOnePacket) {
    NetMatchList list;
    NetListing longest = SomeListing();
    longest.hostName = std::string(kMaxHostNameLength, 'h');
    longest.playerName = std::string(kMaxNetNameLength, 'p');
    longest.gameVersion = std::string(kMaxGameVersionLength, 'v');
    list.total = 500;
    list.count = kMaxListEntries;
    for (uint32_t i = 0; i < list.count; ++i) {
        list.entries[i].id = i + 1;
        list.entries[i].address[0] = 10;
        list.entries[i].address[3] = static_cast<uint8_t>(i);
        list.entries[i].listing = longest;
    }
    NetPacket packet;
    ASSERT_TRUE(EncodeMatchList(list, packet));
    NetMatchList read;
    const char* why = "";
    ASSERT_TRUE(DecodeMatchList(packet.bytes, packet.size, read, why)) << why;
    EXPECT_EQ(read.total, 500);
    ASSERT_EQ(read.count, kMaxListEntries);
    EXPECT_EQ(read.entries[11].id, 12u);
    EXPECT_EQ(read.entries[11].address[3], 11);
    EXPECT_EQ(read.entries[11].listing, longest);
    list.count = kMaxListEntries + 1;
    EXPECT_FALSE(EncodeMatchList(list, packet));
}

TEST(LobbyProtocolTest, ListingsThatCannotTravelAreNotEncoded) {
    const std::vector<std::function<void(NetListing&)>> faults = {
        [](NetListing& l) { l.hostName.clear(); },
        [](NetListing& l) { l.hostName = std::string(kMaxHostNameLength + 1, 'h'); },
        [](NetListing& l) { l.hostName = "tab\there"; },
        [](NetListing& l) { l.playerName = "bell\a"; },
        [](NetListing& l) { l.gameVersion = "1.0\xE5"; },
        [](NetListing& l) { l.port = 0; },
        [](NetListing& l) { l.settings.roundsToWin = 0; },
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        NetListing listing = SomeListing();
        faults[i](listing);
        NetPacket packet;
        EXPECT_FALSE(EncodeAnnounce(listing, packet)) << i;
        EXPECT_FALSE(EncodeDiscoveryAnswer(listing, packet)) << i;
    }
    EXPECT_EQ(ListingHostName("a\tb\xE5"), "a?b?");
    EXPECT_EQ(ListingHostName(""), "?");
    EXPECT_EQ(ListingHostName(std::string(80, 'x').c_str()).size(), kMaxHostNameLength);
}

TEST(LobbyProtocolTest, DamagedMessagesAreRefusedWithAReason) {
    NetPacket packet;
    ASSERT_TRUE(EncodeAnnounce(SomeListing(), packet));
    const std::vector<uint8_t> announce = Bytes(packet);
    // Offsets: kind 0, magic 1-4, version 5-6, port 7-8, host name length 9.
    const size_t hostLength = 9;
    const size_t playerLength = hostLength + 1 + SomeListing().hostName.size();
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const std::vector<Case> cases = {
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"cut in the head", [](std::vector<uint8_t>& b) { b.resize(4); }},
        {"cut in the settings", [](std::vector<uint8_t>& b) { b.pop_back(); }},
        {"a byte too many", [](std::vector<uint8_t>& b) { b.push_back(0); }},
        {"wrong magic", [](std::vector<uint8_t>& b) { b[2] ^= 0xFF; }},
        {"another kind", [](std::vector<uint8_t>& b) { b[0] = static_cast<uint8_t>(ELobbyKind::AskList); }},
        {"port 0", [](std::vector<uint8_t>& b) { b[7] = b[8] = 0; }},
        {"host name length 0", [&](std::vector<uint8_t>& b) { b[hostLength] = 0; }},
        {"host name longer than the packet", [&](std::vector<uint8_t>& b) { b[hostLength] = 200; }},
        {"host name with a control code", [&](std::vector<uint8_t>& b) { b[hostLength + 1] = 0x07; }},
        {"player name too long", [&](std::vector<uint8_t>& b) { b[playerLength] = kMaxNetNameLength + 1; }},
        {"player name with a C1 code", [&](std::vector<uint8_t>& b) { b[playerLength + 1] = 0x85; }},
        {"attacks flag 2", [](std::vector<uint8_t>& b) { b.back() = 2; }},
        {"difficulty 9", [](std::vector<uint8_t>& b) { b[b.size() - 8] = 9; }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = announce;
        c.damage(bytes);
        NetListing listing;
        const char* why = "";
        EXPECT_FALSE(DecodeAnnounce(bytes.data(), bytes.size(), listing, why)) << c.what;
        EXPECT_STRNE(why, "") << c.what;
    }

    const char* why = "";
    uint16_t version = 0;
    uint32_t id = 0;
    ELobbyRefusal reason = ELobbyRefusal::BadMessage;
    NetMatchList list;
    const uint8_t refuseZero[] = {static_cast<uint8_t>(ELobbyKind::Refuse), 0};
    const uint8_t refuseHigh[] = {static_cast<uint8_t>(ELobbyKind::Refuse), 99};
    EXPECT_FALSE(DecodeLobbyRefuse(refuseZero, sizeof refuseZero, reason, why));
    EXPECT_FALSE(DecodeLobbyRefuse(refuseHigh, sizeof refuseHigh, reason, why));
    // A list that claims more entries than its total, or than a packet holds.
    const uint8_t overTotal[] = {static_cast<uint8_t>(ELobbyKind::List), 1, 0, 2};
    const uint8_t overLimit[] = {static_cast<uint8_t>(ELobbyKind::List), 0xFF, 0xFF, kMaxListEntries + 1};
    const uint8_t emptyList[] = {static_cast<uint8_t>(ELobbyKind::List), 0, 0, 0};
    EXPECT_FALSE(DecodeMatchList(overTotal, sizeof overTotal, list, why));
    EXPECT_FALSE(DecodeMatchList(overLimit, sizeof overLimit, list, why));
    EXPECT_TRUE(DecodeMatchList(emptyList, sizeof emptyList, list, why)) << why;
    ASSERT_TRUE(EncodeJoinRelay(1, 5, packet));
    EXPECT_FALSE(DecodeJoinRelay(packet.bytes, packet.size - 1, version, id, why));
    EXPECT_FALSE(DecodeAskList(packet.bytes, packet.size, version, why)) << "a join is no ask";
    // The game's own kinds and the lobby's never meet.
    for (uint8_t kind = static_cast<uint8_t>(ENetKind::Hello); kind <= static_cast<uint8_t>(ENetKind::Goodbye); ++kind) {
        EXPECT_FALSE(IsLobbyKind(kind)) << int(kind);
    }
}
