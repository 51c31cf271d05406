#include "net/NetProtocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <set>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const NetPacket& packet) { return {packet.bytes, packet.bytes + packet.size}; }

NetHello SampleHello() {
    NetHello hello;
    hello.name = "\xC5" "sa \xD6" "berg";
    return hello;
}

NetWelcome SampleWelcome() {
    NetWelcome welcome;
    welcome.name = "Hostname1234";
    welcome.settings.difficulty = 3;
    welcome.settings.roundsToWin = 3;
    welcome.settings.maxRounds = 7;
    welcome.settings.incomingMs = 1500;
    welcome.settings.roundSeconds = 120;
    welcome.settings.attacks = false;
    welcome.seed = 0xDEADBEEF;
    return welcome;
}

NetInputs SampleInputs(uint32_t firstStep, uint32_t count) {
    NetInputs inputs;
    inputs.firstStep = firstStep;
    inputs.count = count;
    for (uint32_t i = 0; i < count; ++i) {
        inputs.steps[i].aimX = 100.25f + static_cast<float>(i);
        inputs.steps[i].aimY = -3.5f * static_cast<float>(i);
        inputs.steps[i].input = static_cast<uint16_t>(i % 2 == 0 ? ReplayInput::Moved | ReplayInput::Fire : ReplayInput::Held);
    }
    return inputs;
}

template <typename T, typename Encode>
std::vector<uint8_t> Encoded(const T& message, Encode encode) {
    NetPacket packet;
    EXPECT_TRUE(encode(message, packet));
    return Bytes(packet);
}

std::vector<uint8_t> HelloBytes() { return Encoded(SampleHello(), EncodeHello); }
std::vector<uint8_t> WelcomeBytes() { return Encoded(SampleWelcome(), EncodeWelcome); }
std::vector<uint8_t> InputsBytes(uint32_t count = 2) { return Encoded(SampleInputs(7, count), EncodeInputs); }
std::vector<uint8_t> AttackBytes() { return Encoded(NetAttack{40, 3}, EncodeAttack); }
std::vector<uint8_t> ChecksumBytes() { return Encoded(NetChecksum{150, 0x12345678}, EncodeChecksum); }
std::vector<uint8_t> RefuseBytes() { return Encoded(NetRefuse{kNetProtocolVersion, ENetRefusal::Busy}, EncodeRefuse); }
std::vector<uint8_t> GoodbyeBytes() {
    NetPacket packet;
    EncodeGoodbye(ENetGoodbye::Quit, packet);
    return Bytes(packet);
}

// Any decoder over a byte vector: the kind's decoder, whatever the first byte says.
using Decoder = std::function<bool(const std::vector<uint8_t>&, const char*&)>;
const Decoder kHello = [](const std::vector<uint8_t>& b, const char*& why) {
    NetHello m;
    return DecodeHello(b.data(), b.size(), m, why);
};
const Decoder kWelcome = [](const std::vector<uint8_t>& b, const char*& why) {
    NetWelcome m;
    return DecodeWelcome(b.data(), b.size(), m, why);
};
const Decoder kRefuse = [](const std::vector<uint8_t>& b, const char*& why) {
    NetRefuse m;
    return DecodeRefuse(b.data(), b.size(), m, why);
};
const Decoder kInputs = [](const std::vector<uint8_t>& b, const char*& why) {
    NetInputs m;
    return DecodeInputs(b.data(), b.size(), m, why);
};
const Decoder kAttack = [](const std::vector<uint8_t>& b, const char*& why) {
    NetAttack m;
    return DecodeAttack(b.data(), b.size(), m, why);
};
const Decoder kChecksum = [](const std::vector<uint8_t>& b, const char*& why) {
    NetChecksum m;
    return DecodeChecksum(b.data(), b.size(), m, why);
};
const Decoder kKeepAlive = [](const std::vector<uint8_t>& b, const char*& why) {
    return DecodeKeepAlive(b.data(), b.size(), why);
};
const Decoder kGoodbye = [](const std::vector<uint8_t>& b, const char*& why) {
    ENetGoodbye m;
    return DecodeGoodbye(b.data(), b.size(), m, why);
};

