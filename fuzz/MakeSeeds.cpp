// Writes the small valid seed files of the fuzz corpus:
//   fuzz_make_seeds <folder>   (makes <folder>/fuzz_zip, fuzz_tga, fuzz_jpeg, fuzz_players,
//                               fuzz_highscore, fuzz_language)
#include "fuzz/FuzzLevels.h"
#include "game/GameSession.h"
#include "game/Replay.h"
#include "game/SavedGame.h"
#include "net/NetProtocol.h"
#include "profile/Highscore.h"
#include "profile/Players.h"
#include "tests/support/FormatMakers.h"
#include "tests/support/TestFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The seeds keep the header fields they were first made with: DOS time 0, date 0x21.
CZipEntrySpec SeedEntry(const std::string& name, const std::string& data, const Bytes& extra = {}) {
    CZipEntrySpec entry(name, BytesOf(data), extra);
    entry.time = 0;
    entry.date = 0x21;
    return entry;
}

// An entry whose local header starts "QL" instead of "PK".
CZipEntrySpec QlSeedEntry(const std::string& name, const std::string& data) {
    CZipEntrySpec entry = SeedEntry(name, data);
    entry.signatureFirst = 0x51;
    entry.signatureSecond = 0x4C;
    return entry;
}

// A TGA with the two-byte ID field "id".
Bytes SeedTga(uint8_t imageType, uint8_t depth, uint16_t width, uint16_t height, uint8_t descriptor,
              const Bytes& payload) {
    return MakeTgaWithId(imageType, depth, width, height, descriptor, BytesOf("id"), payload);
}

Bytes Pattern(size_t count, uint8_t step) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i * step + 17);
    }
    return bytes;
}

// A JPEG at quality 75 of a byte pattern.
Bytes SeedJpeg(int width, int height, int components, const CJpegOptions& options) {
    const Bytes pixels = Pattern(static_cast<size_t>(width * height * components), 5);
    return MakeJpeg(width, height, components, pixels, 75, options);
}

// A list of count players named "Player1", "Player2", ... with the second one in child mode.
Bytes SeedPlayers(int32_t count, int32_t current) {
    PlayersFile players;
    for (int32_t i = 0; i < count; ++i) {
        PlayerRecord record;
        std::snprintf(record.name, sizeof(record.name), "Player%d", static_cast<int>(i + 1));
        record.childMode = i == 1 ? 1 : 0;
        record.score = 1000 * i;
        RepairPlayerRecord(record, i);  // sets the name length and the "ply" file names
        players.records.push_back(record);
    }
    players.current = current;
    return EncodePlayersFile(players);
}

// The default list with "Anna" at the third place.
Bytes SeedHighscores() {
    CHighscore& list = CHighscore::Get();
    list.FillDefaults();
    HighscoreEntry entries[kHighscoreEntries];
    for (int32_t i = 0; i < kHighscoreEntries; ++i) {
        entries[i] = list.Entry(i);
    }
    std::strcpy(entries[2].name, "Anna");
    entries[2].nameCheck = HighscoreChecksum("Anna");
    return EncodeHighscoreEntries(entries);
}

Bytes Le32Bytes(uint32_t value) {
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

// A level just started: a few rows of balls, the coming balls chosen; the save file's bytes
// followed by the field file's.
Bytes SeedSavedGame() {
    CPlayfield playfield;
    const char* rows[] = {"0011223344", " 55667700.", "0.1.2.3.4."};
    for (int32_t row = 0; row < 3; ++row) {
        const char* text = rows[row];
        for (int32_t column = 0; text[column] != '\0'; ++column) {
            const char symbol = text[column];
            if (symbol >= '0' && symbol <= '7') {
                const int32_t cell = row % 2 == 1 ? column - 1 : column;
                playfield.Board().SetCell(symbol - '0', 0, cell, row);
            }
        }
    }
    playfield.StartLevel();
    SavedGameValues values;
    values.levelFileName = "1.lvl";
    Bytes save, field;
    EncodeSavedGame(CaptureSavedGame(values, playfield), save, field);
    save.insert(save.end(), field.begin(), field.end());
    return save;
}

// One network message of each kind that carries values.
std::vector<std::pair<std::string, Bytes>> SeedNetPackets() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    NetPacket packet;
    const auto keep = [&](const char* name) { seeds.emplace_back(name, Bytes(packet.bytes, packet.bytes + packet.size)); };
    NetHello hello;
    hello.name = "J\xF6rgen";
    EncodeHello(hello, packet);
    keep("hello.bin");
    NetWelcome welcome;
    welcome.name = "Host";
    welcome.seed = 12345;
    EncodeWelcome(welcome, packet);
    keep("welcome.bin");
    NetInputs inputs;
    inputs.firstStep = 300;
    inputs.count = 3;
    inputs.steps[0] = {120.0f, 200.0f, ReplayInput::Moved};
    inputs.steps[1] = {121.5f, 199.0f, static_cast<uint16_t>(ReplayInput::Moved | ReplayInput::Fire)};
    inputs.steps[2] = {121.5f, 199.0f, ReplayInput::Held};
    EncodeInputs(inputs, packet);
    keep("inputs.bin");
    EncodeAttack({310, 2}, packet);
    keep("attack.bin");
    EncodeChecksum({299, 0xA5A5F00D}, packet);
    keep("checksum.bin");
    EncodeRefuse({kNetProtocolVersion, ENetRefusal::VersionMismatch}, packet);
    keep("refuse.bin");
    EncodeGoodbye(ENetGoodbye::Quit, packet);
    keep("goodbye.bin");
    return seeds;
}

