#pragma once
// The texts that the rules show (pop-ups, level and game panels). They are looked up
// here by id so that the game's text table can take them over in one place: the program
// installs a provider at start-up; without one (or where it gives null) the built-in
// English texts are used.
enum class EGameText {
    ComboPlus,          // "Combo +" followed by the combo points
    Level,              // "LEVEL " followed by the level number
    GameOver,
    Perfect,
    PerfectBonus,
    ThatWasClose,
    WellDone,
    Accuracy,           // "Accuracy " followed by the percentage and "%"
    Bonus,              // "Bonus " followed by the bonus points
    Combos,             // "Combos " followed by the count
    AllLevelsDone,
    Count
};

using GameTextProvider = const char* (*)(EGameText text);

const char* GameText(EGameText text);
// Installs the source of the texts; null goes back to the built-in English texts.
void SetGameTextProvider(GameTextProvider provider);