std::vector<uint8_t> With(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

// Two steps that differ, the second record then made a copy of the first: one step in two
// runs, which the encoder never writes.
std::vector<uint8_t> TwoEqualRuns() {
    std::vector<uint8_t> bytes = InputsBytes(2);
    const size_t first = 7;
    const size_t record = 11;
    std::copy(bytes.begin() + first, bytes.begin() + first + record, bytes.begin() + first + record);
    return bytes;
}
std::vector<uint8_t> Grown(std::vector<uint8_t> bytes) {
    bytes.push_back(0);
    return bytes;
}
std::vector<uint8_t> Cut(std::vector<uint8_t> bytes) {
    bytes.pop_back();
    return bytes;
}
std::vector<uint8_t> WithFloat(std::vector<uint8_t> bytes, size_t at, float value) {
    std::memcpy(bytes.data() + at, &value, sizeof(value));
    return bytes;
}
std::vector<uint8_t> WithU32(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

}  // namespace

TEST(NetProtocol, EveryMessageReadsBackAsWritten) {
    const char* why = "";
    const std::vector<uint8_t> hello = HelloBytes();
    NetHello helloBack;
    ASSERT_TRUE(DecodeHello(hello.data(), hello.size(), helloBack, why)) << why;
    EXPECT_EQ(helloBack.name, SampleHello().name);
    EXPECT_EQ(helloBack.version, kNetProtocolVersion);

    const std::vector<uint8_t> welcome = WelcomeBytes();
    NetWelcome welcomeBack;
    ASSERT_TRUE(DecodeWelcome(welcome.data(), welcome.size(), welcomeBack, why)) << why;
    EXPECT_EQ(welcomeBack.name, "Hostname1234");
    EXPECT_EQ(welcomeBack.settings, SampleWelcome().settings);
    EXPECT_EQ(welcomeBack.seed, 0xDEADBEEFu);

    for (const uint32_t count : {1u, 2u, kMaxNetInputSteps}) {
        const std::vector<uint8_t> bytes = InputsBytes(count);
        EXPECT_LE(bytes.size(), kMaxNetPacketSize);
        NetInputs back;
        ASSERT_TRUE(DecodeInputs(bytes.data(), bytes.size(), back, why)) << why;
        const NetInputs sent = SampleInputs(7, count);
        ASSERT_EQ(back.count, count);
        EXPECT_EQ(back.firstStep, 7u);
        for (uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(back.steps[i], sent.steps[i]) << i;
        }
    }
    // Runs of equal steps travel once: a still aim costs one record, however many steps.
    NetInputs still = SampleInputs(3, kMaxNetInputSteps);
    const ReplayStep aimed = still.steps[0];
    const ReplayStep moved = still.steps[1];
    for (uint32_t i = 0; i < still.count; ++i) {
        still.steps[i] = i < 40 ? aimed : moved;
    }
    const std::vector<uint8_t> stillBytes = Encoded(still, EncodeInputs);
    EXPECT_EQ(stillBytes.size(), 7u + 2u * 11u);
    NetInputs stillBack;
    ASSERT_TRUE(DecodeInputs(stillBytes.data(), stillBytes.size(), stillBack, why)) << why;
    ASSERT_EQ(stillBack.count, still.count);
    for (uint32_t i = 0; i < still.count; ++i) {
        EXPECT_EQ(stillBack.steps[i], still.steps[i]) << i;
    }

    NetAttack attack;
    const std::vector<uint8_t> attackBytes = AttackBytes();
    ASSERT_TRUE(DecodeAttack(attackBytes.data(), attackBytes.size(), attack, why)) << why;
    EXPECT_EQ(attack.step, 40u);
    EXPECT_EQ(attack.balls, 3);

    NetChecksum checksum;
    const std::vector<uint8_t> checksumBytes = ChecksumBytes();
    ASSERT_TRUE(DecodeChecksum(checksumBytes.data(), checksumBytes.size(), checksum, why)) << why;
    EXPECT_EQ(checksum.step, 150u);
    EXPECT_EQ(checksum.checksum, 0x12345678u);

    NetRefuse refuse;
    const std::vector<uint8_t> refuseBytes = RefuseBytes();
    ASSERT_TRUE(DecodeRefuse(refuseBytes.data(), refuseBytes.size(), refuse, why)) << why;
    EXPECT_EQ(refuse.reason, ENetRefusal::Busy);

    ENetGoodbye goodbye = ENetGoodbye::MatchOver;
    const std::vector<uint8_t> goodbyeBytes = GoodbyeBytes();
    ASSERT_TRUE(DecodeGoodbye(goodbyeBytes.data(), goodbyeBytes.size(), goodbye, why)) << why;
    EXPECT_EQ(goodbye, ENetGoodbye::Quit);

    NetPacket keepAlive;
    EncodeKeepAlive(keepAlive);
    EXPECT_TRUE(DecodeKeepAlive(keepAlive.bytes, keepAlive.size, why)) << why;
}

TEST(NetProtocol, BrokenPacketsAreRefusedWithAReason) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const Decoder& decode;
    };
    // Offsets: handshake head is kind, magic (1..4), version (5..6), name length (7), name.
    const size_t nameLength = 7;
    const size_t welcomeSettings = 8 + SampleWelcome().name.size();
    const size_t inputsCount = 5;
    const size_t inputsRuns = 6;
    const size_t firstRecord = 7;   // run length, aim x, aim y, input bits
    const Case cases[] = {
        {"empty hello", {}, kHello},
        {"empty inputs", {}, kInputs},
        {"empty attack", {}, kAttack},
        {"hello cut short", Cut(HelloBytes()), kHello},
        {"hello with a byte more", Grown(HelloBytes()), kHello},
        {"hello of another kind", With(HelloBytes(), 0, static_cast<uint8_t>(ENetKind::Welcome)), kHello},
        {"hello with a wrong magic", With(HelloBytes(), 1, 0), kHello},
        {"hello of another version", With(HelloBytes(), 5, 2), kHello},
        {"name length zero", With(HelloBytes(), nameLength, 0), kHello},
        {"name length 13", With(HelloBytes(), nameLength, 13), kHello},
        {"name length past the end", With(HelloBytes(), nameLength, 12), kHello},
        {"name with a control code", With(HelloBytes(), nameLength + 1, 0x07), kHello},
        {"name with a zero", With(HelloBytes(), nameLength + 2, 0x00), kHello},
        {"name with an unassigned letter", With(HelloBytes(), nameLength + 1, 0x81), kHello},
        {"name with DEL", With(HelloBytes(), nameLength + 1, 0x7F), kHello},
        {"name with a C1 code 0x80", With(HelloBytes(), nameLength + 1, 0x80), kHello},
        {"name with a C1 code 0x9B", With(HelloBytes(), nameLength + 1, 0x9B), kHello},
        {"name with a C1 code 0x9F", With(HelloBytes(), nameLength + 1, 0x9F), kHello},
        {"welcome cut short", Cut(WelcomeBytes()), kWelcome},
        {"welcome with a byte more", Grown(WelcomeBytes()), kWelcome},
        {"difficulty 0", With(WelcomeBytes(), welcomeSettings, 0), kWelcome},
        {"difficulty 6", With(WelcomeBytes(), welcomeSettings, 6), kWelcome},
        {"rounds to win 0", With(WelcomeBytes(), welcomeSettings + 1, 0), kWelcome},
        {"more rounds to win than rounds", With(WelcomeBytes(), welcomeSettings + 1, 8), kWelcome},
        {"21 rounds", With(WelcomeBytes(), welcomeSettings + 2, 21), kWelcome},
        {"incoming wait too long", With(WelcomeBytes(), welcomeSettings + 4, 0xFF), kWelcome},
        {"round too short", With(With(WelcomeBytes(), welcomeSettings + 5, 9), welcomeSettings + 6, 0), kWelcome},
        {"attacks flag 2", With(WelcomeBytes(), welcomeSettings + 7, 2), kWelcome},
        {"inputs cut short", Cut(InputsBytes()), kInputs},
        {"inputs with a byte more", Grown(InputsBytes()), kInputs},
        {"inputs count 0", With(InputsBytes(), inputsCount, 0), kInputs},
        {"inputs count above the limit", With(InputsBytes(), inputsCount, kMaxNetInputSteps + 1), kInputs},
        {"inputs count larger than the records", With(InputsBytes(), inputsCount, 3), kInputs},
        {"inputs count smaller than the records", With(InputsBytes(), inputsCount, 1), kInputs},
        {"inputs with unknown bits", With(InputsBytes(), firstRecord + 10, 0x02), kInputs},
        {"inputs aim not a number", WithFloat(InputsBytes(), firstRecord + 1, std::nanf("")), kInputs},
        {"inputs aim infinite", WithFloat(InputsBytes(), firstRecord + 5, std::numeric_limits<float>::infinity()), kInputs},
        {"inputs aim far away", WithFloat(InputsBytes(), firstRecord + 1, 2.0e6f), kInputs},
        {"inputs with no runs", With(InputsBytes(), inputsRuns, 0), kInputs},
        {"inputs with more runs than steps", With(With(InputsBytes(), inputsRuns, 3), inputsCount, 2), kInputs},
        {"inputs run of no steps", With(InputsBytes(), firstRecord, 0), kInputs},
        {"inputs run past the step count", With(InputsBytes(), firstRecord, 2), kInputs},
        {"inputs runs short of the step count", With(InputsBytes(), inputsCount, 3), kInputs},
        {"inputs two runs of one step", TwoEqualRuns(), kInputs},
        {"inputs past the last step", WithU32(InputsBytes(), 1, kMaxNetStep - 1), kInputs},
        {"inputs at step 2^32-1", WithU32(InputsBytes(), 1, 0xFFFFFFFF), kInputs},
        {"inputs of another kind", With(InputsBytes(), 0, static_cast<uint8_t>(ENetKind::Attack)), kInputs},
        {"attack with no balls", With(AttackBytes(), 5, 0), kAttack},
        {"attack with too many balls", With(AttackBytes(), 5, kMaxAttackBalls + 1), kAttack},
        {"attack past the last step", WithU32(AttackBytes(), 1, kMaxNetStep + 1), kAttack},
        {"attack cut short", Cut(AttackBytes()), kAttack},
        {"checksum with a byte more", Grown(ChecksumBytes()), kChecksum},
        {"checksum past the last step", WithU32(ChecksumBytes(), 1, 0xFFFFFFFF), kChecksum},
        {"checksum of another kind", With(ChecksumBytes(), 0, static_cast<uint8_t>(ENetKind::KeepAlive)), kChecksum},
        {"keep-alive with a byte more", {static_cast<uint8_t>(ENetKind::KeepAlive), 0}, kKeepAlive},
        {"goodbye reason 0", With(GoodbyeBytes(), 1, 0), kGoodbye},
        {"goodbye reason 4", With(GoodbyeBytes(), 1, 4), kGoodbye},
        {"goodbye cut short", Cut(GoodbyeBytes()), kGoodbye},
        {"refusal reason 0", With(RefuseBytes(), 7, 0), kRefuse},
        {"refusal reason 4", With(RefuseBytes(), 7, 4), kRefuse},
        {"refusal with a wrong magic", With(RefuseBytes(), 2, 0), kRefuse},
        {"refusal with a byte more", Grown(RefuseBytes()), kRefuse},
    };
    for (const Case& c : cases) {
        const char* why = "";
        EXPECT_FALSE(c.decode(c.bytes, why)) << c.name;
        EXPECT_STRNE(why, "") << c.name;
    }
}