bool WriteSeed(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
    std::filesystem::create_directories(folder);
    return WriteFileBytes((folder / name).string(), bytes);
}

}  // namespace

// The levels of the fuzz target, every one seeded alike.
class CSeedLevels final : public ISessionLevels {
public:
    bool ReadLevel(int32_t number, CPlayfield& playfield) override {
        std::vector<uint8_t> bytes;
        return m_levels.LevelBytes(number, bytes) && playfield.LoadLevelBytes(bytes.data(), bytes.size());
    }
    uint32_t NewSeed() override { return 7; }

private:
    CFuzzLevels m_levels;
};

// A short game on the fuzz levels, recorded by the game session as the game records one:
// glances at the aim, a swap, a pause, the level's panel clicked away; no shot, so that it
// stays on its level.
Bytes SeedPlayedReplay() {
    CSeedLevels levels;
    IGameSessionListener nobody;
    CGameSession session(levels, nobody);
    SessionStart start;
    start.lastLevel = 2;
    start.playerName = "Seed";
    session.StartNew(start);
    for (int32_t step = 0; step < 450; ++step) {
        ReplayStep input;
        if (step % 10 == 0) {
            input.input |= ReplayInput::Moved;
            input.aimX = 100.0f + static_cast<float>(step);
            input.aimY = 120.0f;
        }
        if (step == 20) {
            input.input |= ReplayInput::Dismiss;
        }
        if (step == 200) {
            input.input |= ReplayInput::Swap;
        }
        if (step == 300 || step == 320) {
            input.input |= ReplayInput::PauseKey;
        }
        session.Step(input);
    }
    Bytes bytes;
    EncodeReplay(session.Recorder().Data(), bytes);
    CFuzzLevels check;
    const ReplayVerdict verdict = VerifyReplay(session.Recorder().Data(), check);
    if (!verdict.agrees) {
        std::fprintf(stderr, "the played replay seed does not play back: %s at %u\n", verdict.why.c_str(),
                     verdict.divergedAt);
        return Bytes();
    }
    return bytes;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::filesystem::path zip = root / "fuzz_zip";
    const std::filesystem::path tga = root / "fuzz_tga";
    const std::filesystem::path jpeg = root / "fuzz_jpeg";
    const std::filesystem::path players = root / "fuzz_players";
    const std::filesystem::path highscore = root / "fuzz_highscore";
    const std::filesystem::path language = root / "fuzz_language";
    const std::filesystem::path savedGame = root / "fuzz_saved_game";
    const std::filesystem::path replay = root / "fuzz_replay";
    const std::filesystem::path netPacket = root / "fuzz_net_packet";
    bool ok = true;

    ok &= WriteSeed(zip, "stored.zip", MakeZip({SeedEntry("1.lvl", "level one"), SeedEntry("a/b.txt", "abc\r\n")}));
    ok &= WriteSeed(zip, "extra.zip", MakeZip({SeedEntry("x.tga", "xx", {0x55, 0x54, 0x01, 0x00, 0x07})}));
    ok &= WriteSeed(zip, "ql.nuf", MakeZip({QlSeedEntry("one", "1"), QlSeedEntry("two", "22")}));
    ok &= WriteSeed(zip, "longname.zip", MakeZip({SeedEntry(std::string(255, 'n'), "skip"), SeedEntry("k", "kept")}));

    ok &= WriteSeed(tga, "raw24-bottom.tga", SeedTga(2, 24, 3, 2, 0x00, Pattern(18, 7)));
    ok &= WriteSeed(tga, "raw32-top.tga", SeedTga(2, 32, 2, 2, 0x28, Pattern(16, 9)));
    ok &= WriteSeed(tga, "high16.tga", SeedTga(2, 16, 2, 2, 0x00, Pattern(8, 31)));
    ok &= WriteSeed(tga, "rle24.tga", SeedTga(10, 24, 5, 2, 0x00, {0x82, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9, 0x84, 9, 9, 9}));
    ok &= WriteSeed(tga, "rle32.tga", SeedTga(10, 32, 4, 1, 0x28, {0x80, 1, 2, 3, 4, 0x02, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));

    ok &= WriteSeed(jpeg, "baseline.jpg", SeedJpeg(8, 8, 3, {}));
    ok &= WriteSeed(jpeg, "progressive.jpg", SeedJpeg(16, 8, 3, {.progressive = true}));
    ok &= WriteSeed(jpeg, "full-chroma-restart.jpg", SeedJpeg(16, 16, 3, {.fullChroma = true, .restartRows = 1}));
    ok &= WriteSeed(jpeg, "grey.jpg", SeedJpeg(8, 8, 1, {}));
    ok &= WriteSeed(jpeg, "cmyk.jpg", SeedJpeg(8, 8, 4, {}));

    ok &= WriteSeed(players, "one.cfg", SeedPlayers(1, 0));
    ok &= WriteSeed(players, "three.cfg", SeedPlayers(3, 1));
    ok &= WriteSeed(highscore, "hs5.dat", SeedHighscores());
    ok &= WriteSeed(language, "english.dat", Le32Bytes(1));
    ok &= WriteSeed(language, "swedish.dat", Le32Bytes(2));
    ok &= WriteSeed(savedGame, "level-start.sav", SeedSavedGame());
    const Bytes played = SeedPlayedReplay();
    ok &= !played.empty() && WriteSeed(replay, "played.rpl", played);
    for (const auto& [name, bytes] : SeedNetPackets()) {
        ok &= WriteSeed(netPacket, name, bytes);
    }
    return ok ? 0 : 1;
}
