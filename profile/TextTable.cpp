#include "profile/TextTable.h"

const char* CEnglishTexts::TxtGameWasSaved() const { return "Your last game was saved."; }
const char* CEnglishTexts::TxtIfYouDontContinue() const { return "If you don't continue now,"; }
const char* CEnglishTexts::TxtItWillBeLost() const { return "it'll be lost."; }
const char* CEnglishTexts::TxtLostLine3() const { return ""; }
const char* CEnglishTexts::TxtDoYouWantToContinue() const { return "Do you want to continue?"; }
const char* CEnglishTexts::TxtContinue() const { return "Continue"; }
const char* CEnglishTexts::TxtNewGame() const { return "New game"; }
const char* CEnglishTexts::TxtEnterPlayerName() const { return "Enter player name"; }
const char* CEnglishTexts::TxtCancel() const { return "Cancel"; }
const char* CEnglishTexts::TxtOk() const { return "OK"; }
const char* CEnglishTexts::TxtHighscoreTitle() const { return "Highscore"; }
const char* CEnglishTexts::TxtClickLeftButton() const { return "Click the left mouse button"; }
const char* CEnglishTexts::TxtProductName() const { return "Pellora"; }
const char* CEnglishTexts::TxtLevel() const { return "LEVEL "; }
const char* CEnglishTexts::TxtPauseGame() const { return "Pause Game"; }
const char* CEnglishTexts::TxtGoToThe() const { return "Go to the"; }
const char* CEnglishTexts::TxtMainMenu() const { return "Main menu"; }
const char* CEnglishTexts::TxtExitGame() const { return "Exit Game"; }
const char* CEnglishTexts::TxtExtraLife() const { return "EXTRA LIFE"; }
const char* CEnglishTexts::TxtChooseDifficulty() const { return "Choose Level of Difficulty"; }
const char* CEnglishTexts::TxtChildMode() const { return "Child mode"; }
const char* CEnglishTexts::TxtEasy() const { return "Easy"; }
const char* CEnglishTexts::TxtNormal() const { return "Normal"; }
const char* CEnglishTexts::TxtHard() const { return "Hard"; }
const char* CEnglishTexts::TxtNormalMode() const { return "Normal mode"; }
const char* CEnglishTexts::TxtChildModeInfo() const { return "Perfect for kids"; }
const char* CEnglishTexts::TxtEasyInfo() const { return "A good starting point for first timers"; }
const char* CEnglishTexts::TxtNormalInfo() const { return "Great for people already familiar with the game"; }
const char* CEnglishTexts::TxtHardInfo() const { return "When you want a challenge"; }
const char* CEnglishTexts::TxtNormalModeInfo() const { return "For advanced players"; }
const char* CEnglishTexts::TxtAccuracy() const { return "Accuracy "; }
const char* CEnglishTexts::TxtComboPlus() const { return "Combo +"; }
const char* CEnglishTexts::TxtCombos() const { return "Combos "; }
const char* CEnglishTexts::TxtPaused() const { return "PAUSED"; }
const char* CEnglishTexts::TxtPressToResume() const { return "PRESS MOUSE BUTTON TO RESUME GAME"; }
const char* CEnglishTexts::TxtLoadGame() const { return "LOAD GAME"; }
const char* CEnglishTexts::TxtLevelBanner() const { return "LEVEL "; }
const char* CEnglishTexts::TxtWellDone() const { return "WELL DONE"; }
const char* CEnglishTexts::TxtPerfect() const { return "PERFECT"; }
const char* CEnglishTexts::TxtPerfectBonus() const { return "PERFECT BONUS"; }
const char* CEnglishTexts::TxtThatWasClose() const { return "THAT WAS CLOSE"; }
const char* CEnglishTexts::TxtGameOver() const { return "GAME OVER"; }
const char* CEnglishTexts::TxtGameSaved() const { return "GAME SAVED"; }
const char* CEnglishTexts::TxtAllLevelsDone() const { return "YOU'VE COMPLETED ALL THE LEVELS"; }
const char* CEnglishTexts::TxtPlay() const { return "Play"; }
const char* CEnglishTexts::TxtChangePlayer() const { return "Change player"; }
const char* CEnglishTexts::TxtHighscore() const { return "Highscore"; }
const char* CEnglishTexts::TxtGameOptions() const { return "Game Options"; }
const char* CEnglishTexts::TxtExitGameMenu() const { return "Exit game"; }
const char* CEnglishTexts::TxtCurrentPlayer() const { return "Current Player"; }
const char* CEnglishTexts::TxtChildModeOn() const { return "Child mode ON"; }
const char* CEnglishTexts::TxtChildModeOff() const { return "Child mode OFF"; }
const char* CEnglishTexts::TxtGoBack() const { return "Go back"; }
const char* CEnglishTexts::TxtHostAServer() const { return "Host a server"; }
const char* CEnglishTexts::TxtJoinAServer() const { return "Join a server"; }
const char* CEnglishTexts::TxtHostAServerInfo() const { return "Start a game that your friend can join"; }
const char* CEnglishTexts::TxtJoinAServerInfo() const { return "Connect to your friends game"; }
const char* CEnglishTexts::TxtOptions() const { return "Options"; }
const char* CEnglishTexts::TxtSoundVolume() const { return "Sound Volume"; }
const char* CEnglishTexts::TxtMusicVolume() const { return "Music Volume"; }
const char* CEnglishTexts::TxtSelectPlayer() const { return "Select player"; }
const char* CEnglishTexts::TxtAddPlayer() const { return "Add player"; }
const char* CEnglishTexts::TxtBonus() const { return "Bonus "; }
const char* CEnglishTexts::TxtNotice() const { return "Aim, match three, clear the field!"; }
const char* CEnglishTexts::TxtEditorNotice() const { return "Press E to open the level editor"; }

