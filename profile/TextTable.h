#pragma once
// The text tables: one getter per text, each giving a constant NUL-terminated string in
// Windows-1252 (the Swedish letters are single bytes; the fonts map each byte to the glyph
// of that number). Texts a number or a name is appended to end in a space.
//
// A table reads the words of one language; English and Swedish are two sets of words
// (profile/TextTable.cpp), and CLanguage (profile/Language.h) is the table of the chosen one.

// The words of one language, one field per text, in the getters' order.
struct TextStrings {
    const char* TxtGameWasSaved;
    const char* TxtIfYouDontContinue;
    const char* TxtItWillBeLost;
    const char* TxtLostLine3;
    const char* TxtDoYouWantToContinue;
    const char* TxtContinue;
    const char* TxtNewGame;
    const char* TxtEnterPlayerName;
    const char* TxtCancel;
    const char* TxtOk;
    const char* TxtHighscoreTitle;
    const char* TxtClickLeftButton;
    const char* TxtProductName;
    const char* TxtLevel;
    const char* TxtPauseGame;
    const char* TxtGoToThe;
    const char* TxtMainMenu;
    const char* TxtExitGame;
    const char* TxtExtraLife;
    const char* TxtChooseDifficulty;
    const char* TxtChildMode;
    const char* TxtEasy;
    const char* TxtNormal;
    const char* TxtHard;
    const char* TxtNormalMode;
    const char* TxtChildModeInfo;
    const char* TxtEasyInfo;
    const char* TxtNormalInfo;
    const char* TxtHardInfo;
    const char* TxtNormalModeInfo;
    const char* TxtAccuracy;
    const char* TxtComboPlus;
    const char* TxtCombos;
    const char* TxtPaused;
    const char* TxtPressToResume;
    const char* TxtLoadGame;
    const char* TxtLevelBanner;
    const char* TxtWellDone;
    const char* TxtPerfect;
    const char* TxtPerfectBonus;
    const char* TxtThatWasClose;
    const char* TxtGameOver;
    const char* TxtGameSaved;
    const char* TxtAllLevelsDone;
    const char* TxtPlay;
    const char* TxtChangePlayer;
    const char* TxtHighscore;
    const char* TxtGameOptions;
    const char* TxtExitGameMenu;
    const char* TxtCurrentPlayer;
    const char* TxtChildModeOn;
    const char* TxtChildModeOff;
    const char* TxtGoBack;
    const char* TxtHostAServer;
    const char* TxtJoinAServer;
    const char* TxtHostAServerInfo;
    const char* TxtJoinAServerInfo;
    const char* TxtOptions;
    const char* TxtSoundVolume;
    const char* TxtMusicVolume;
    const char* TxtSelectPlayer;
    const char* TxtAddPlayer;
    const char* TxtBonus;
    const char* TxtNotice;
    const char* TxtEditorNotice;
    const char* TxtSaveFailedGame;
    const char* TxtSaveFailedHighscore;
    const char* TxtSaveFailedPlayers;
    const char* TxtSaveFailedSound;
    const char* TxtSaveFailedLanguage;
    const char* TxtSaveFailedLevel;
    const char* TxtSaveFailedFile;
    const char* TxtReasonNoSpace;
    const char* TxtReasonNoPermission;
    const char* TxtReasonReadOnly;
    const char* TxtReasonUnreadable;
    const char* TxtReasonOtherCopy;
    const char* TxtReasonOther;
    const char* TxtSavedGameUnreadable;
    const char* TxtNewGameStarts;
    const char* TxtEditedLevelUnreadable;
    const char* TxtShippedLevelPlayed;
    const char* TxtEditorLevelUnreadable;
    const char* TxtEditorSaveAgain;
    const char* TxtFolderNotWritable;
    const char* TxtNothingIsKept;
    const char* TxtOtherCopyRunning;
    const char* TxtPlayersUnreadable;
    const char* TxtPlayersKept;
    const char* TxtLanguage;
    const char* TxtEnglish;
    const char* TxtSwedish;
    const char* TxtPlayersFull;
    const char* TxtDeletePlayerQuestion;
    const char* TxtDeletePlayerSaves;
    const char* TxtYes;
    const char* TxtNo;
    const char* TxtReplaceSavedGame;
    const char* TxtPlayOnQuestion;
    const char* TxtUnsavedChanges;
    const char* TxtSaveThem;
    const char* TxtSave;
    const char* TxtDiscard;
    const char* TxtUnsavedMark;
    const char* TxtEditorNew;
    const char* TxtEditorClear;
    const char* TxtEditorMoveUp;
    const char* TxtEditorMoveDown;
    const char* TxtEditorMainMenu;
    const char* TxtEditorPlay;
    const char* TxtEditorPlayCont;
    const char* TxtEditorKeys;
    const char* TxtEditorRows;
    const char* TxtNameHint;
    const char* TxtKeysContinue;
    const char* TxtKeysResume;
    const char* TxtGridSpace;
    const char* TxtGridDelete;
    const char* TxtReplayBanner;
    const char* TxtReplayEnded;
    const char* TxtReplayKeys;
    const char* TxtReplayDiverged;
    const char* TxtReplayUnreadable;
    const char* TxtReplayHint;
    const char* TxtReplays;
    const char* TxtReplaysInfo;
    const char* TxtReplaysEmpty;
    const char* TxtReplayGame;
    const char* TxtReplayVsComputer;
    const char* TxtReplayTwoPlayers;
    const char* TxtReplayNetwork;
    const char* TxtReplayLeft;
    const char* TxtReplayMatchLeft;
    const char* TxtLevelsHeading;
    const char* TxtVersus;
    const char* TxtPlayTheComputer;
    const char* TxtComputerStrength;
    const char* TxtComputer;
    const char* TxtNotYetAvailable;
    const char* TxtRoundBanner;
    const char* TxtRoundWon;
    const char* TxtRoundLost;
    const char* TxtRoundDrawn;
    const char* TxtMatchWon;
    const char* TxtMatchLost;
    const char* TxtMatchDrawn;
    const char* TxtRounds;
    const char* TxtYou;
    const char* TxtYourAddresses;
    const char* TxtNetPort;
    const char* TxtPortHint;
    const char* TxtRoundLength;
    const char* TxtMinutesShort;
    const char* TxtRoundsToWin;
    const char* TxtStart;
    const char* TxtWaitingForPlayer;
    const char* TxtHostAddress;
    const char* TxtAddressHint;
    const char* TxtConnect;
    const char* TxtLookingUp;
    const char* TxtConnecting;
    const char* TxtNetAddressNeeded;
    const char* TxtNetBadAddress;
    const char* TxtNetNoIPv6;
    const char* TxtNetBadPort;
    const char* TxtNetNameNotFound;
    const char* TxtNetNoAnswer;
    const char* TxtNetOtherVersion;
    const char* TxtNetHostBusy;
    const char* TxtNetRefused;
    const char* TxtNetCouldNotListen;
    const char* TxtNetConnectionBroken;
    const char* TxtNetOpponentSilent;
    const char* TxtNetOpponentLeft;
    const char* TxtNetOutOfStep;
    const char* TxtNetOpponentBroke;
    const char* TxtNetReplayKept;
    const char* TxtNetWaitingFor;
    const char* TxtNetWaitingSeconds;
    const char* TxtNetYouLost;
    const char* TxtTwoPlayers;
    const char* TxtDeviceLeftKeys;
    const char* TxtDeviceRightKeys;
    const char* TxtDeviceMouse;
    const char* TxtDevicePad;
    const char* TxtPlayerNumber;
    const char* TxtPressFireToJoin;
    const char* TxtFireWhenReady;
    const char* TxtReady;
    const char* TxtGuest;
    const char* TxtNameKeysHint;
    const char* TxtRuleKeysHint;
    const char* TxtEndMatchQuestion;
    const char* TxtEndMatchHint;
    const char* TxtDevicePulledOut;
    const char* TxtTakeSide;
    const char* TxtPlayerWinsRound;
    const char* TxtPlayerWinsMatch;
    const char* TxtServerColon;
    const char* TxtServerNone;
    const char* TxtServerNoneSet;
    const char* TxtServerAsking;
    const char* TxtServerMatches;
    const char* TxtServerNoAnswer;
    const char* TxtServerRefusedUs;
    const char* TxtServerIsFull;
    const char* TxtServerFaulty;
    const char* TxtServerListed;
    const char* TxtLanLooking;
    const char* TxtLanCannotLook;
    const char* TxtLocalNetwork;
    const char* TxtOnServer;
    const char* TxtNoMatchesYet;
    const char* TxtOnScreenKeys;
    const char* TxtServerAddress;
    const char* TxtServerAddressHint;
    const char* TxtNetMatchGone;
    const char* TxtNetServerFull;
};

