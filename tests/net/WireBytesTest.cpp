// The bytes on the wire and in a match record are the bytes earlier programs wrote: the
// committed packet seeds are what the encoders write for the same messages, each seed
// decodes and encodes again to itself, and a match record keeps its layout byte for byte.
#include "game/MatchRecord.h"
#include "net/NetProtocol.h"
#include "resources/Crc32.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

Bytes SeedBytes(const std::string& name) {
    return ReadFileBytes(std::string(PELLORA_SOURCE_DIR) + "/fuzz/corpus/fuzz_net_packet/" + name);
}

Bytes PacketBytes(const NetPacket& packet) { return Bytes(packet.bytes, packet.bytes + packet.size); }

// The messages the seed maker writes.
NetInputs SeedInputs() {
    NetInputs inputs;
    inputs.firstStep = 300;
    inputs.count = 3;
    inputs.steps[0] = {120.0f, 200.0f, ReplayInput::Moved};
    inputs.steps[1] = {121.5f, 199.0f, static_cast<uint16_t>(ReplayInput::Moved | ReplayInput::Fire)};
    inputs.steps[2] = {121.5f, 199.0f, ReplayInput::Held};
    return inputs;
}

struct SeedCase {
    const char* file;
    std::function<bool(NetPacket&)> encodeKnown;                   // the seed maker's message
    std::function<bool(const Bytes&, NetPacket&)> decodeAndEncode;  // the seed read and written again
};

const SeedCase kSeeds[] = {
    {"hello.bin",
     [](NetPacket& packet) {
         NetHello hello;
         hello.name = "J\xF6rgen";
         return EncodeHello(hello, packet);
     },
     [](const Bytes& bytes, NetPacket& packet) {
         NetHello hello;
         const char* why = "";
         return DecodeHello(bytes.data(), bytes.size(), hello, why) && EncodeHello(hello, packet);
     }},
    {"welcome.bin",
     [](NetPacket& packet) {
         NetWelcome welcome;
         welcome.name = "Host";
         welcome.seed = 12345;
         return EncodeWelcome(welcome, packet);
     },
     [](const Bytes& bytes, NetPacket& packet) {
         NetWelcome welcome;
         const char* why = "";
         return DecodeWelcome(bytes.data(), bytes.size(), welcome, why) && EncodeWelcome(welcome, packet);
     }},
    {"inputs.bin", [](NetPacket& packet) { return EncodeInputs(SeedInputs(), packet); },
     [](const Bytes& bytes, NetPacket& packet) {
         NetInputs inputs;
         const char* why = "";
         return DecodeInputs(bytes.data(), bytes.size(), inputs, why) && EncodeInputs(inputs, packet);
     }},
    {"attack.bin", [](NetPacket& packet) { return EncodeAttack({310, 2}, packet); },
     [](const Bytes& bytes, NetPacket& packet) {
         NetAttack attack;
         const char* why = "";
         return DecodeAttack(bytes.data(), bytes.size(), attack, why) && EncodeAttack(attack, packet);
     }},
    {"checksum.bin", [](NetPacket& packet) { return EncodeChecksum({299, 0xA5A5F00D}, packet); },
     [](const Bytes& bytes, NetPacket& packet) {
         NetChecksum checksum;
         const char* why = "";
         return DecodeChecksum(bytes.data(), bytes.size(), checksum, why) && EncodeChecksum(checksum, packet);
     }},
    {"refuse.bin",
     [](NetPacket& packet) { return EncodeRefuse({kNetProtocolVersion, ENetRefusal::VersionMismatch}, packet); },
     [](const Bytes& bytes, NetPacket& packet) {
         NetRefuse refuse;
         const char* why = "";
         return DecodeRefuse(bytes.data(), bytes.size(), refuse, why) && EncodeRefuse(refuse, packet);
     }},
    {"goodbye.bin", [](NetPacket& packet) { return EncodeGoodbye(ENetGoodbye::Quit, packet); },
     [](const Bytes& bytes, NetPacket& packet) {
         ENetGoodbye reason = ENetGoodbye::MatchOver;
         const char* why = "";
         return DecodeGoodbye(bytes.data(), bytes.size(), reason, why) && EncodeGoodbye(reason, packet);
     }},
};

TEST(WireBytes, TheEncodersWriteTheSeedPackets) {
    for (const SeedCase& seed : kSeeds) {
        SCOPED_TRACE(seed.file);
        NetPacket packet;
        ASSERT_TRUE(seed.encodeKnown(packet));
        EXPECT_EQ(PacketBytes(packet), SeedBytes(seed.file));
    }
}