const char* CSwedishTexts::TxtGameWasSaved() const { return "Ditt sista spel sparades."; }
const char* CSwedishTexts::TxtIfYouDontContinue() const { return "Om du inte forts\xE4tter"; }
const char* CSwedishTexts::TxtItWillBeLost() const { return "p\xE5 det nu, s\xE5 kommer"; }
const char* CSwedishTexts::TxtLostLine3() const { return "det att tas bort."; }
const char* CSwedishTexts::TxtDoYouWantToContinue() const { return "Vill du forts\xE4tta?"; }
const char* CSwedishTexts::TxtContinue() const { return "Forts\xE4tt"; }
const char* CSwedishTexts::TxtNewGame() const { return "Starta nytt"; }
const char* CSwedishTexts::TxtEnterPlayerName() const { return "Skriv in spelarens namn"; }
const char* CSwedishTexts::TxtCancel() const { return "Avbryt"; }
const char* CSwedishTexts::TxtOk() const { return "OK"; }
const char* CSwedishTexts::TxtHighscoreTitle() const { return "Topplista"; }
const char* CSwedishTexts::TxtClickLeftButton() const { return "Tryck p\xE5 v\xE4nster musknapp"; }
const char* CSwedishTexts::TxtProductName() const { return "Pellora"; }
const char* CSwedishTexts::TxtLevel() const { return "BANA "; }
const char* CSwedishTexts::TxtPauseGame() const { return "Pausa Spelet"; }
const char* CSwedishTexts::TxtGoToThe() const { return "G\xE5 till"; }
const char* CSwedishTexts::TxtMainMenu() const { return "Huvudmenyn"; }
const char* CSwedishTexts::TxtExitGame() const { return "Avsluta Spelet"; }
const char* CSwedishTexts::TxtExtraLife() const { return "EXTRALIV"; }
const char* CSwedishTexts::TxtChooseDifficulty() const { return "V\xE4lj Sv\xE5righetsgrad"; }
const char* CSwedishTexts::TxtChildMode() const { return "Barn"; }
const char* CSwedishTexts::TxtEasy() const { return "L\xE4tt"; }
const char* CSwedishTexts::TxtNormal() const { return "Normal"; }
const char* CSwedishTexts::TxtHard() const { return "Sv\xE5rt"; }
const char* CSwedishTexts::TxtNormalMode() const { return "Normal"; }
const char* CSwedishTexts::TxtChildModeInfo() const { return "Perfekt f\xF6r barn."; }
const char* CSwedishTexts::TxtEasyInfo() const { return "En bra startpunkt f\xF6r nyb\xF6rjare"; }
const char* CSwedishTexts::TxtNormalInfo() const { return "Utm\xE4rkt f\xF6r dig med lite spelvana"; }
const char* CSwedishTexts::TxtHardInfo() const { return "F\xF6r dig som gillar utmaningar"; }
const char* CSwedishTexts::TxtNormalModeInfo() const { return "F\xF6r erfarna spelare"; }
const char* CSwedishTexts::TxtAccuracy() const { return "Tr\xE4" "ffs\xE4kerhet "; }
const char* CSwedishTexts::TxtComboPlus() const { return "Combo +"; }
const char* CSwedishTexts::TxtCombos() const { return "Combos "; }
const char* CSwedishTexts::TxtPaused() const { return "SPELET \xC4R PAUSAT!"; }
const char* CSwedishTexts::TxtPressToResume() const { return "TRYCK P\xC5 V\xC4NSTER MUSKNAPP F\xD6R ATT FORTS\xC4TTA!"; }
const char* CSwedishTexts::TxtLoadGame() const { return "FORTS\xC4TT P\xC5 SPARAT SPEL"; }
const char* CSwedishTexts::TxtLevelBanner() const { return "BANA "; }
const char* CSwedishTexts::TxtWellDone() const { return "DU KLARADE BANAN"; }
const char* CSwedishTexts::TxtPerfect() const { return "PERFEKT SIKTAT"; }
const char* CSwedishTexts::TxtPerfectBonus() const { return "PERFEKT BONUS"; }
const char* CSwedishTexts::TxtThatWasClose() const { return "DET VAR N\xC4RA"; }
const char* CSwedishTexts::TxtGameOver() const { return "GAME OVER"; }
const char* CSwedishTexts::TxtGameSaved() const { return "SPELET \xC4R SPARAT"; }
const char* CSwedishTexts::TxtAllLevelsDone() const { return "DU KLARADE ALLA BANORNA!"; }
const char* CSwedishTexts::TxtPlay() const { return "Spela"; }
const char* CSwedishTexts::TxtChangePlayer() const { return "V\xE4lj spelare"; }
const char* CSwedishTexts::TxtHighscore() const { return "Topplistan"; }
const char* CSwedishTexts::TxtGameOptions() const { return "Inst\xE4llningar"; }
const char* CSwedishTexts::TxtExitGameMenu() const { return "Avsluta"; }
const char* CSwedishTexts::TxtCurrentPlayer() const { return "Aktuell spelare"; }
const char* CSwedishTexts::TxtChildModeOn() const { return "Barnversion P\xC5"; }
const char* CSwedishTexts::TxtChildModeOff() const { return "Barnversion AV"; }
const char* CSwedishTexts::TxtGoBack() const { return "G\xE5 tillbaka"; }
const char* CSwedishTexts::TxtHostAServer() const { return "Starta en server"; }
const char* CSwedishTexts::TxtJoinAServer() const { return "Anslut till en server"; }
const char* CSwedishTexts::TxtHostAServerInfo() const { return "Starta ett spel som din v\xE4n kan ansluta till"; }
const char* CSwedishTexts::TxtJoinAServerInfo() const { return "Anslut till din v\xE4ns spel"; }
const char* CSwedishTexts::TxtOptions() const { return "Inst\xE4llningar"; }
const char* CSwedishTexts::TxtSoundVolume() const { return "Ljudvolym"; }
const char* CSwedishTexts::TxtMusicVolume() const { return "Musikvolym"; }
const char* CSwedishTexts::TxtSelectPlayer() const { return "V\xE4lj spelare"; }
const char* CSwedishTexts::TxtAddPlayer() const { return "L\xE4gg till ny"; }
const char* CSwedishTexts::TxtBonus() const { return "Bonus "; }
const char* CSwedishTexts::TxtNotice() const { return "Sikta, matcha tre, rensa planen!"; }
const char* CSwedishTexts::TxtEditorNotice() const { return "Tryck E f\xF6r att \xF6ppna baneditorn"; }
