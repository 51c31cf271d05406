// The baked sound.nuf as the game meets it: every event and the music read through the
// file manager and decoded by SDL2_mixer, with their lengths and levels measured here.
#include "game/GameSounds.h"
#include "resources/FileManager.h"
#include "tests/support/TestFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kDeviceRate = 22050;
// Loudest and quietest events may differ by less than this (active-part RMS, dB).
constexpr double kBalanceMarginDb = 12.0;
constexpr double kPeakLimitDb = -1.0;
// First and last samples stay this close to silence (no click when a sound starts or ends).
constexpr int kQuietEdge = 330;   // about -40 dBFS


struct DecodedSound {
    std::string name;
    std::vector<int16_t> samples;   // mono at kDeviceRate, as the mixer holds them
};

struct Levels {
    double seconds = 0.0;
    double peakDb = -200.0;
    double rmsDb = -200.0;
};

double ToDb(double amplitude) {
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude) : -200.0;
}

// Peak, and the mean power of the 10 ms windows within 30 dB of the loudest window.
Levels Measure(const std::vector<int16_t>& samples) {
    Levels levels;
    levels.seconds = static_cast<double>(samples.size()) / kDeviceRate;
    int peak = 0;
    std::vector<double> windows;
    const size_t window = kDeviceRate / 100;
    for (size_t start = 0; start < samples.size(); start += window) {
        const size_t end = std::min(samples.size(), start + window);
        double sum = 0.0;
        for (size_t i = start; i < end; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
            const double value = samples[i] / 32768.0;
            sum += value * value;
        }
        windows.push_back(sum / static_cast<double>(end - start));
    }
    levels.peakDb = ToDb(peak / 32768.0);
    const double loudest = windows.empty() ? 0.0 : *std::max_element(windows.begin(), windows.end());
    double active = 0.0;
    int count = 0;
    for (const double power : windows) {
        if (loudest > 0.0 && power >= loudest * 0.001) {
            active += power;
            ++count;
        }
    }
    levels.rmsDb = count > 0 ? 10.0 * std::log10(active / count) : -200.0;
    return levels;
}

class SoundArchiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CFileManager::Get().UnmountAll();
        CFileManager::Get().MountFileSystem(std::string(PELLORA_DATA_DIR) + "/sound.nuf");
        ::setenv("SDL_AUDIODRIVER", "dummy", 0);   // no sound card needed; an explicit choice wins
        s_audioReady = SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(kDeviceRate, AUDIO_S16SYS, 1, 1024) == 0;
        Mix_Init(MIX_INIT_MOD);
        if (s_audioReady) {
            DecodeEvents();
        }
    }

    static void TearDownTestSuite() {
        s_sounds.clear();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_Quit();
        CFileManager::Get().UnmountAll();
    }

    void SetUp() override {
        ASSERT_TRUE(s_audioReady) << SDL_GetError();
    }

    // Loads each event the way the game does and keeps the mixer's decoded copy.
    static void DecodeEvents() {
        for (int32_t i = 0; i < kGameSoundCount; ++i) {
            const char* name = GameSoundName(static_cast<EGameSound>(i));
            std::vector<uint8_t> bytes;
            if (!CFileManager::Get().LoadWholeFile(std::string(name) + ".wav", bytes)) {
                continue;
            }
            Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
            if (chunk == nullptr) {
                continue;
            }
            DecodedSound sound;
            sound.name = name;
            const int16_t* data = reinterpret_cast<const int16_t*>(chunk->abuf);
            sound.samples.assign(data, data + chunk->alen / 2);
            Mix_FreeChunk(chunk);
            s_sounds.push_back(sound);
        }
    }

    static bool s_audioReady;
    static std::vector<DecodedSound> s_sounds;
};

bool SoundArchiveTest::s_audioReady = false;
std::vector<DecodedSound> SoundArchiveTest::s_sounds;

