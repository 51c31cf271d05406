// Every text of both tables, byte for byte (Windows-1252, trailing spaces included), as the
// two tables give them and as CLanguage hands them out.
#include "tests/profile/ProfileFixture.h"

#include "profile/Language.h"
#include "profile/TextTable.h"

#include <string>

namespace {

using CTextTableTest = CProfileTest;

struct TextRow {
    const char* id;
    const char* (CTextTable::*getter)() const;
    const char* english;
    const char* swedish;
};

const TextRow kTexts[] = {
    {"TxtGameWasSaved", &CTextTable::TxtGameWasSaved, "Your last game was saved.", "Ditt sista spel sparades."},
    {"TxtIfYouDontContinue", &CTextTable::TxtIfYouDontContinue, "If you don't continue now,", "Om du inte forts\xE4tter"},
    {"TxtItWillBeLost", &CTextTable::TxtItWillBeLost, "it'll be lost.", "p\xE5 det nu, s\xE5 kommer"},
    {"TxtLostLine3", &CTextTable::TxtLostLine3, "", "det att tas bort."},
    {"TxtDoYouWantToContinue", &CTextTable::TxtDoYouWantToContinue, "Do you want to continue?", "Vill du forts\xE4tta?"},
    {"TxtContinue", &CTextTable::TxtContinue, "Continue", "Forts\xE4tt"},
    {"TxtNewGame", &CTextTable::TxtNewGame, "New game", "Starta nytt"},
    {"TxtEnterPlayerName", &CTextTable::TxtEnterPlayerName, "Enter player name", "Skriv in spelarens namn"},
    {"TxtCancel", &CTextTable::TxtCancel, "Cancel", "Avbryt"},
    {"TxtOk", &CTextTable::TxtOk, "OK", "OK"},
    {"TxtHighscoreTitle", &CTextTable::TxtHighscoreTitle, "Highscore", "Topplista"},
    {"TxtClickLeftButton", &CTextTable::TxtClickLeftButton, "Click the left mouse button", "Tryck p\xE5 v\xE4nster musknapp"},
    {"TxtProductName", &CTextTable::TxtProductName, "Pellora", "Pellora"},
    {"TxtLevel", &CTextTable::TxtLevel, "LEVEL ", "BANA "},
    {"TxtPauseGame", &CTextTable::TxtPauseGame, "Pause Game", "Pausa Spelet"},
    {"TxtGoToThe", &CTextTable::TxtGoToThe, "Go to the", "G\xE5 till"},
    {"TxtMainMenu", &CTextTable::TxtMainMenu, "Main menu", "Huvudmenyn"},
    {"TxtExitGame", &CTextTable::TxtExitGame, "Exit Game", "Avsluta Spelet"},
    {"TxtExtraLife", &CTextTable::TxtExtraLife, "EXTRA LIFE", "EXTRALIV"},
    {"TxtChooseDifficulty", &CTextTable::TxtChooseDifficulty, "Choose Level of Difficulty", "V\xE4lj Sv\xE5righetsgrad"},
    {"TxtChildMode", &CTextTable::TxtChildMode, "Child mode", "Barn"},
    {"TxtEasy", &CTextTable::TxtEasy, "Easy", "L\xE4tt"},
    {"TxtNormal", &CTextTable::TxtNormal, "Normal", "Normal"},
    {"TxtHard", &CTextTable::TxtHard, "Hard", "Sv\xE5rt"},
    {"TxtNormalMode", &CTextTable::TxtNormalMode, "Normal mode", "Normal"},
    {"TxtChildModeInfo", &CTextTable::TxtChildModeInfo, "Perfect for kids", "Perfekt f\xF6r barn."},
    {"TxtEasyInfo", &CTextTable::TxtEasyInfo, "A good starting point for first timers", "En bra startpunkt f\xF6r nyb\xF6rjare"},
    {"TxtNormalInfo", &CTextTable::TxtNormalInfo, "Great for people already familiar with the game", "Utm\xE4rkt f\xF6r dig med lite spelvana"},
    {"TxtHardInfo", &CTextTable::TxtHardInfo, "When you want a challenge", "F\xF6r dig som gillar utmaningar"},
    {"TxtNormalModeInfo", &CTextTable::TxtNormalModeInfo, "For advanced players", "F\xF6r erfarna spelare"},
    {"TxtAccuracy", &CTextTable::TxtAccuracy, "Accuracy ", "Tr\xE4" "ffs\xE4kerhet "},
    {"TxtComboPlus", &CTextTable::TxtComboPlus, "Combo +", "Kedja +"},
    {"TxtCombos", &CTextTable::TxtCombos, "Combos ", "Kedjor "},
    {"TxtPaused", &CTextTable::TxtPaused, "PAUSED", "SPELET \xC4R PAUSAT!"},
    {"TxtPressToResume", &CTextTable::TxtPressToResume, "PRESS MOUSE BUTTON TO RESUME GAME", "TRYCK P\xC5 V\xC4NSTER MUSKNAPP F\xD6R ATT FORTS\xC4TTA!"},
    {"TxtLoadGame", &CTextTable::TxtLoadGame, "LOAD GAME", "FORTS\xC4TT P\xC5 SPARAT SPEL"},
    {"TxtLevelBanner", &CTextTable::TxtLevelBanner, "LEVEL ", "BANA "},
    {"TxtWellDone", &CTextTable::TxtWellDone, "WELL DONE", "DU KLARADE BANAN"},
    {"TxtPerfect", &CTextTable::TxtPerfect, "PERFECT", "PERFEKT SIKTAT"},
    {"TxtPerfectBonus", &CTextTable::TxtPerfectBonus, "PERFECT BONUS", "PERFEKT BONUS"},
    {"TxtThatWasClose", &CTextTable::TxtThatWasClose, "THAT WAS CLOSE", "DET VAR N\xC4RA"},
    {"TxtGameOver", &CTextTable::TxtGameOver, "GAME OVER", "GAME OVER"},
    {"TxtGameSaved", &CTextTable::TxtGameSaved, "GAME SAVED", "SPELET \xC4R SPARAT"},
    {"TxtAllLevelsDone", &CTextTable::TxtAllLevelsDone, "YOU'VE COMPLETED ALL THE LEVELS", "DU KLARADE ALLA BANORNA!"},
    {"TxtPlay", &CTextTable::TxtPlay, "Play", "Spela"},
    {"TxtChangePlayer", &CTextTable::TxtChangePlayer, "Change player", "V\xE4lj spelare"},
    {"TxtHighscore", &CTextTable::TxtHighscore, "Highscore", "Topplistan"},
    {"TxtGameOptions", &CTextTable::TxtGameOptions, "Game Options", "Inst\xE4llningar"},
    {"TxtExitGameMenu", &CTextTable::TxtExitGameMenu, "Exit game", "Avsluta"},
    {"TxtCurrentPlayer", &CTextTable::TxtCurrentPlayer, "Current Player", "Aktuell spelare"},
    {"TxtChildModeOn", &CTextTable::TxtChildModeOn, "Child mode ON", "Barnversion P\xC5"},
    {"TxtChildModeOff", &CTextTable::TxtChildModeOff, "Child mode OFF", "Barnversion AV"},
    {"TxtGoBack", &CTextTable::TxtGoBack, "Go back", "G\xE5 tillbaka"},
    {"TxtHostAServer", &CTextTable::TxtHostAServer, "Host a server", "Starta en server"},
    {"TxtJoinAServer", &CTextTable::TxtJoinAServer, "Join a server", "Anslut till en server"},
    {"TxtHostAServerInfo", &CTextTable::TxtHostAServerInfo, "Start a game that your friend can join", "Starta ett spel som din v\xE4n kan ansluta till"},
    {"TxtJoinAServerInfo", &CTextTable::TxtJoinAServerInfo, "Connect to your friends game", "Anslut till din v\xE4ns spel"},
    {"TxtOptions", &CTextTable::TxtOptions, "Options", "Inst\xE4llningar"},
    {"TxtSoundVolume", &CTextTable::TxtSoundVolume, "Sound Volume", "Ljudvolym"},
    {"TxtMusicVolume", &CTextTable::TxtMusicVolume, "Music Volume", "Musikvolym"},
    {"TxtSelectPlayer", &CTextTable::TxtSelectPlayer, "Select player", "V\xE4lj spelare"},
    {"TxtAddPlayer", &CTextTable::TxtAddPlayer, "Add player", "L\xE4gg till ny"},
    {"TxtBonus", &CTextTable::TxtBonus, "Bonus ", "Bonus "},
    {"TxtNotice", &CTextTable::TxtNotice, "Aim, match three, clear the field!", "Sikta, matcha tre, rensa planen!"},
    {"TxtEditorNotice", &CTextTable::TxtEditorNotice, "Press E to open the level editor", "Tryck E f\xF6r att \xF6ppna baneditorn"},
    {"TxtLanguage", &CTextTable::TxtLanguage, "Language", "Spr\xE5k"},
    {"TxtEnglish", &CTextTable::TxtEnglish, "English", "English"},
    {"TxtSwedish", &CTextTable::TxtSwedish, "Svenska", "Svenska"},
    {"TxtPlayersFull", &CTextTable::TxtPlayersFull, "Nine players: the list is full", "Nio spelare: listan \xE4r full"},
    {"TxtDeletePlayerQuestion", &CTextTable::TxtDeletePlayerQuestion, "Delete this player?", "Ta bort spelaren?"},
    {"TxtDeletePlayerSaves", &CTextTable::TxtDeletePlayerSaves, "Their saved game is deleted too.", "Spelarens sparade spel tas ocks\xE5 bort."},
    {"TxtYes", &CTextTable::TxtYes, "Yes", "Ja"},
    {"TxtNo", &CTextTable::TxtNo, "No", "Nej"},
    {"TxtReplaceSavedGame", &CTextTable::TxtReplaceSavedGame, "This replaces your saved game.", "Ditt sparade spel ers\xE4tts."},
    {"TxtPlayOnQuestion", &CTextTable::TxtPlayOnQuestion, "Play on from this level?", "Spela vidare fr\xE5n banan?"},
    {"TxtUnsavedChanges", &CTextTable::TxtUnsavedChanges, "The level has unsaved changes.", "Banan har osparade \xE4ndringar."},
    {"TxtSaveThem", &CTextTable::TxtSaveThem, "Save them?", "Spara dem?"},
    {"TxtSave", &CTextTable::TxtSave, "Save", "Spara"},
    {"TxtDiscard", &CTextTable::TxtDiscard, "Discard", "Sl\xE4ng"},
    {"TxtUnsavedMark", &CTextTable::TxtUnsavedMark, "* Unsaved", "* Ej sparad"},
    {"TxtEditorNew", &CTextTable::TxtEditorNew, "New", "Ny"},
    {"TxtEditorClear", &CTextTable::TxtEditorClear, "Clear", "T\xF6m"},
    {"TxtEditorMoveUp", &CTextTable::TxtEditorMoveUp, "Move up", "Flytta upp"},
    {"TxtEditorMoveDown", &CTextTable::TxtEditorMoveDown, "Move down", "Flytta ner"},
    {"TxtEditorMainMenu", &CTextTable::TxtEditorMainMenu, "Main Menu", "Huvudmeny"},
    {"TxtEditorPlay", &CTextTable::TxtEditorPlay, "Play", "Testa"},
    {"TxtEditorPlayCont", &CTextTable::TxtEditorPlayCont, "Play Cont.", "Spela vidare"},
    {"TxtEditorKeys", &CTextTable::TxtEditorKeys, "Keys", "Tangenter"},
    {"TxtEditorRows", &CTextTable::TxtEditorRows, "rows", "rader"},
    {"TxtNameHint", &CTextTable::TxtNameHint, "Type a name first", "Skriv ett namn f\xF6rst"},
    // The network match's screens.
    {"TxtYourAddresses", &CTextTable::TxtYourAddresses, "Your addresses", "Dina adresser"},
    {"TxtNetPort", &CTextTable::TxtNetPort, "Port ", "Port "},
    {"TxtPortHint", &CTextTable::TxtPortHint, "Type digits for another port", "Skriv siffror f\xF6r annan port"},
    {"TxtRoundLength", &CTextTable::TxtRoundLength, "Round length: ", "Omg\xE5ngens l\xE4ngd: "},
    {"TxtMinutesShort", &CTextTable::TxtMinutesShort, " min", " min"},
    {"TxtRoundsToWin", &CTextTable::TxtRoundsToWin, "Rounds to win: ", "Omg\xE5ngar att vinna: "},
    {"TxtStart", &CTextTable::TxtStart, "Start", "Starta"},
    {"TxtWaitingForPlayer", &CTextTable::TxtWaitingForPlayer, "Waiting for a player to join ...", "V\xE4ntar p\xE5 en spelare ..."},
    {"TxtHostAddress", &CTextTable::TxtHostAddress, "The host's address", "V\xE4rdens adress"},
    {"TxtAddressHint", &CTextTable::TxtAddressHint, "Add :port for another port", "L\xE4gg till :port f\xF6r annan port"},
    {"TxtConnect", &CTextTable::TxtConnect, "Connect", "Anslut"},
    {"TxtLookingUp", &CTextTable::TxtLookingUp, "Looking up the name ...", "Sl\xE5r upp namnet ..."},
    {"TxtConnecting", &CTextTable::TxtConnecting, "Connecting ...", "Ansluter ..."},
    {"TxtNetAddressNeeded", &CTextTable::TxtNetAddressNeeded, "Type an address first", "Skriv en adress f\xF6rst"},
    {"TxtNetBadAddress", &CTextTable::TxtNetBadAddress, "That is not an address", "Det d\xE4r \xE4r ingen adress"},
    {"TxtNetNoIPv6", &CTextTable::TxtNetNoIPv6, "IPv6 does not work; use IPv4", "IPv6 g\xE5r inte, anv\xE4nd IPv4"},
    {"TxtNetBadPort", &CTextTable::TxtNetBadPort, "A port is 1 to 65535", "En port \xE4r 1 till 65535"},
    {"TxtNetNameNotFound", &CTextTable::TxtNetNameNotFound, "No computer has that name", "Ingen dator har det namnet"},
    {"TxtNetNoAnswer", &CTextTable::TxtNetNoAnswer, "The host did not answer", "V\xE4rden svarade inte"},
    {"TxtNetOtherVersion", &CTextTable::TxtNetOtherVersion, "That game is another version", "Det spelet \xE4r en annan version"},
    {"TxtNetHostBusy", &CTextTable::TxtNetHostBusy, "The host is already playing", "V\xE4rden spelar redan"},
    {"TxtNetRefused", &CTextTable::TxtNetRefused, "The other game refused us", "Det andra spelet nekade oss"},
    {"TxtNetCouldNotListen", &CTextTable::TxtNetCouldNotListen, "That port could not be opened", "Porten kunde inte \xF6ppnas"},
    {"TxtNetConnectionBroken", &CTextTable::TxtNetConnectionBroken, "The connection broke down", "F\xF6rbindelsen br\xF6ts"},
    {"TxtNetOpponentSilent", &CTextTable::TxtNetOpponentSilent, "Your opponent stopped answering", "Din motst\xE5ndare slutade svara"},
    {"TxtNetOpponentLeft", &CTextTable::TxtNetOpponentLeft, "Your opponent left", "Din motst\xE5ndare l\xE4mnade matchen"},
    {"TxtNetOutOfStep", &CTextTable::TxtNetOutOfStep, "The two games went out of step", "De tv\xE5 spelen kom ur takt"},
    {"TxtNetOpponentBroke", &CTextTable::TxtNetOpponentBroke, "The other game sent faulty data",
     "Det andra spelet skickade felaktiga data"},
    {"TxtNetReplayKept", &CTextTable::TxtNetReplayKept, "A replay of both fields was kept", "En repris av b\xE5" "da spelplanerna sparades"},
    {"TxtNetWaitingFor", &CTextTable::TxtNetWaitingFor, "Waiting for %s", "V\xE4ntar p\xE5 %s"},
    {"TxtNetWaitingSeconds", &CTextTable::TxtNetWaitingSeconds, "Waiting for %s: %d s", "V\xE4ntar p\xE5 %s: %d s"},
    {"TxtNetYouLost", &CTextTable::TxtNetYouLost, "YOU LOSE THE MATCH", "DU F\xD6RLORADE MATCHEN"},
};

TEST_F(CTextTableTest, EveryTextInBothLanguages) {
    const CEnglishTexts english;
    const CSwedishTexts swedish;
    CLanguage& language = CLanguage::Get();
    for (const TextRow& row : kTexts) {
        SCOPED_TRACE(row.id);
        // Compared as byte strings, so a lost trailing space or a letter in another code
        // page shows.
        EXPECT_EQ(std::string((english.*row.getter)()), std::string(row.english));
        EXPECT_EQ(std::string((swedish.*row.getter)()), std::string(row.swedish));
        EXPECT_EQ(std::string((language.*row.getter)()), std::string(row.english));  // none chosen yet
    }
    language.SetLanguage(kLanguageSwedish);
    for (const TextRow& row : kTexts) {
        EXPECT_EQ(std::string((language.*row.getter)()), std::string(row.swedish)) << row.id;
    }
    language.SetLanguage(kLanguageEnglish);
    for (const TextRow& row : kTexts) {
        EXPECT_EQ(std::string((language.*row.getter)()), std::string(row.english)) << row.id;
    }
}

TEST_F(CTextTableTest, SwedishLettersAreSingleBytes) {
    const CSwedishTexts swedish;
    const std::string paused = swedish.TxtPaused();
    ASSERT_EQ(paused.size(), 17u);
    EXPECT_EQ(static_cast<uint8_t>(paused[7]), 0xC4);  // Ä
    const std::string choose = swedish.TxtChooseDifficulty();
    EXPECT_EQ(static_cast<uint8_t>(choose[1]), 0xE4);  // ä
    EXPECT_EQ(static_cast<uint8_t>(choose[7]), 0xE5);  // å
    const std::string resume = swedish.TxtPressToResume();
    EXPECT_EQ(static_cast<uint8_t>(resume[7]), 0xC5);  // Å
    EXPECT_EQ(static_cast<uint8_t>(resume[27]), 0xD6);  // Ö
    const std::string easy = swedish.TxtEasyInfo();
    EXPECT_NE(easy.find('\xF6'), std::string::npos);  // ö
}

TEST_F(CTextTableTest, SameTextsStaySeparateIds) {
    const CEnglishTexts english;
    EXPECT_STREQ(english.TxtLostLine3(), "");
    EXPECT_STREQ(english.TxtLevel(), english.TxtLevelBanner());
    EXPECT_STREQ(english.TxtHighscore(), english.TxtHighscoreTitle());
    const CSwedishTexts swedish;
    EXPECT_STRNE(swedish.TxtHighscore(), swedish.TxtHighscoreTitle());
}

}  // namespace