TEST(NetProtocol, AnotherVersionIsReadBeforeTheRestOfTheHandshake) {
    // A later version may lay out the rest differently: only the head is read.
    std::vector<uint8_t> hello = With(HelloBytes(), 5, 9);
    hello.resize(40, 0xEE);
    const char* why = "";
    NetHello decoded;
    EXPECT_FALSE(DecodeHello(hello.data(), hello.size(), decoded, why));
    uint16_t version = 0;
    ASSERT_TRUE(PeekNetVersion(hello.data(), hello.size(), version, why)) << why;
    EXPECT_EQ(version, 9);

    // A refusal is read whatever the version of the side that sent it.
    const std::vector<uint8_t> refuse = With(RefuseBytes(), 5, 9);
    NetRefuse refuseBack;
    ASSERT_TRUE(DecodeRefuse(refuse.data(), refuse.size(), refuseBack, why)) << why;
    EXPECT_EQ(refuseBack.version, 9);

    EXPECT_FALSE(PeekNetVersion(AttackBytes().data(), AttackBytes().size(), version, why));
    const std::vector<uint8_t> badMagic = With(HelloBytes(), 4, 0);
    EXPECT_FALSE(PeekNetVersion(badMagic.data(), badMagic.size(), version, why));
}

TEST(NetProtocol, EncodersRefuseMessagesOutOfRange) {
    NetPacket packet;
    NetHello hello;
    for (const char* name : {"", "Thirteen13131", "tab\there", "\x81"}) {
        hello.name = name;
        EXPECT_FALSE(EncodeHello(hello, packet)) << name;
    }
    NetWelcome welcome = SampleWelcome();
    welcome.settings.maxRounds = 1;
    EXPECT_FALSE(EncodeWelcome(welcome, packet));
    NetInputs inputs = SampleInputs(0, 1);
    inputs.count = 0;
    EXPECT_FALSE(EncodeInputs(inputs, packet));
    inputs = SampleInputs(0, 1);
    inputs.steps[0].input = 0x8000;
    EXPECT_FALSE(EncodeInputs(inputs, packet));
    EXPECT_FALSE(EncodeAttack(NetAttack{0, 0}, packet));
}