TEST_F(SoundArchiveTest, EveryEventDecodesThroughTheMixerWithAUsableLength) {
    ASSERT_EQ(s_sounds.size(), static_cast<size_t>(kGameSoundCount)) << "some event is missing from sound.nuf or does not decode";
    for (const DecodedSound& sound : s_sounds) {
        const double seconds = Measure(sound.samples).seconds;
        EXPECT_GE(seconds, 0.05) << sound.name;
        EXPECT_LE(seconds, 3.0) << sound.name;
    }
}

TEST_F(SoundArchiveTest, PeaksStayBelowFullScaleAndSoundsStartAndEndSilently) {
    ASSERT_FALSE(s_sounds.empty());
    for (const DecodedSound& sound : s_sounds) {
        EXPECT_LE(Measure(sound.samples).peakDb, kPeakLimitDb) << sound.name;
        ASSERT_GE(sound.samples.size(), 2u) << sound.name;
        EXPECT_LE(std::abs(static_cast<int>(sound.samples.front())), kQuietEdge) << sound.name;
        EXPECT_LE(std::abs(static_cast<int>(sound.samples.back())), kQuietEdge) << sound.name;
    }
}

TEST_F(SoundArchiveTest, LoudnessIsBalancedAcrossEvents) {
    ASSERT_EQ(s_sounds.size(), static_cast<size_t>(kGameSoundCount));
    double loudest = -200.0;
    double quietest = 0.0;
    std::string loudestName;
    std::string quietestName;
    std::printf("%-32s %8s %9s %9s\n", "event", "seconds", "peak dB", "RMS dB");
    for (const DecodedSound& sound : s_sounds) {
        const Levels levels = Measure(sound.samples);
        std::printf("%-32s %8.3f %9.1f %9.1f\n", sound.name.c_str(), levels.seconds, levels.peakDb, levels.rmsDb);
        EXPECT_GT(levels.rmsDb, -30.0) << sound.name << " is too quiet to hear in the game";
        if (levels.rmsDb > loudest) {
            loudest = levels.rmsDb;
            loudestName = sound.name;
        }
        if (levels.rmsDb < quietest) {
            quietest = levels.rmsDb;
            quietestName = sound.name;
        }
    }
    EXPECT_LT(loudest - quietest, kBalanceMarginDb) << loudestName << " against " << quietestName;
}

TEST_F(SoundArchiveTest, MusicLoadsFromMemoryPlaysLoopedAndLastsAMinute) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(CFileManager::Get().LoadWholeFile("i01.xm", bytes));
    Mix_Music* music = Mix_LoadMUS_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_GetMusicType(music), MUS_MOD);
    EXPECT_GE(Mix_MusicDuration(music), 60.0);
    EXPECT_EQ(Mix_PlayMusic(music, -1), 0) << Mix_GetError();
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    Mix_HaltMusic();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    Mix_FreeMusic(music);
}

TEST_F(SoundArchiveTest, DamagedMusicIsRefusedByTheMixer) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(CFileManager::Get().LoadWholeFile("i01.xm", bytes));
    bytes.resize(60);   // the header's start only
    Mix_Music* music = Mix_LoadMUS_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    EXPECT_EQ(music, nullptr);
    if (music != nullptr) {
        Mix_FreeMusic(music);
    }
}

TEST(SoundBakeTest, TwoBakesGiveTheSameSoundArchive) {
    namespace fs = std::filesystem;
    const CTempFolder root;
    ASSERT_FALSE(root.Path().empty());
    std::vector<uint8_t> archives[2];
    for (int run = 0; run < 2; ++run) {
        const fs::path folder = root / std::to_string(run);
        fs::create_directories(folder);
        const std::string command = std::string("\"") + PELLORA_BAKE_EXE + "\" \"" + PELLORA_SOURCE_DIR + "\" \"" +
                                    folder.string() + "\" \"" + (folder / "crc.h").string() + "\" > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        archives[run] = ReadFileBytes((folder / "sound.nuf").string());
        ASSERT_FALSE(archives[run].empty()) << run;
    }
    EXPECT_GT(archives[0].size(), 100000u);
    EXPECT_TRUE(archives[0] == archives[1]) << "the sound archive differs between two bakes";
}
}  // namespace
