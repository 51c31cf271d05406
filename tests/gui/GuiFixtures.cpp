#include "GuiFixtures.h"

#include "game/Board.h"
#include "game/GameSounds.h"
#include "gui/Game.h"
#include "platform/Font.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "resources/LittleEndian.h"

namespace {
int32_t g_pointerX = 0;
int32_t g_pointerY = 0;
int32_t g_hoverSounds = 0;
int32_t g_executeSounds = 0;
int32_t g_soundCounts[kGameSoundCount] = {};

void ReadPointer(int32_t& x, int32_t& y) {
    x = g_pointerX;
    y = g_pointerY;
}

void MovePointer(float x, float y) {
    g_pointerX = static_cast<int32_t>(x);
    g_pointerY = static_cast<int32_t>(y);
}

void CountSound(EGameSound sound, void*) {
    if (sound >= EGameSound{} && sound < EGameSound::Count) {
        ++g_soundCounts[static_cast<int32_t>(sound)];
    }
    if (sound == EGameSound::MenuMouseOverItem) {
        ++g_hoverSounds;
    } else if (sound == EGameSound::MenuExecuteItem) {
        ++g_executeSounds;
    }
}
}  // namespace

void CGuiTest::SetUp() {
    CFileManager& files = CFileManager::Get();
    files.UnmountAll();
    files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
    CFont::InitProgramFonts();
    ASSERT_TRUE(CFont::Main().IsLoaded());
    CInput::Get().Create();
    CInput::Get().ReleaseAll();
    CMouseCursor& cursor = CMouseCursor::Get();
    cursor.SetPointerFunctions(&ReadPointer, &MovePointer);
    cursor.SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    g_pointerX = 1;
    g_pointerY = 1;
    cursor.Update(kStep);
    g_hoverSounds = 0;
    g_executeSounds = 0;
    for (int32_t& count : g_soundCounts) {
        count = 0;
    }
    SetGameSoundHandler(&CountSound, nullptr);
}

void CGuiTest::TearDown() {
    SetGameSoundHandler(nullptr, nullptr);
    CInput::Get().ReleaseAll();
    CInput::Get().Destroy();
    CMouseCursor::Get().SetPointerFunctions(nullptr, nullptr);
    CFileManager::Get().UnmountAll();
}

void CGuiTest::PointAt(int32_t x, int32_t y) {
    g_pointerX = x;
    g_pointerY = y;
}

void CGuiTest::HoldButton(bool held) {
    CInput::Get().SetButtonHeld(kMouseLeft, held);
}

void CGuiTest::HoldKey(uint8_t key, bool held) {
    CInput::Get().SetKeyHeld(key, held);
}

int32_t CGuiTest::HoverSounds() {
    return g_hoverSounds;
}

int32_t CGuiTest::ExecuteSounds() {
    return g_executeSounds;
}

int32_t CGuiTest::SoundCount(EGameSound sound) {
    return g_soundCounts[static_cast<int32_t>(sound)];
}

void CScreenTest::SetUp() {
    CGuiTest::SetUp();
    ASSERT_FALSE(m_folder.Path().empty());
    CFileManager& files = CFileManager::Get();
    files.UnmountAll();
    files.MountFileSystem(m_folder.Path());
    files.MountFileSystem(PELLORA_DATA_DIR "/gfx.nuf");
    ClearPlayers();
}

void CScreenTest::TearDown() {
    ClearPlayers();
    CGuiTest::TearDown();
}

Bytes TopRowLevel() {
    Bytes bytes(1040, 0xFF);
    for (int32_t column = 0; column < kBoardColumns; ++column) {
        WriteLe32(&bytes[static_cast<size_t>(column) * 8], 0);
        WriteLe32(&bytes[static_cast<size_t>(column) * 8 + 4], 0);
    }
    return bytes;
}

CEngineState* CreateGameOnly(int32_t stateId) {
    return stateId == kStateGame ? new CGame() : nullptr;
}