extern const TextStrings kEnglishStrings;
extern const TextStrings kSwedishStrings;

class CTextTable {
public:
    explicit CTextTable(const TextStrings& strings) : m_strings(&strings) {}

    const char* TxtGameWasSaved() const { return m_strings->TxtGameWasSaved; }
    const char* TxtIfYouDontContinue() const { return m_strings->TxtIfYouDontContinue; }
    const char* TxtItWillBeLost() const { return m_strings->TxtItWillBeLost; }
    const char* TxtLostLine3() const { return m_strings->TxtLostLine3; }
    const char* TxtDoYouWantToContinue() const { return m_strings->TxtDoYouWantToContinue; }
    const char* TxtContinue() const { return m_strings->TxtContinue; }
    const char* TxtNewGame() const { return m_strings->TxtNewGame; }
    const char* TxtEnterPlayerName() const { return m_strings->TxtEnterPlayerName; }
    const char* TxtCancel() const { return m_strings->TxtCancel; }
    const char* TxtOk() const { return m_strings->TxtOk; }
    const char* TxtHighscoreTitle() const { return m_strings->TxtHighscoreTitle; }
    const char* TxtClickLeftButton() const { return m_strings->TxtClickLeftButton; }
    const char* TxtProductName() const { return m_strings->TxtProductName; }
    const char* TxtLevel() const { return m_strings->TxtLevel; }
    const char* TxtPauseGame() const { return m_strings->TxtPauseGame; }
    const char* TxtGoToThe() const { return m_strings->TxtGoToThe; }
    const char* TxtMainMenu() const { return m_strings->TxtMainMenu; }
    const char* TxtExitGame() const { return m_strings->TxtExitGame; }
    const char* TxtExtraLife() const { return m_strings->TxtExtraLife; }
    const char* TxtChooseDifficulty() const { return m_strings->TxtChooseDifficulty; }
    const char* TxtChildMode() const { return m_strings->TxtChildMode; }
    const char* TxtEasy() const { return m_strings->TxtEasy; }
    const char* TxtNormal() const { return m_strings->TxtNormal; }
    const char* TxtHard() const { return m_strings->TxtHard; }
    const char* TxtNormalMode() const { return m_strings->TxtNormalMode; }
    const char* TxtChildModeInfo() const { return m_strings->TxtChildModeInfo; }
    const char* TxtEasyInfo() const { return m_strings->TxtEasyInfo; }
    const char* TxtNormalInfo() const { return m_strings->TxtNormalInfo; }
    const char* TxtHardInfo() const { return m_strings->TxtHardInfo; }
    const char* TxtNormalModeInfo() const { return m_strings->TxtNormalModeInfo; }
    const char* TxtAccuracy() const { return m_strings->TxtAccuracy; }
    const char* TxtComboPlus() const { return m_strings->TxtComboPlus; }
    const char* TxtCombos() const { return m_strings->TxtCombos; }
    const char* TxtPaused() const { return m_strings->TxtPaused; }
    const char* TxtPressToResume() const { return m_strings->TxtPressToResume; }
    const char* TxtLoadGame() const { return m_strings->TxtLoadGame; }
    const char* TxtLevelBanner() const { return m_strings->TxtLevelBanner; }
    const char* TxtWellDone() const { return m_strings->TxtWellDone; }
    const char* TxtPerfect() const { return m_strings->TxtPerfect; }
    const char* TxtPerfectBonus() const { return m_strings->TxtPerfectBonus; }
    const char* TxtThatWasClose() const { return m_strings->TxtThatWasClose; }
    const char* TxtGameOver() const { return m_strings->TxtGameOver; }
    const char* TxtGameSaved() const { return m_strings->TxtGameSaved; }
    const char* TxtAllLevelsDone() const { return m_strings->TxtAllLevelsDone; }
    const char* TxtPlay() const { return m_strings->TxtPlay; }
    const char* TxtChangePlayer() const { return m_strings->TxtChangePlayer; }
    const char* TxtHighscore() const { return m_strings->TxtHighscore; }
    const char* TxtGameOptions() const { return m_strings->TxtGameOptions; }
    const char* TxtExitGameMenu() const { return m_strings->TxtExitGameMenu; }
    const char* TxtCurrentPlayer() const { return m_strings->TxtCurrentPlayer; }
    const char* TxtChildModeOn() const { return m_strings->TxtChildModeOn; }
    const char* TxtChildModeOff() const { return m_strings->TxtChildModeOff; }
    const char* TxtGoBack() const { return m_strings->TxtGoBack; }
    const char* TxtHostAServer() const { return m_strings->TxtHostAServer; }
    const char* TxtJoinAServer() const { return m_strings->TxtJoinAServer; }
    const char* TxtHostAServerInfo() const { return m_strings->TxtHostAServerInfo; }
    const char* TxtJoinAServerInfo() const { return m_strings->TxtJoinAServerInfo; }
    const char* TxtOptions() const { return m_strings->TxtOptions; }
    const char* TxtSoundVolume() const { return m_strings->TxtSoundVolume; }
    const char* TxtMusicVolume() const { return m_strings->TxtMusicVolume; }
    const char* TxtSelectPlayer() const { return m_strings->TxtSelectPlayer; }
    const char* TxtAddPlayer() const { return m_strings->TxtAddPlayer; }
    // "Bonus " before the accuracy bonus in the level summary.
    const char* TxtBonus() const { return m_strings->TxtBonus; }
    // The one-line notice at the foot of the main menu.
    const char* TxtNotice() const { return m_strings->TxtNotice; }
    // The notice line of the main menu: how the level editor is opened.
    const char* TxtEditorNotice() const { return m_strings->TxtEditorNotice; }
    // What the player is told about files: a first line saying what happened, a second
    // one the reason or what follows (profile/Notices.h).
    const char* TxtSaveFailedGame() const { return m_strings->TxtSaveFailedGame; }
    const char* TxtSaveFailedHighscore() const { return m_strings->TxtSaveFailedHighscore; }
    const char* TxtSaveFailedPlayers() const { return m_strings->TxtSaveFailedPlayers; }
    const char* TxtSaveFailedSound() const { return m_strings->TxtSaveFailedSound; }
    const char* TxtSaveFailedLanguage() const { return m_strings->TxtSaveFailedLanguage; }
    const char* TxtSaveFailedLevel() const { return m_strings->TxtSaveFailedLevel; }
    const char* TxtSaveFailedFile() const { return m_strings->TxtSaveFailedFile; }
    const char* TxtReasonNoSpace() const { return m_strings->TxtReasonNoSpace; }
    const char* TxtReasonNoPermission() const { return m_strings->TxtReasonNoPermission; }
    const char* TxtReasonReadOnly() const { return m_strings->TxtReasonReadOnly; }
    const char* TxtReasonUnreadable() const { return m_strings->TxtReasonUnreadable; }
    const char* TxtReasonOtherCopy() const { return m_strings->TxtReasonOtherCopy; }
    const char* TxtReasonOther() const { return m_strings->TxtReasonOther; }
    const char* TxtSavedGameUnreadable() const { return m_strings->TxtSavedGameUnreadable; }
    const char* TxtNewGameStarts() const { return m_strings->TxtNewGameStarts; }
    const char* TxtEditedLevelUnreadable() const { return m_strings->TxtEditedLevelUnreadable; }
    const char* TxtShippedLevelPlayed() const { return m_strings->TxtShippedLevelPlayed; }
    const char* TxtEditorLevelUnreadable() const { return m_strings->TxtEditorLevelUnreadable; }
    const char* TxtEditorSaveAgain() const { return m_strings->TxtEditorSaveAgain; }
    const char* TxtFolderNotWritable() const { return m_strings->TxtFolderNotWritable; }
    const char* TxtNothingIsKept() const { return m_strings->TxtNothingIsKept; }
    const char* TxtOtherCopyRunning() const { return m_strings->TxtOtherCopyRunning; }
    const char* TxtPlayersUnreadable() const { return m_strings->TxtPlayersUnreadable; }
    const char* TxtPlayersKept() const { return m_strings->TxtPlayersKept; }
    // The caption of the language choice on the options screen.
    const char* TxtLanguage() const { return m_strings->TxtLanguage; }
    // The languages by their own names, the same in both tables.
    const char* TxtEnglish() const { return m_strings->TxtEnglish; }
    const char* TxtSwedish() const { return m_strings->TxtSwedish; }
    // The player selection when no further player can be added.
    const char* TxtPlayersFull() const { return m_strings->TxtPlayersFull; }
    // The question before a player is deleted, with the name below it.
    const char* TxtDeletePlayerQuestion() const { return m_strings->TxtDeletePlayerQuestion; }
    const char* TxtDeletePlayerSaves() const { return m_strings->TxtDeletePlayerSaves; }
    const char* TxtYes() const { return m_strings->TxtYes; }
    const char* TxtNo() const { return m_strings->TxtNo; }
    // A yes/no question's answers.
    // The editor's question before its game would replace the player's saved game.
    const char* TxtReplaceSavedGame() const { return m_strings->TxtReplaceSavedGame; }
    const char* TxtPlayOnQuestion() const { return m_strings->TxtPlayOnQuestion; }
    // The editor's question before a changed level is left, its answers and its mark.
    const char* TxtUnsavedChanges() const { return m_strings->TxtUnsavedChanges; }
    const char* TxtSaveThem() const { return m_strings->TxtSaveThem; }
    const char* TxtSave() const { return m_strings->TxtSave; }
    const char* TxtDiscard() const { return m_strings->TxtDiscard; }
    const char* TxtUnsavedMark() const { return m_strings->TxtUnsavedMark; }
    // The editor's buttons.
    const char* TxtEditorNew() const { return m_strings->TxtEditorNew; }
    const char* TxtEditorClear() const { return m_strings->TxtEditorClear; }
    const char* TxtEditorMoveUp() const { return m_strings->TxtEditorMoveUp; }
    const char* TxtEditorMoveDown() const { return m_strings->TxtEditorMoveDown; }
    const char* TxtEditorMainMenu() const { return m_strings->TxtEditorMainMenu; }
    const char* TxtEditorPlay() const { return m_strings->TxtEditorPlay; }
    const char* TxtEditorPlayCont() const { return m_strings->TxtEditorPlayCont; }
    // The legend of the editor's brush keys: its title and the line for the arrow keys.
    const char* TxtEditorKeys() const { return m_strings->TxtEditorKeys; }
    const char* TxtEditorRows() const { return m_strings->TxtEditorRows; }
    // The hint of the name entry when Return finds no name.
    const char* TxtNameHint() const { return m_strings->TxtNameHint; }
    // Where a screen says to click, for players on keys or a pad.
    const char* TxtKeysContinue() const { return m_strings->TxtKeysContinue; }
    const char* TxtKeysResume() const { return m_strings->TxtKeysResume; }
    // The space and delete keys of the name entry's letter grid.
    const char* TxtGridSpace() const { return m_strings->TxtGridSpace; }
    const char* TxtGridDelete() const { return m_strings->TxtGridDelete; }
    const char* TxtReplayBanner() const { return m_strings->TxtReplayBanner; }
    const char* TxtReplayEnded() const { return m_strings->TxtReplayEnded; }
    const char* TxtReplayKeys() const { return m_strings->TxtReplayKeys; }
    const char* TxtReplayDiverged() const { return m_strings->TxtReplayDiverged; }
    const char* TxtReplayUnreadable() const { return m_strings->TxtReplayUnreadable; }
    const char* TxtReplayHint() const { return m_strings->TxtReplayHint; }
    // The replays list (its menu item, the line under it, the empty list) and the words of
    // its rows: the kind of game or match, and a game or match left before its end.
    const char* TxtReplays() const { return m_strings->TxtReplays; }
    const char* TxtReplaysInfo() const { return m_strings->TxtReplaysInfo; }
    const char* TxtReplaysEmpty() const { return m_strings->TxtReplaysEmpty; }
    const char* TxtReplayGame() const { return m_strings->TxtReplayGame; }
    const char* TxtReplayVsComputer() const { return m_strings->TxtReplayVsComputer; }
    const char* TxtReplayTwoPlayers() const { return m_strings->TxtReplayTwoPlayers; }
    const char* TxtReplayNetwork() const { return m_strings->TxtReplayNetwork; }
    const char* TxtReplayLeft() const { return m_strings->TxtReplayLeft; }
    // The panel of a watched match that was left before its end.
    const char* TxtReplayMatchLeft() const { return m_strings->TxtReplayMatchLeft; }
    // The heading of the high-score lists' last column: the levels each game finished.
    const char* TxtLevelsHeading() const { return m_strings->TxtLevelsHeading; }
    // The versus mode: the menu, the computer's strength, the rounds and the match.
    const char* TxtVersus() const { return m_strings->TxtVersus; }
    const char* TxtPlayTheComputer() const { return m_strings->TxtPlayTheComputer; }
    const char* TxtComputerStrength() const { return m_strings->TxtComputerStrength; }
    const char* TxtComputer() const { return m_strings->TxtComputer; }
    const char* TxtNotYetAvailable() const { return m_strings->TxtNotYetAvailable; }
    const char* TxtRoundBanner() const { return m_strings->TxtRoundBanner; }
    const char* TxtRoundWon() const { return m_strings->TxtRoundWon; }
    const char* TxtRoundLost() const { return m_strings->TxtRoundLost; }
    const char* TxtRoundDrawn() const { return m_strings->TxtRoundDrawn; }
    const char* TxtMatchWon() const { return m_strings->TxtMatchWon; }
    const char* TxtMatchLost() const { return m_strings->TxtMatchLost; }
    const char* TxtMatchDrawn() const { return m_strings->TxtMatchDrawn; }
    const char* TxtRounds() const { return m_strings->TxtRounds; }
    const char* TxtYou() const { return m_strings->TxtYou; }
    const char* TxtYourAddresses() const { return m_strings->TxtYourAddresses; }
    const char* TxtNetPort() const { return m_strings->TxtNetPort; }
    const char* TxtPortHint() const { return m_strings->TxtPortHint; }
    const char* TxtRoundLength() const { return m_strings->TxtRoundLength; }
    const char* TxtMinutesShort() const { return m_strings->TxtMinutesShort; }
    const char* TxtRoundsToWin() const { return m_strings->TxtRoundsToWin; }
    const char* TxtStart() const { return m_strings->TxtStart; }
    const char* TxtWaitingForPlayer() const { return m_strings->TxtWaitingForPlayer; }
    const char* TxtHostAddress() const { return m_strings->TxtHostAddress; }
    const char* TxtAddressHint() const { return m_strings->TxtAddressHint; }
    const char* TxtConnect() const { return m_strings->TxtConnect; }
    const char* TxtLookingUp() const { return m_strings->TxtLookingUp; }
    const char* TxtConnecting() const { return m_strings->TxtConnecting; }
    const char* TxtNetAddressNeeded() const { return m_strings->TxtNetAddressNeeded; }
    const char* TxtNetBadAddress() const { return m_strings->TxtNetBadAddress; }
    const char* TxtNetNoIPv6() const { return m_strings->TxtNetNoIPv6; }
    const char* TxtNetBadPort() const { return m_strings->TxtNetBadPort; }
    const char* TxtNetNameNotFound() const { return m_strings->TxtNetNameNotFound; }
    const char* TxtNetNoAnswer() const { return m_strings->TxtNetNoAnswer; }
    const char* TxtNetOtherVersion() const { return m_strings->TxtNetOtherVersion; }
    const char* TxtNetHostBusy() const { return m_strings->TxtNetHostBusy; }
    const char* TxtNetRefused() const { return m_strings->TxtNetRefused; }
    const char* TxtNetCouldNotListen() const { return m_strings->TxtNetCouldNotListen; }
    const char* TxtNetConnectionBroken() const { return m_strings->TxtNetConnectionBroken; }
    const char* TxtNetOpponentSilent() const { return m_strings->TxtNetOpponentSilent; }
    const char* TxtNetOpponentLeft() const { return m_strings->TxtNetOpponentLeft; }
    const char* TxtNetOutOfStep() const { return m_strings->TxtNetOutOfStep; }
    const char* TxtNetOpponentBroke() const { return m_strings->TxtNetOpponentBroke; }
    const char* TxtNetReplayKept() const { return m_strings->TxtNetReplayKept; }
    const char* TxtNetWaitingFor() const { return m_strings->TxtNetWaitingFor; }
    // The other player's name and the whole seconds this side has waited for its steps.
    const char* TxtNetWaitingSeconds() const { return m_strings->TxtNetWaitingSeconds; }
    const char* TxtNetYouLost() const { return m_strings->TxtNetYouLost; }
    const char* TxtTwoPlayers() const { return m_strings->TxtTwoPlayers; }
    const char* TxtDeviceLeftKeys() const { return m_strings->TxtDeviceLeftKeys; }
    const char* TxtDeviceRightKeys() const { return m_strings->TxtDeviceRightKeys; }
    const char* TxtDeviceMouse() const { return m_strings->TxtDeviceMouse; }
    // The controller's number, from 1.
    const char* TxtDevicePad() const { return m_strings->TxtDevicePad; }
    // The side's number, 1 or 2.
    const char* TxtPlayerNumber() const { return m_strings->TxtPlayerNumber; }
    const char* TxtPressFireToJoin() const { return m_strings->TxtPressFireToJoin; }
    const char* TxtFireWhenReady() const { return m_strings->TxtFireWhenReady; }
    const char* TxtReady() const { return m_strings->TxtReady; }
    const char* TxtGuest() const { return m_strings->TxtGuest; }
    const char* TxtNameKeysHint() const { return m_strings->TxtNameKeysHint; }
    const char* TxtRuleKeysHint() const { return m_strings->TxtRuleKeysHint; }
    const char* TxtEndMatchQuestion() const { return m_strings->TxtEndMatchQuestion; }
    const char* TxtEndMatchHint() const { return m_strings->TxtEndMatchHint; }
    const char* TxtDevicePulledOut() const { return m_strings->TxtDevicePulledOut; }
    // The side's player name.
    const char* TxtTakeSide() const { return m_strings->TxtTakeSide; }
    // The winner's name.
    const char* TxtPlayerWinsRound() const { return m_strings->TxtPlayerWinsRound; }
    // The winner's name.
    const char* TxtPlayerWinsMatch() const { return m_strings->TxtPlayerWinsMatch; }
    const char* TxtServerColon() const { return m_strings->TxtServerColon; }
    const char* TxtServerNone() const { return m_strings->TxtServerNone; }
    const char* TxtServerNoneSet() const { return m_strings->TxtServerNoneSet; }
    const char* TxtServerAsking() const { return m_strings->TxtServerAsking; }
    const char* TxtServerMatches() const { return m_strings->TxtServerMatches; }
    const char* TxtServerNoAnswer() const { return m_strings->TxtServerNoAnswer; }
    const char* TxtServerRefusedUs() const { return m_strings->TxtServerRefusedUs; }
    const char* TxtServerIsFull() const { return m_strings->TxtServerIsFull; }
    const char* TxtServerFaulty() const { return m_strings->TxtServerFaulty; }
    const char* TxtServerListed() const { return m_strings->TxtServerListed; }
    const char* TxtLanLooking() const { return m_strings->TxtLanLooking; }
    const char* TxtLanCannotLook() const { return m_strings->TxtLanCannotLook; }
    const char* TxtLocalNetwork() const { return m_strings->TxtLocalNetwork; }
    const char* TxtOnServer() const { return m_strings->TxtOnServer; }
    const char* TxtNoMatchesYet() const { return m_strings->TxtNoMatchesYet; }
    const char* TxtOnScreenKeys() const { return m_strings->TxtOnScreenKeys; }
    const char* TxtServerAddress() const { return m_strings->TxtServerAddress; }
    const char* TxtServerAddressHint() const { return m_strings->TxtServerAddressHint; }
    const char* TxtNetMatchGone() const { return m_strings->TxtNetMatchGone; }
    const char* TxtNetServerFull() const { return m_strings->TxtNetServerFull; }

protected:
    void UseStrings(const TextStrings& strings) { m_strings = &strings; }

private:
    const TextStrings* m_strings;
};

class CEnglishTexts final : public CTextTable {
public:
    CEnglishTexts() : CTextTable(kEnglishStrings) {}
};

class CSwedishTexts final : public CTextTable {
public:
    CSwedishTexts() : CTextTable(kSwedishStrings) {}
};
