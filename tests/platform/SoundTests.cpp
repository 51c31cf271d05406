// Audio on the dummy driver: the settings file, sample slots and playback caps, ids out
// of range, and the menu music. Every sound is a short sine written by the test.
#include "PlatformFixtures.h"

#include "platform/Sound.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include <map>
#include <mutex>
#include <string>

namespace {

// Long enough to still sound while a test plays it several times.
const Bytes& LongWav() {
    static const Bytes wav = MakeSineWav(8000 * 5);
    return wav;
}

void PutInt32(Bytes& out, int32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
    }
}

Bytes ConfigBytes(uint8_t sfx, uint8_t music, int32_t musicVolume, int32_t sampleVolume) {
    Bytes out{sfx, music};
    PutInt32(out, musicVolume);
    PutInt32(out, sampleVolume);
    return out;
}

// A tiny tracker module: one empty pattern of 64 rows and one instrument with a 32-byte sample.
Bytes MinimalXm() {
    Bytes out;
    const auto putText = [&out](const std::string& text, size_t width) {
        for (size_t i = 0; i < width; ++i) {
            out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : uint8_t{' '});
        }
    };
    putText("Extended Module: ", 17);
    putText("pellora test", 20);   // module name
    out.push_back(0x1A);
    putText("pellora", 20);        // tracker name
    out.push_back(0x04);
    out.push_back(0x01);   // version 1.04
    PutInt32(out, 276);    // header size from here
    const uint16_t fields[] = {1, 0, 2, 1, 1, 1, 6, 125};   // length, restart, channels, patterns,
                                                            // instruments, flags, tempo, bpm
    for (const uint16_t field : fields) {
        out.push_back(static_cast<uint8_t>(field));
        out.push_back(static_cast<uint8_t>(field >> 8));
    }
    for (int order = 0; order < 256; ++order) {
        out.push_back(0);   // order table: pattern 0
    }
    PutInt32(out, 9);   // pattern header length
    out.push_back(0);   // packing type
    out.push_back(64);
    out.push_back(0);   // rows
    out.push_back(0);
    out.push_back(0);   // packed size: empty
    const size_t instrumentStart = out.size();
    PutInt32(out, 263);   // instrument header size
    putText("tone", 22);
    out.push_back(0);     // type
    out.push_back(1);
    out.push_back(0);     // one sample
    PutInt32(out, 40);    // sample header size
    out.resize(instrumentStart + 263, 0);   // key map, envelopes, vibrato: all zero
    PutInt32(out, 32);   // sample length
    PutInt32(out, 0);    // loop start
    PutInt32(out, 0);    // loop length
    out.push_back(64);   // volume
    out.push_back(0);    // finetune
    out.push_back(0);    // type: 8-bit, no loop
    out.push_back(128);  // panning
    out.push_back(0);    // relative note
    out.push_back(0);
    putText("tone", 22);
    for (int i = 0; i < 32; ++i) {
        out.push_back(10);   // delta-coded sample data
    }
    return out;
}

// While alive, every block SDL allocates (the mixer allocates through SDL) is recorded with
// its size; SDL's own functions still do the work.
class CSdlAllocations {
public:
    CSdlAllocations() {
        SDL_GetMemoryFunctions(&s_malloc, &s_calloc, &s_realloc, &s_free);
        SDL_SetMemoryFunctions(&Malloc, &Calloc, &Realloc, &Free);
    }
    ~CSdlAllocations() {
        SDL_SetMemoryFunctions(s_malloc, s_calloc, s_realloc, s_free);
        const std::lock_guard<std::mutex> lock(s_mutex);
        s_sizes.clear();
    }
    CSdlAllocations(const CSdlAllocations&) = delete;
    CSdlAllocations& operator=(const CSdlAllocations&) = delete;

