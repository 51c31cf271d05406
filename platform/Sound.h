#pragma once
// CSoundBass: sound effects (64 slots, per-sample playback caps) and the one tracker
// music, on SDL2_mixer. CSound: one sound event of the game, played by its object.
#include <cstdint>
#include <string>
#include <vector>

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

class CSoundBass {
public:
    static constexpr int kMaxSamples = 64;

    static CSoundBass& Get();

    bool Init();
    void Destroy();
    bool File_LoadConfig();
    bool File_SaveConfig();
    bool Mod_Load(const std::string& fileName);
    bool Mod_Play();
    bool Mod_Stop();
    bool Mod_Free();
    bool IsMusicLoaded() const { return m_music != nullptr; }
    bool IsMusicPlaying() const;
    void Sfx_Add(int32_t& outId, const std::string& baseName, int32_t playbacks);
    // A channel number + 1 of the playback, or 0 when nothing plays.
    int32_t Sfx_Play(int32_t id);
    void Sfx_Delete(int32_t id);
    void SetMusicVolume(int32_t volume);
    void SetSampleVolume(int32_t volume);
    int32_t GetMusicVolume() const { return m_musicVolume; }
    int32_t GetSampleVolume() const { return m_sampleVolume; }
    void Pause();
    void Resume();

    bool IsSampleLoaded(int32_t id) const;
    // The mixer's chunk of a loaded sample (null when none); tests look at its buffer.
    const Mix_Chunk* GetSampleChunk(int32_t id) const;
    // Playbacks of this sample now sounding.
    int32_t CountPlaying(int32_t id) const;
    bool IsOpen() const { return m_opened; }
    bool IsSfxEnabled() const { return m_sfxEnabled; }
    bool IsMusicEnabled() const { return m_musicEnabled; }

private:
    CSoundBass() = default;
    ~CSoundBass();
    CSoundBass(const CSoundBass&) = delete;
    CSoundBass& operator=(const CSoundBass&) = delete;

    struct SampleSlot {
        bool used = false;
        Mix_Chunk* chunk = nullptr;   // null when the file could not be decoded
        int32_t cap = 1;              // simultaneous playbacks
    };

    bool CheckMixerVersion() const;
    bool OpenDevice();
    bool TryOpenDevice();
    void CloseDevice();
    void FreeAllSamples();
    void ApplyConfigBytes(const uint8_t* bytes, uint32_t count);
    int32_t ChannelForPlayback(int32_t id);

    Mix_Music* m_music = nullptr;
    std::vector<uint8_t> m_musicData;   // the mixer streams the music from these bytes
    SampleSlot m_samples[kMaxSamples];
    std::vector<int32_t> m_channelOwner;     // sample id per mixer channel, -1 for none
    std::vector<uint64_t> m_channelStart;    // play order of the channel's playback
    uint64_t m_playCounter = 0;
    int32_t m_musicVolume = 50;
    int32_t m_sampleVolume = 70;
    std::string m_configFileName = "sound.cfg";
    std::string m_musicFileName;
    bool m_sfxEnabled = true;
    bool m_musicEnabled = true;
    bool m_opened = false;
};

// Loads "i01.mo3" or else "i01.xm" and plays it, unless music is already loaded.
void StartMenuMusic();

class CSound {
public:
    CSound() = default;
    virtual ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    void Load(const std::string& name) { Load(name, 1); }
    void Load(const std::string& name, int32_t playbacks);
    int32_t Play() const;
    void Free();
    int32_t GetId() const { return m_id; }

private:
    int32_t m_id = -1;
};
