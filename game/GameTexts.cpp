#include "game/GameTexts.h"

namespace {
const char* const kEnglishTexts[static_cast<int>(EGameText::Count)] = {
    "Combo +",
    "LEVEL ",
    "GAME OVER",
    "PERFECT",
    "PERFECT BONUS",
    "THAT WAS CLOSE",
    "WELL DONE",
    "Accuracy ",
    "Bonus ",
    "Combos ",
    "YOU'VE COMPLETED ALL THE LEVELS",
};

GameTextProvider g_provider = nullptr;
}  // namespace

const char* GameText(EGameText text) {
    const int index = static_cast<int>(text);
    if (index < 0 || index >= static_cast<int>(EGameText::Count)) {
        return "";
    }
    if (g_provider != nullptr) {
        if (const char* provided = g_provider(text)) {
            return provided;
        }
    }
    return kEnglishTexts[index];
}

void SetGameTextProvider(GameTextProvider provider) {
    g_provider = provider;
}
