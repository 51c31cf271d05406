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

// Also the text table in use: the Swedish words for language 2, the English ones otherwise.
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

private:
    CLanguage() : CTextTable(kEnglishStrings) {}
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    uint32_t m_language = kLanguageNone;
};

// Lets the rules' texts (game/GameTexts.h) come from CLanguage's current table.
void InstallLanguageGameTexts();
