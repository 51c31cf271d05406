#pragma once
// The language choice: one process-wide CLanguage remembers the chosen language in
// "language.dat" (4 bytes, little-endian) in the data folder and hands out the texts of
// the chosen table. Until a language is chosen the English texts are given.
#include "profile/TextTable.h"

#include <cstdint>

enum ELanguage : uint32_t {
    kLanguageNone = 0,      // not chosen yet: the language screen asks
    kLanguageEnglish = 1,
    kLanguageSwedish = 2,
};

class CLanguage final : public CTextTable {
public:
    static CLanguage& Get();

    // 0 until a language is chosen; any other stored value is kept as it was read.
    uint32_t GetLanguage() const { return m_language; }
    // Remembers id, takes the Swedish table for 2 and the English one otherwise, and
    // writes "language.dat".
    void SetLanguage(uint32_t id);
    // Writes "language.dat"; false (and logged) when it cannot be written.
    bool Save();
    // Starts from no language chosen, then reads "language.dat" and sets the language read
    // (which writes the file again). False when the file is missing, short or unreadable.
    bool Load();

    // The table in use (English while no language is chosen).
    const CTextTable& Current() const;

    const char* TxtGameWasSaved() const override { return Current().TxtGameWasSaved(); }
    const char* TxtIfYouDontContinue() const override { return Current().TxtIfYouDontContinue(); }
    const char* TxtItWillBeLost() const override { return Current().TxtItWillBeLost(); }
    const char* TxtLostLine3() const override { return Current().TxtLostLine3(); }
    const char* TxtDoYouWantToContinue() const override { return Current().TxtDoYouWantToContinue(); }
    const char* TxtContinue() const override { return Current().TxtContinue(); }
    const char* TxtNewGame() const override { return Current().TxtNewGame(); }
    const char* TxtEnterPlayerName() const override { return Current().TxtEnterPlayerName(); }
    const char* TxtCancel() const override { return Current().TxtCancel(); }
    const char* TxtOk() const override { return Current().TxtOk(); }
    const char* TxtHighscoreTitle() const override { return Current().TxtHighscoreTitle(); }
    const char* TxtClickLeftButton() const override { return Current().TxtClickLeftButton(); }
    const char* TxtProductName() const override { return Current().TxtProductName(); }
    const char* TxtLevel() const override { return Current().TxtLevel(); }
    const char* TxtPauseGame() const override { return Current().TxtPauseGame(); }
    const char* TxtGoToThe() const override { return Current().TxtGoToThe(); }
    const char* TxtMainMenu() const override { return Current().TxtMainMenu(); }
    const char* TxtExitGame() const override { return Current().TxtExitGame(); }
    const char* TxtExtraLife() const override { return Current().TxtExtraLife(); }
    const char* TxtChooseDifficulty() const override { return Current().TxtChooseDifficulty(); }
    const char* TxtChildMode() const override { return Current().TxtChildMode(); }
    const char* TxtEasy() const override { return Current().TxtEasy(); }
    const char* TxtNormal() const override { return Current().TxtNormal(); }
    const char* TxtHard() const override { return Current().TxtHard(); }
    const char* TxtNormalMode() const override { return Current().TxtNormalMode(); }
    const char* TxtChildModeInfo() const override { return Current().TxtChildModeInfo(); }
    const char* TxtEasyInfo() const override { return Current().TxtEasyInfo(); }
    const char* TxtNormalInfo() const override { return Current().TxtNormalInfo(); }
    const char* TxtHardInfo() const override { return Current().TxtHardInfo(); }
    const char* TxtNormalModeInfo() const override { return Current().TxtNormalModeInfo(); }
    const char* TxtAccuracy() const override { return Current().TxtAccuracy(); }
    const char* TxtComboPlus() const override { return Current().TxtComboPlus(); }
    const char* TxtCombos() const override { return Current().TxtCombos(); }
    const char* TxtPaused() const override { return Current().TxtPaused(); }
    const char* TxtPressToResume() const override { return Current().TxtPressToResume(); }
    const char* TxtLoadGame() const override { return Current().TxtLoadGame(); }
    const char* TxtLevelBanner() const override { return Current().TxtLevelBanner(); }
    const char* TxtWellDone() const override { return Current().TxtWellDone(); }
    const char* TxtPerfect() const override { return Current().TxtPerfect(); }
    const char* TxtPerfectBonus() const override { return Current().TxtPerfectBonus(); }
    const char* TxtThatWasClose() const override { return Current().TxtThatWasClose(); }
    const char* TxtGameOver() const override { return Current().TxtGameOver(); }
    const char* TxtGameSaved() const override { return Current().TxtGameSaved(); }
    const char* TxtAllLevelsDone() const override { return Current().TxtAllLevelsDone(); }
    const char* TxtPlay() const override { return Current().TxtPlay(); }
    const char* TxtChangePlayer() const override { return Current().TxtChangePlayer(); }
    const char* TxtHighscore() const override { return Current().TxtHighscore(); }
    const char* TxtGameOptions() const override { return Current().TxtGameOptions(); }
    const char* TxtExitGameMenu() const override { return Current().TxtExitGameMenu(); }
    const char* TxtCurrentPlayer() const override { return Current().TxtCurrentPlayer(); }
    const char* TxtChildModeOn() const override { return Current().TxtChildModeOn(); }
    const char* TxtChildModeOff() const override { return Current().TxtChildModeOff(); }
    const char* TxtGoBack() const override { return Current().TxtGoBack(); }
    const char* TxtHostAServer() const override { return Current().TxtHostAServer(); }
    const char* TxtJoinAServer() const override { return Current().TxtJoinAServer(); }
    const char* TxtHostAServerInfo() const override { return Current().TxtHostAServerInfo(); }
    const char* TxtJoinAServerInfo() const override { return Current().TxtJoinAServerInfo(); }
    const char* TxtOptions() const override { return Current().TxtOptions(); }
    const char* TxtSoundVolume() const override { return Current().TxtSoundVolume(); }
    const char* TxtMusicVolume() const override { return Current().TxtMusicVolume(); }
    const char* TxtSelectPlayer() const override { return Current().TxtSelectPlayer(); }
    const char* TxtAddPlayer() const override { return Current().TxtAddPlayer(); }
    const char* TxtBonus() const override { return Current().TxtBonus(); }
    const char* TxtNotice() const override { return Current().TxtNotice(); }
    const char* TxtEditorNotice() const override { return Current().TxtEditorNotice(); }

private:
    CLanguage() = default;
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    uint32_t m_language = kLanguageNone;
    CSwedishTexts m_swedish;
    CEnglishTexts m_english;
    const CTextTable* m_current = nullptr;
};

// Lets the rules' texts (game/GameTexts.h) come from CLanguage's current table.
void InstallLanguageGameTexts();
