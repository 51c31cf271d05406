#include "gui/ScreenFlow.h"

#include "engine/Engine.h"
#include "engine/EngineState.h"
#include "gui/StateNumbers.h"
#include "platform/Sound.h"
#include "profile/Highscore.h"
#include "profile/Players.h"

std::string g_levelFileName = "1.lvl";
int32_t g_difficulty = kDifficultyNormal;
int32_t g_returnScreen = kStateMainMenu;
bool g_highscoreNewEntry = false;
bool g_highscoreFromMenu = false;
bool g_continueSavedGame = false;
int32_t g_levelNumber = 1;
int32_t g_firstLevel = 1;
int32_t g_lastLevel = kNoLastLevel;
bool g_editorTestPlay = false;

void GoToScreen(int32_t stateId) {
    CEngine::Get().SetUpperState(stateId);
    CEngine::Get().SetLowerState(kStateEmpty);
}

void GoToLowerScreen(int32_t stateId) {
    CEngine::Get().SetUpperState(kStateEmpty);
    CEngine::Get().SetLowerState(stateId);
}

void GoToLowerScreen(int32_t stateId, std::unique_ptr<CEngineState> screen) {
    CEngine::Get().SetUpperState(kStateEmpty);
    CEngine::Get().SetLowerState(stateId, std::move(screen));
}

void BackToMainMenu() {
    CEngine::Get().SetLowerState(kStateEmpty);
    CEngine::Get().SetUpperState(kStateMainMenu);
}

void StopMenuMusic() {
    CSoundBass& sound = CSoundBass::Get();
    sound.Mod_Stop();
    sound.Mod_Free();
}

void StartNewGame() {
    g_levelFileName = "1.lvl";
    g_levelNumber = 1;
    g_firstLevel = 1;
    g_lastLevel = kNoLastLevel;
    g_continueSavedGame = false;
    g_editorTestPlay = false;
    StopMenuMusic();
    GoToLowerScreen(kStateGame);
}

void LeaveProgram() {
    CEngine::Get().Quit();
}

void SelectDifficulty(int32_t difficulty) {
    g_difficulty = difficulty;
    CHighscore::Get().SelectFile(HighscoreFileName(difficulty));
}

void ForgetHighscoreRank() {
    CHighscore& highscore = CHighscore::Get();
    if (!highscore.GetFileName().empty()) {
        // Selecting the file again reloads it and forgets the rank.
        highscore.SelectFile(highscore.GetFileName());
    }
}