// Every byte of a name, one at a time: control codes of both ranges are refused, the
// letters of Windows-1252 (printable ASCII and 0xA0 to 0xFF) travel.
TEST(NetProtocol, ANameTravelsWithLettersButNoControlCodeOfEitherRange) {
    for (int byte = 1; byte < 256; ++byte) {
        const bool control = byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
        const std::string name = std::string("Bo") + static_cast<char>(byte);
        EXPECT_EQ(IsValidNetName(name), !control) << "byte " << byte;
    }
    EXPECT_TRUE(IsValidNetName("\xC5sa \xD6" "berg"));
}

TEST(NetProtocol, MatchSettingsCarryTheVersusRules) {
    VersusRules rules;
    rules.difficulty = 2;
    rules.roundsToWin = 3;
    rules.maxRounds = 6;
    rules.incomingSeconds = 2.5f;
    rules.roundSeconds = 90.0f;
    rules.attacks = false;
    const VersusRules back = RulesFromNetSettings(NetSettingsFromRules(rules));
    EXPECT_EQ(back.difficulty, 2);
    EXPECT_EQ(back.roundsToWin, 3);
    EXPECT_EQ(back.maxRounds, 6);
    EXPECT_FLOAT_EQ(back.incomingSeconds, 2.5f);
    EXPECT_FLOAT_EQ(back.roundSeconds, 90.0f);
    EXPECT_FALSE(back.attacks);
}

