// CSoundBass on SDL2_mixer: 64 sample slots played on mixer channels with a cap per
// sample (a playback beyond the cap cuts the one that has played longest), one looping
// tracker music streamed from memory, and the two global volumes kept in "sound.cfg".
#include "platform/Sound.h"

#include "core/Log.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMixerChannels = 64;
constexpr int kMixRate = 44100;
constexpr int kMixChunkSize = 1024;
constexpr uint32_t kConfigSize = 10;
constexpr int32_t kDefaultMusicVolume = 50;
constexpr int32_t kDefaultSampleVolume = 70;

int32_t ClampVolume(int32_t volume) {
    return std::clamp(volume, 0, 100);
}

int MixerVolume(int32_t volume) {
    return (volume * MIX_MAX_VOLUME + 50) / 100;
}

int32_t VolumeFromMixer(int mixerVolume) {
    return ClampVolume((mixerVolume * 100 + MIX_MAX_VOLUME / 2) / MIX_MAX_VOLUME);
}

// The mixer converts a sound to its own format in a buffer sized for the worst case of the
// conversion and keeps all of it; the chunk keeps only its samples.
void KeepOnlyTheSamples(Mix_Chunk* chunk) {
    if (chunk == nullptr || chunk->allocated == 0 || chunk->abuf == nullptr || chunk->alen == 0) {
        return;
    }
    auto* exact = static_cast<Uint8*>(SDL_malloc(chunk->alen));
    if (exact == nullptr) {
        return;   // the larger buffer still plays
    }
    SDL_memcpy(exact, chunk->abuf, chunk->alen);
    SDL_free(chunk->abuf);
    chunk->abuf = exact;
}

// Set once the sound system is gone at exit: sound events are global objects that may
// outlive it, and they only forget their ids then.
bool g_soundBassGone = false;

}  // namespace

CSoundBass& CSoundBass::Get() {
    static CSoundBass instance;
    return instance;
}

CSoundBass::~CSoundBass() {
    // Whatever Destroy did not free yet (the settings are saved only by Destroy).
    Mod_Free();
    FreeAllSamples();
    CloseDevice();
    g_soundBassGone = true;
}

bool CSoundBass::Init() {
    m_musicFileName.clear();
    m_configFileName = "sound.cfg";
    if (!CheckMixerVersion()) {
        return false;
    }
    if (!m_opened && !OpenDevice()) {
        return false;
    }
    m_sampleVolume = VolumeFromMixer(Mix_Volume(-1, -1));
    m_musicVolume = VolumeFromMixer(Mix_VolumeMusic(-1));
    if (File_LoadConfig()) {
        SetMusicVolume(m_musicVolume);
        SetSampleVolume(m_sampleVolume);
    } else {
        m_sfxEnabled = true;
        m_musicEnabled = true;
        SetMusicVolume(kDefaultMusicVolume);
        SetSampleVolume(kDefaultSampleVolume);
    }
    return true;
}

// The mixer library must be of the major version the program was built against.
bool CSoundBass::CheckMixerVersion() const {
    SDL_version compiled;
    SDL_MIXER_VERSION(&compiled);
    const SDL_version* linked = Mix_Linked_Version();
    if (linked != nullptr && linked->major == compiled.major) {
        return true;
    }
    char text[128];
    std::snprintf(text, sizeof(text), "SDL2_mixer %d.%d.%d was not loaded", compiled.major, compiled.minor,
                  compiled.patch);
    CLog::Get().Write("CSoundBass::Init FAILED %s", text);
    std::fprintf(stderr, "%s (found %d.%d.%d)\n", text, linked ? linked->major : 0, linked ? linked->minor : 0,
                 linked ? linked->patch : 0);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Incorrect SDL2_mixer", text, nullptr);
    return false;
}

// A machine without a sound device runs silently on SDL's dummy audio driver.
bool CSoundBass::OpenDevice() {
    if (!TryOpenDevice()) {
        CLog::Get().Write("CSoundBass::Init no sound device (%s), running silent", SDL_GetError());
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        if (!TryOpenDevice()) {
            CLog::Get().Write("CSoundBass::Init FAILED couldn't open audio, %s", SDL_GetError());
            return false;
        }
    }
    Mix_Init(MIX_INIT_OGG | MIX_INIT_MOD);
    const int channels = Mix_AllocateChannels(kMixerChannels);
    m_channelOwner.assign(static_cast<size_t>(channels), -1);
    m_channelStart.assign(static_cast<size_t>(channels), 0);
    m_opened = true;
    CLog::Get().Write("CSoundBass::Init");
    return true;
}