    // The size the block was allocated with; 0 for a block not made while recording.
    static size_t SizeOf(const void* block) {
        const std::lock_guard<std::mutex> lock(s_mutex);
        const auto found = s_sizes.find(block);
        return found != s_sizes.end() ? found->second : 0;
    }

private:
    static void Record(const void* block, size_t size) {
        if (block != nullptr) {
            const std::lock_guard<std::mutex> lock(s_mutex);
            s_sizes[block] = size;
        }
    }
    static void Forget(const void* block) {
        const std::lock_guard<std::mutex> lock(s_mutex);
        s_sizes.erase(block);
    }
    static void* Malloc(size_t size) {
        void* block = s_malloc(size);
        Record(block, size);
        return block;
    }
    static void* Calloc(size_t count, size_t size) {
        void* block = s_calloc(count, size);
        Record(block, count * size);
        return block;
    }
    static void* Realloc(void* old, size_t size) {
        void* block = s_realloc(old, size);
        if (block != nullptr) {
            Forget(old);
            Record(block, size);
        }
        return block;
    }
    static void Free(void* block) {
        Forget(block);
        s_free(block);
    }

    static inline SDL_malloc_func s_malloc = nullptr;
    static inline SDL_calloc_func s_calloc = nullptr;
    static inline SDL_realloc_func s_realloc = nullptr;
    static inline SDL_free_func s_free = nullptr;
    static inline std::mutex s_mutex;
    static inline std::map<const void*, size_t> s_sizes;
};

class SoundTest : public CPlatformTest {
protected:
    void TearDown() override {
        sound.Destroy();
        CPlatformTest::TearDown();
    }
    CSoundBass& sound = CSoundBass::Get();
};

TEST_F(SoundTest, MissingSettingsGiveDefaultsAndAreWrittenAtShutdown) {
    ASSERT_TRUE(sound.Init());
    // A first start has no settings yet: nothing failed, so no failure reaches stderr.
    EXPECT_TRUE(LogHas("CSoundBass::File_LoadConfig: no sound.cfg yet, the defaults"));
    for (const std::string& line : m_log) {
        EXPECT_EQ(line.find("FAILED"), std::string::npos) << line;
    }
    EXPECT_EQ(sound.GetMusicVolume(), 50);
    EXPECT_EQ(sound.GetSampleVolume(), 70);
    EXPECT_TRUE(sound.IsSfxEnabled());
    EXPECT_TRUE(sound.IsMusicEnabled());
    EXPECT_EQ(Mix_VolumeMusic(-1), 64);
    EXPECT_EQ(Mix_Volume(-1, -1), 90);   // 70 of 128, rounded
    sound.Destroy();
    EXPECT_EQ(ReadFile("sound.cfg"), ConfigBytes(1, 1, 50, 70));
}

TEST_F(SoundTest, SettingsThatExistButCannotBeReadAreAFailureAndKept) {
    ASSERT_EQ(::mkdir((m_temp / "sound.cfg").c_str(), 0700), 0);
    ASSERT_TRUE(sound.Init());
    EXPECT_TRUE(LogHas("CSoundBass::File_LoadConfig FAILED open file sound.cfg"));
    EXPECT_EQ(sound.GetMusicVolume(), 50);
    sound.Destroy();
    EXPECT_TRUE(std::filesystem::is_directory(m_temp / "sound.cfg"));
}