// The fuzz target's committed seeds are whole messages of today's layout, one of each kind
// that carries values, so that the fuzzer starts from inputs that reach past the checks.
TEST(NetProtocol, TheCommittedPacketSeedsAreWholeMessagesOfEveryKind) {
    const std::filesystem::path folder = std::filesystem::path(PELLORA_SOURCE_DIR) / "fuzz/corpus/fuzz_net_packet";
    std::set<int> kinds;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ENetKind kind;
        ASSERT_TRUE(PeekNetKind(bytes.data(), bytes.size(), kind));
        const char* why = "";
        bool whole = false;
        switch (kind) {
            case ENetKind::Hello: {
                NetHello hello;
                whole = DecodeHello(bytes.data(), bytes.size(), hello, why);
                break;
            }
            case ENetKind::Welcome: {
                NetWelcome welcome;
                whole = DecodeWelcome(bytes.data(), bytes.size(), welcome, why);
                break;
            }
            case ENetKind::Refuse: {
                NetRefuse refuse;
                whole = DecodeRefuse(bytes.data(), bytes.size(), refuse, why);
                break;
            }
            case ENetKind::Inputs: {
                NetInputs inputs;
                whole = DecodeInputs(bytes.data(), bytes.size(), inputs, why);
                break;
            }
            case ENetKind::Attack: {
                NetAttack attack;
                whole = DecodeAttack(bytes.data(), bytes.size(), attack, why);
                break;
            }
            case ENetKind::Checksum: {
                NetChecksum checksum;
                whole = DecodeChecksum(bytes.data(), bytes.size(), checksum, why);
                break;
            }
            case ENetKind::KeepAlive:
                whole = DecodeKeepAlive(bytes.data(), bytes.size(), why);
                break;
            case ENetKind::Goodbye: {
                ENetGoodbye reason;
                whole = DecodeGoodbye(bytes.data(), bytes.size(), reason, why);
                break;
            }
        }
        EXPECT_TRUE(whole) << why;
        kinds.insert(static_cast<int>(kind));
    }
    const std::set<int> carried = {static_cast<int>(ENetKind::Hello),  static_cast<int>(ENetKind::Welcome),
                                   static_cast<int>(ENetKind::Refuse), static_cast<int>(ENetKind::Inputs),
                                   static_cast<int>(ENetKind::Attack), static_cast<int>(ENetKind::Checksum),
                                   static_cast<int>(ENetKind::Goodbye)};
    EXPECT_EQ(kinds, carried);
}