bool CSoundBass::TryOpenDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    if (Mix_OpenAudio(kMixRate, MIX_DEFAULT_FORMAT, 2, kMixChunkSize) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

void CSoundBass::Destroy() {
    File_SaveConfig();
    Mod_Free();
    FreeAllSamples();
    CloseDevice();
}

void CSoundBass::CloseDevice() {
    if (!m_opened) {
        return;
    }
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_channelOwner.clear();
    m_channelStart.clear();
    m_opened = false;
}

void CSoundBass::FreeAllSamples() {
    for (int32_t id = 0; id < kMaxSamples; ++id) {
        Sfx_Delete(id);
    }
}

bool CSoundBass::File_LoadConfig() {
    if (m_configFileName.empty()) {
        return false;
    }
    CLog::Get().Write("CSoundBass::File_LoadConfig: %s", m_configFileName.c_str());
    CFileManager& files = CFileManager::Get();
    if (!files.Exists(m_configFileName)) {
        // A first start: there is nothing to read yet, and nothing has failed.
        CLog::Get().Write("CSoundBass::File_LoadConfig: no %s yet, the defaults", m_configFileName.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!files.LoadWholeFile(m_configFileName, bytes, kConfigSize)) {
        CLog::Get().Write("CSoundBass::File_LoadConfig FAILED open file %s", m_configFileName.c_str());
        if (files.Exists(m_configFileName)) {
            files.ProtectUnreadable(m_configFileName);
        }
        return false;
    }
    ApplyConfigBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    return true;
}

// Fields the file holds completely are taken (switches as 0/1, volumes clamped to 0..100);
// those a short file lacks get their defaults.
void CSoundBass::ApplyConfigBytes(const uint8_t* bytes, uint32_t count) {
    if (count < kConfigSize) {
        CLog::Get().Write("CSoundBass::File_LoadConfig FAILED short file %s, %u of %u bytes", m_configFileName.c_str(),
                          count, kConfigSize);
        CFileManager::Get().MarkDamaged(m_configFileName);
    }
    m_sfxEnabled = (count >= 1) ? bytes[0] != 0 : true;
    m_musicEnabled = (count >= 2) ? bytes[1] != 0 : true;
    if ((count >= 1 && bytes[0] > 1) || (count >= 2 && bytes[1] > 1)) {
        CFileManager::Get().MarkDamaged(m_configFileName);
    }
    const int32_t music = (count >= 6) ? static_cast<int32_t>(ReadLe32(bytes + 2)) : kDefaultMusicVolume;
    const int32_t samples = (count >= 10) ? static_cast<int32_t>(ReadLe32(bytes + 6)) : kDefaultSampleVolume;
    if (music != ClampVolume(music) || samples != ClampVolume(samples)) {
        CLog::Get().Write("CSoundBass::File_LoadConfig volumes %d, %d out of range, clamped", music, samples);
        CFileManager::Get().MarkDamaged(m_configFileName);
    }
    m_musicVolume = ClampVolume(music);
    m_sampleVolume = ClampVolume(samples);
}

bool CSoundBass::File_SaveConfig() {
    if (m_configFileName.empty()) {
        return false;
    }
    CLog::Get().Write("CSoundBass::File_SaveConfig: %s", m_configFileName.c_str());
    uint8_t bytes[kConfigSize];
    bytes[0] = m_sfxEnabled ? 1 : 0;
    bytes[1] = m_musicEnabled ? 1 : 0;
    WriteLe32(bytes + 2, static_cast<uint32_t>(m_musicVolume));
    WriteLe32(bytes + 6, static_cast<uint32_t>(m_sampleVolume));
    if (!CFileManager::Get().SaveWholeFile(m_configFileName, bytes, kConfigSize)) {
        CLog::Get().Write("CSoundBass::File_SaveConfig FAILED write file %s", m_configFileName.c_str());
        return false;
    }
    return true;
}

bool CSoundBass::Mod_Load(const std::string& fileName) {
    m_musicFileName = fileName.substr(0, 254);
    std::vector<uint8_t> bytes;
    if (!CFileManager::Get().LoadWholeFile(fileName, bytes)) {
        CLog::Get().Write("CSoundBass::Mod_Load FAILED open file %s", fileName.c_str());
        return false;
    }
    // The mixer streams from the bytes, so they live as long as the music does; a music
    // still loaded is let go first.
    Mod_Free();
    m_musicData = std::move(bytes);
    if (m_musicData.empty() || !m_opened) {
        CLog::Get().Write("CSoundBass::Mod_Load FAILED couldn't read %s", fileName.c_str());
        m_musicData.clear();
        return false;
    }
    SDL_RWops* stream = SDL_RWFromConstMem(m_musicData.data(), static_cast<int>(m_musicData.size()));
    m_music = (stream != nullptr) ? Mix_LoadMUS_RW(stream, 1) : nullptr;
    if (m_music == nullptr) {
        CLog::Get().Write("CSoundBass::Mod_Load FAILED couldn't decode %s, %s", fileName.c_str(), Mix_GetError());
        m_musicData.clear();
        return false;
    }
    return true;
}

bool CSoundBass::Mod_Play() {
    if (!m_musicEnabled) {
        return false;
    }
    if (m_music != nullptr && Mix_PlayMusic(m_music, -1) != 0) {
        CLog::Get().Write("CSoundBass::Mod_Play FAILED Couldn't play mod %s", m_musicFileName.c_str());
        return false;
    }
    return true;
}

bool CSoundBass::Mod_Stop() {
    if (m_music != nullptr) {
        Mix_HaltMusic();
    }
    return true;
}

bool CSoundBass::Mod_Free() {
    if (m_music != nullptr) {
        Mix_HaltMusic();
        Mix_FreeMusic(m_music);
        m_music = nullptr;
    }
    m_musicData.clear();
    m_musicData.shrink_to_fit();
    return true;
}

bool CSoundBass::IsMusicPlaying() const {
    return m_music != nullptr && Mix_PlayingMusic() != 0;
}

void CSoundBass::Sfx_Add(int32_t& outId, const std::string& baseName, int32_t playbacks) {
    outId = -1;
    int32_t slot = 0;
    while (slot < kMaxSamples && m_samples[slot].used) {
        ++slot;
    }
    if (slot == kMaxSamples) {
        CLog::Get().Write("CSoundBass::Sfx_Add FAILED no free sound id:s left");
        return;
    }
    std::string fileName = baseName + ".wav";
    if (!CFileManager::Get().Exists(fileName)) {
        fileName = baseName + ".ogg";
        if (!CFileManager::Get().Exists(fileName)) {
            CLog::Get().Write("CSoundBass::Sfx_Add FAILED couldn't locate file %s", baseName.c_str());
            return;
        }
    }
    std::vector<uint8_t> data;
    if (!CFileManager::Get().LoadWholeFile(fileName, data)) {
        CLog::Get().Write("CSoundBass::Sfx_Add FAILED open file %s", fileName.c_str());
        return;
    }

    // The chunk keeps its own decoded copy; a file that does not decode still takes the id.
    Mix_Chunk* chunk = nullptr;
    if (m_opened) {
        SDL_RWops* stream = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
        chunk = (stream != nullptr) ? Mix_LoadWAV_RW(stream, 1) : nullptr;
        KeepOnlyTheSamples(chunk);
    }
    if (chunk == nullptr) {
        CLog::Get().Write("CSoundBass::Sfx_Add FAILED couldn't decode %s", fileName.c_str());
    }
    m_samples[slot].used = true;
    m_samples[slot].chunk = chunk;
    m_samples[slot].cap = std::max(playbacks, 1);
    outId = slot;
}

int32_t CSoundBass::Sfx_Play(int32_t id) {
    if (!m_sfxEnabled || id == -1) {
        return 0;
    }
    if (id >= kMaxSamples) {
        CLog::Get().Write("CSoundBass::Sfx_Play FAILED sound id to big, max id is %d", kMaxSamples - 1);
        return 0;
    }
    if (id < 0 || !m_samples[id].used) {
        CLog::Get().Write("CSoundBass::Sfx_Play FAILED sound id not loaded %d", id);
        return 0;
    }
    if (m_samples[id].chunk == nullptr || !m_opened) {
        return 0;
    }
    const int32_t channel = Mix_PlayChannel(ChannelForPlayback(id), m_samples[id].chunk, 0);
    if (channel < 0 || channel >= static_cast<int32_t>(m_channelOwner.size())) {
        CLog::Get().Write("CSoundBass::Sfx_Play FAILED no channel for sound id %d", id);
        return 0;
    }
    m_channelOwner[channel] = id;
    m_channelStart[channel] = ++m_playCounter;
    return channel + 1;
}

// -1 (any free channel) while the sample plays fewer times than its cap; at the cap, the
// channel of its longest-playing instance, stopped for the new one.
int32_t CSoundBass::ChannelForPlayback(int32_t id) {
    int32_t playing = 0;
    int32_t oldest = -1;
    for (size_t channel = 0; channel < m_channelOwner.size(); ++channel) {
        if (m_channelOwner[channel] != id || Mix_Playing(static_cast<int>(channel)) == 0) {
            continue;
        }
        ++playing;
        if (oldest < 0 || m_channelStart[channel] < m_channelStart[static_cast<size_t>(oldest)]) {
            oldest = static_cast<int32_t>(channel);
        }
    }
    if (playing < m_samples[id].cap) {
        return -1;
    }
    Mix_HaltChannel(oldest);
    return oldest;
}

int32_t CSoundBass::CountPlaying(int32_t id) const {
    int32_t playing = 0;
    for (size_t channel = 0; channel < m_channelOwner.size(); ++channel) {
        if (m_channelOwner[channel] == id && Mix_Playing(static_cast<int>(channel)) != 0) {
            ++playing;
        }
    }
    return playing;
}

const Mix_Chunk* CSoundBass::GetSampleChunk(int32_t id) const {
    return IsSampleLoaded(id) ? m_samples[id].chunk : nullptr;
}

bool CSoundBass::IsSampleLoaded(int32_t id) const {
    return id >= 0 && id < kMaxSamples && m_samples[id].used;
}

void CSoundBass::Sfx_Delete(int32_t id) {
    if (id == -1) {
        return;
    }
    if (id >= kMaxSamples) {
        CLog::Get().Write("CSoundBass::Sfx_Delete FAILED sound id to big, max id is %d", kMaxSamples - 1);
        return;
    }
    if (id < 0 || !m_samples[id].used) {
        return;
    }
    if (m_samples[id].chunk != nullptr) {
        Mix_FreeChunk(m_samples[id].chunk);   // stops its channels first
    }
    for (int32_t& owner : m_channelOwner) {
        if (owner == id) {
            owner = -1;
        }
    }
    m_samples[id] = SampleSlot{};
}

void CSoundBass::SetMusicVolume(int32_t volume) {
    m_musicVolume = ClampVolume(volume);
    if (m_opened) {
        Mix_VolumeMusic(MixerVolume(m_musicVolume));
    }
}

void CSoundBass::SetSampleVolume(int32_t volume) {
    m_sampleVolume = ClampVolume(volume);
    if (m_opened) {
        Mix_Volume(-1, MixerVolume(m_sampleVolume));
    }
}

void CSoundBass::Pause() {
    if (m_opened) {
        Mix_Pause(-1);
        Mix_PauseMusic();
    }
}

void CSoundBass::Resume() {
    if (m_opened) {
        Mix_Resume(-1);
        Mix_ResumeMusic();
    }
}

void StartMenuMusic() {
    CSoundBass& sound = CSoundBass::Get();
    if (sound.IsMusicLoaded()) {
        return;
    }
    for (const char* name : {"i01.mo3", "i01.xm"}) {
        if (CFileManager::Get().Exists(name) && sound.Mod_Load(name)) {
            sound.Mod_Play();
            return;
        }
    }
}

CSound::~CSound() {
    Free();
}

void CSound::Load(const std::string& name, int32_t playbacks) {
    Free();
    CSoundBass::Get().Sfx_Add(m_id, name, playbacks);
}

int32_t CSound::Play() const {
    return CSoundBass::Get().Sfx_Play(m_id);
}

void CSound::Free() {
    if (m_id != -1 && !g_soundBassGone) {
        CSoundBass::Get().Sfx_Delete(m_id);
    }
    m_id = -1;
}