TEST(WireBytes, EverySeedPacketDecodesAndEncodesToItself) {
    for (const SeedCase& seed : kSeeds) {
        SCOPED_TRACE(seed.file);
        const Bytes bytes = SeedBytes(seed.file);
        ASSERT_FALSE(bytes.empty());
        NetPacket packet;
        ASSERT_TRUE(seed.decodeAndEncode(bytes, packet));
        EXPECT_EQ(PacketBytes(packet), bytes);
    }
}

// The inputs message in full: two runs of one step, then a run of another.
TEST(WireBytes, AnInputsMessageKeepsItsLayout) {
    NetPacket packet;
    ASSERT_TRUE(EncodeInputs(SeedInputs(), packet));
    const Bytes expected = {
        0x04,                     // kind
        0x2C, 0x01, 0x00, 0x00,   // first step 300
        0x03,                     // steps
        0x03,                     // runs
        0x01, 0x00, 0x00, 0xF0, 0x42, 0x00, 0x00, 0x48, 0x43, 0x01, 0x00,   // 1 x (120, 200) Moved
        0x01, 0x00, 0x00, 0xF3, 0x42, 0x00, 0x00, 0x47, 0x43, 0x03, 0x00,   // 1 x (121.5, 199) Moved|Fire
        0x01, 0x00, 0x00, 0xF3, 0x42, 0x00, 0x00, 0x47, 0x43, 0x00, 0x01,   // 1 x (121.5, 199) Held
    };
    EXPECT_EQ(PacketBytes(packet), expected);
}

// The first match record, the network's bug report, is still read as the match it kept.
TEST(WireBytes, AFirstVersionMatchRecordStillReads) {
    Bytes bytes = {
        'P', 'R', 'N', 'M', 0x01, 0x00, 0x00, 0x00,   // magic, version
        0x03, 0x02, 0x05,                             // difficulty, rounds to win, most rounds
        0xD0, 0x07, 0x2C, 0x01, 0x01,                 // incoming ms 2000, round seconds 300, attacks
        0x04, 0x03, 0x02, 0x01, 0x01,                 // seed, own side
        0x02, 0x00, 0x00, 0x00,                       // side 0: two runs
        0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x43, 0x00, 0x00, 0x48, 0x43, 0x00, 0x00,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC9, 0x42, 0x00, 0x00, 0x80, 0x42, 0x03, 0x00,
        0x01, 0x00, 0x00, 0x00,                       // side 1: one run
        0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x43, 0x00, 0x00, 0x48, 0x43, 0x10, 0x00,
    };
    const uint32_t crc = Crc32(bytes.data(), bytes.size());
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(crc >> (8 * i)));
    }
    MatchRecord record;
    std::string why;
    ASSERT_TRUE(DecodeMatchRecord(bytes, record, why)) << why;
    EXPECT_EQ(record.mode, EMatchMode::Network);
    EXPECT_EQ(record.attackTravelSteps, kNetAttackTravelSteps);
    EXPECT_EQ(record.settings.difficulty, 3);
    EXPECT_EQ(record.settings.incomingMs, 2000);
    EXPECT_EQ(record.seed, 0x01020304u);
    EXPECT_EQ(record.ownSide, 1);
    EXPECT_FALSE(record.hasOutcome);
    EXPECT_EQ(record.sides[1].kind, EMatchSideKind::Player);
    EXPECT_EQ(record.sides[0].kind, EMatchSideKind::Remote);
    const std::vector<ReplayRun> side0 = {
        ReplayRun{ReplayStep(), 30},
        ReplayRun{{100.5f, 64.0f, static_cast<uint16_t>(ReplayInput::Moved | ReplayInput::Fire)}, 1}};
    EXPECT_EQ(record.sides[0].runs.size(), side0.size());
    for (size_t i = 0; i < side0.size() && i < record.sides[0].runs.size(); ++i) {
        EXPECT_EQ(record.sides[0].runs[i].step, side0[i].step);
        EXPECT_EQ(record.sides[0].runs[i].count, side0[i].count);
    }
    EXPECT_EQ(record.SideSteps(1), 12u);
    // Written again it is the current version, and reads back the same steps.
    Bytes again;
    EncodeMatchRecord(record, again);
    EXPECT_EQ(again[4], kMatchRecordVersion);
    MatchRecord back;
    ASSERT_TRUE(DecodeMatchRecord(again, back, why)) << why;
    EXPECT_EQ(back.SideSteps(0), 31u);
    EXPECT_EQ(back.sides[1].runs[0].step, record.sides[1].runs[0].step);
    EXPECT_EQ(back.attackTravelSteps, kNetAttackTravelSteps);
}

}  // namespace