TEST_F(SoundTest, WithoutASoundDeviceTheGameRunsSilently) {
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    const bool opened = sound.Init();
    if (saved != nullptr) {
        setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
    ASSERT_TRUE(opened);
    EXPECT_TRUE(sound.IsOpen());
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    bool logged = false;
    for (const std::string& line : m_log) {
        logged = logged || line.rfind("CSoundBass::Init no sound device", 0) == 0;
    }
    EXPECT_TRUE(logged);
}

TEST_F(SoundTest, SettingsFileIsReadFieldByFieldAndRepaired) {
    struct Case {
        const char* name;
        Bytes file;
        bool sfx, music;
        int32_t musicVolume, sampleVolume;
        bool repaired;   // the original is kept as "sound.cfg.bad"
    };
    const Case cases[] = {
        {"valid", ConfigBytes(0, 1, 30, 80), false, true, 30, 80, false},
        {"out of range", ConfigBytes(1, 0, -5, 300), true, false, 0, 100, true},
        {"odd switches", ConfigBytes(7, 255, 100, 0), true, true, 100, 0, true},
        {"3 bytes", Bytes{0, 1, 0x20}, false, true, 50, 70, true},
        {"6 bytes", Bytes{1, 0, 20, 0, 0, 0}, true, false, 20, 70, true},
        {"empty", Bytes{}, true, true, 50, 70, true},
    };
    for (const Case& c : cases) {
        std::remove((m_temp / "sound.cfg.bad").c_str());
        WriteFile("sound.cfg", c.file);
        ASSERT_TRUE(sound.Init()) << c.name;
        EXPECT_EQ(sound.IsSfxEnabled(), c.sfx) << c.name;
        EXPECT_EQ(sound.IsMusicEnabled(), c.music) << c.name;
        EXPECT_EQ(sound.GetMusicVolume(), c.musicVolume) << c.name;
        EXPECT_EQ(sound.GetSampleVolume(), c.sampleVolume) << c.name;
        sound.Destroy();
        // What was repaired is what is saved.
        EXPECT_EQ(ReadFile("sound.cfg"),
                  ConfigBytes(c.sfx ? 1 : 0, c.music ? 1 : 0, c.musicVolume, c.sampleVolume))
            << c.name;
        EXPECT_EQ(PathExists(m_temp / "sound.cfg.bad"), c.repaired) << c.name;
        if (c.repaired) {
            EXPECT_EQ(ReadFileBytes(m_temp / "sound.cfg.bad"), c.file) << c.name;
        }
    }
    EXPECT_TRUE(LogHas("CSoundBass::File_LoadConfig FAILED short file sound.cfg, 3 of 10 bytes"));
}

TEST_F(SoundTest, SixtyFourSlotsThenRefusal) {
    WriteFile("blip.wav", MakeSineWav(300));
    ASSERT_TRUE(sound.Init());
    std::vector<int32_t> ids;
    for (int i = 0; i < CSoundBass::kMaxSamples; ++i) {
        int32_t id = -1;
        sound.Sfx_Add(id, "blip", 1);
        ids.push_back(id);
    }
    for (int i = 0; i < CSoundBass::kMaxSamples; ++i) {
        EXPECT_EQ(ids[size_t(i)], i);
    }
    int32_t extra = 7;
    sound.Sfx_Add(extra, "blip", 1);
    EXPECT_EQ(extra, -1);
    EXPECT_TRUE(LogHas("CSoundBass::Sfx_Add FAILED no free sound id:s left"));
    // The lowest free slot is taken next.
    sound.Sfx_Delete(5);
    sound.Sfx_Delete(9);
    sound.Sfx_Add(extra, "blip", 1);
    EXPECT_EQ(extra, 5);
}

// The mixer converts a sound into a buffer sized for the worst case of the conversion; a
// loaded sample keeps a buffer of just its converted samples, whatever the source's format.
TEST_F(SoundTest, LoadedSamplesKeepOnlyTheirConvertedSamples) {
    WriteFile("tone.wav", MakeSineWav(8000));
    ASSERT_TRUE(sound.Init());
    const CSdlAllocations allocations;
    int32_t id = -1;
    sound.Sfx_Add(id, "tone", 1);
    const Mix_Chunk* chunk = sound.GetSampleChunk(id);
    ASSERT_NE(chunk, nullptr);
    // 8000 samples of 8-bit mono at 8000 Hz become about a second of the mixer's own format.
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    const double frameBytes = channels * SDL_AUDIO_BITSIZE(format) / 8.0;
    EXPECT_NEAR(chunk->alen, rate * frameBytes, rate * frameBytes * 0.01);
    EXPECT_EQ(allocations.SizeOf(chunk->abuf), chunk->alen);
    EXPECT_EQ(sound.Sfx_Play(id) > 0, true) << "the kept samples still play";
}

TEST_F(SoundTest, WavIsPreferredOverOgg) {
    WriteFile("combo.wav", MakeSineWav(300));
    WriteFile("combo.ogg", Bytes(64, 0x55));   // not a sound: choosing it would fail to decode
    WriteFile("only.ogg", Bytes(64, 0x55));
    ASSERT_TRUE(sound.Init());
    struct Case {
        const char* name;
        bool expectId;
        const char* logLine;   // null: no failure at all
    };
    const Case cases[] = {
        {"combo", true, nullptr},
        {"only", true, "CSoundBass::Sfx_Add FAILED couldn't decode only.ogg"},
        {"nowhere", false, "CSoundBass::Sfx_Add FAILED couldn't locate file nowhere"},
    };
    for (const Case& c : cases) {
        m_log.clear();
        int32_t id = -1;
        sound.Sfx_Add(id, c.name, 1);
        EXPECT_EQ(id >= 0, c.expectId) << c.name;
        if (c.logLine != nullptr) {
            EXPECT_TRUE(LogHas(c.logLine)) << c.name;
        } else {
            EXPECT_TRUE(m_log.empty()) << c.name << ": " << (m_log.empty() ? "" : m_log[0]);
            EXPECT_GT(sound.Sfx_Play(id), 0) << c.name;
        }
    }
}

TEST_F(SoundTest, PlaybackCapCutsTheLongestPlaying) {
    WriteFile("powerup_explosion_small.wav", LongWav());
    WriteFile("fire_ball.wav", LongWav());
    ASSERT_TRUE(sound.Init());
    int32_t twice = -1, once = -1;
    sound.Sfx_Add(twice, "powerup_explosion_small", 2);
    sound.Sfx_Add(once, "fire_ball", 1);
    const int32_t first = sound.Sfx_Play(twice);
    const int32_t second = sound.Sfx_Play(twice);
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    EXPECT_NE(first, second);
    EXPECT_EQ(sound.CountPlaying(twice), 2);
    const int32_t third = sound.Sfx_Play(twice);
    EXPECT_EQ(sound.CountPlaying(twice), 2);
    EXPECT_EQ(third, first);   // the oldest playback made room
    const int32_t fourth = sound.Sfx_Play(twice);
    EXPECT_EQ(fourth, second);   // now the second one is the oldest

    sound.Sfx_Play(once);
    sound.Sfx_Play(once);
    EXPECT_EQ(sound.CountPlaying(once), 1);
    EXPECT_EQ(sound.CountPlaying(twice), 2);

    // Deleting a sample stops its playbacks.
    sound.Sfx_Delete(twice);
    EXPECT_EQ(sound.CountPlaying(twice), 0);
}

TEST_F(SoundTest, BadIdsAreRefusedWithTheirLogLines) {
    WriteFile("sound.cfg", ConfigBytes(1, 1, 50, 70));
    WriteFile("blip.wav", MakeSineWav(300));
    ASSERT_TRUE(sound.Init());
    struct Case {
        int32_t id;
        const char* logLine;
    };
    const Case cases[] = {
        {70, "CSoundBass::Sfx_Play FAILED sound id to big, max id is 63"},
        {64, "CSoundBass::Sfx_Play FAILED sound id to big, max id is 63"},
        {3, "CSoundBass::Sfx_Play FAILED sound id not loaded 3"},
        {-1, nullptr},
    };
    for (const Case& c : cases) {
        m_log.clear();
        EXPECT_EQ(sound.Sfx_Play(c.id), 0) << c.id;
        if (c.logLine != nullptr) {
            EXPECT_TRUE(LogHas(c.logLine)) << c.id;
        } else {
            EXPECT_TRUE(m_log.empty()) << c.id;
        }
    }
    sound.Sfx_Delete(64);
    EXPECT_TRUE(LogHas("CSoundBass::Sfx_Delete FAILED sound id to big, max id is 63"));
}

TEST_F(SoundTest, SwitchedOffEffectsStaySilent) {
    WriteFile("sound.cfg", ConfigBytes(0, 0, 50, 70));
    WriteFile("blip.wav", LongWav());
    WriteFile("i01.xm", MinimalXm());
    ASSERT_TRUE(sound.Init());
    int32_t id = -1;
    sound.Sfx_Add(id, "blip", 1);
    ASSERT_GE(id, 0);
    EXPECT_EQ(sound.Sfx_Play(id), 0);
    EXPECT_EQ(sound.CountPlaying(id), 0);
    ASSERT_TRUE(sound.Mod_Load("i01.xm"));
    EXPECT_FALSE(sound.Mod_Play());
    EXPECT_FALSE(sound.IsMusicPlaying());
}

TEST_F(SoundTest, MenuMusicStartsOnceAndIsNotRestarted) {
    ASSERT_TRUE(sound.Init());
    StartMenuMusic();   // no music file at all
    EXPECT_FALSE(sound.IsMusicLoaded());

    WriteFile("i01.xm", MinimalXm());
    StartMenuMusic();
    ASSERT_TRUE(sound.IsMusicLoaded());
    EXPECT_TRUE(sound.IsMusicPlaying());

    sound.Mod_Stop();
    EXPECT_TRUE(sound.IsMusicLoaded());
    StartMenuMusic();   // loaded already: left as it is, so it stays stopped
    EXPECT_FALSE(sound.IsMusicPlaying());

    sound.Mod_Free();
    EXPECT_FALSE(sound.IsMusicLoaded());
    EXPECT_FALSE(sound.Mod_Load("i02.xm"));
    EXPECT_TRUE(LogHas("CSoundBass::Mod_Load FAILED open file i02.xm"));
    WriteFile("broken.xm", Bytes(40, 1));
    EXPECT_FALSE(sound.Mod_Load("broken.xm"));
    EXPECT_FALSE(sound.IsMusicLoaded());
}

TEST_F(SoundTest, VolumesAreClampedAndReachTheMixer) {
    ASSERT_TRUE(sound.Init());
    struct Case {
        int32_t set;
        int32_t stored;
        int mixer;
    };
    const Case cases[] = {{150, 100, 128}, {-3, 0, 0}, {50, 50, 64}, {1, 1, 1}};
    for (const Case& c : cases) {
        sound.SetSampleVolume(c.set);
        sound.SetMusicVolume(c.set);
        EXPECT_EQ(sound.GetSampleVolume(), c.stored) << c.set;
        EXPECT_EQ(sound.GetMusicVolume(), c.stored) << c.set;
        EXPECT_EQ(Mix_Volume(-1, -1), c.mixer) << c.set;
        EXPECT_EQ(Mix_VolumeMusic(-1), c.mixer) << c.set;
    }
}

TEST_F(SoundTest, PauseAndResumeHoldEveryChannel) {
    WriteFile("blip.wav", LongWav());
    ASSERT_TRUE(sound.Init());
    CSound blip;
    blip.Load("blip");
    const int32_t channel = blip.Play();
    ASSERT_GT(channel, 0);
    sound.Pause();
    EXPECT_EQ(Mix_Paused(channel - 1), 1);
    sound.Resume();
    EXPECT_EQ(Mix_Paused(channel - 1), 0);
}

TEST_F(SoundTest, SoundEventOwnsItsSlot) {
    WriteFile("combo.wav", MakeSineWav(300));
    ASSERT_TRUE(sound.Init());
    int32_t id = -1;
    {
        CSound combo;
        combo.Load("combo");
        id = combo.GetId();
        ASSERT_GE(id, 0);
        EXPECT_TRUE(sound.IsSampleLoaded(id));
        combo.Load("combo");   // loading again does not leak the first slot
        EXPECT_EQ(combo.GetId(), id);
    }
    EXPECT_FALSE(sound.IsSampleLoaded(id));
    CSound missing;
    missing.Load("not_there");
    EXPECT_EQ(missing.GetId(), -1);
    EXPECT_EQ(missing.Play(), 0);
}

}  // namespace
