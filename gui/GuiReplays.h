#pragma once
// CGuiReplays (state 10150): the replays list, reached from the versus menu. It lists the
// kept games and matches newest first, a page of rows at a time: each row says who played
// and how it ended (the rounds of a match, the score of a game), and under it when, what
// kind of game or match, and how long. Choosing a row (a click, or Return or the pad's A on
// the row the keys chose) plays it in the real screen: a game in the game's screen, a match
// in the match screen; their end and Escape come back here. "<" and ">" turn the pages.
#include "gui/GuiScreen.h"
#include "profile/ReplayLibrary.h"

#include <string>
#include <vector>

// A row's two lines: who played (each name cut to at most nameLetters) and how it ended;
// when, which kind and how long.
std::string ReplayRowTitle(const LibraryEntry& entry, size_t nameLetters);
std::string ReplayRowDetail(const LibraryEntry& entry);

class CGuiReplays final : public CGuiScreen {
public:
    static constexpr int32_t kRows = 7;
    static constexpr int32_t kCommandRow = 2060;     // + the row on the page
    static constexpr int32_t kCommandPreviousPage = 2050;
    static constexpr int32_t kCommandNextPage = 2051;

    const char* GetName() const override { return "CGuiReplays"; }
    bool InitScreen() override;
    void ShutdownScreen() override {}
    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool OnEscape() override;

    const std::vector<LibraryEntry>& Listed() const { return m_listed; }
    int32_t Page() const { return m_page; }
    int32_t PageCount() const;
    const CGuiButton& Row(int32_t row) const { return m_rows[row]; }
    const CGuiLabel& Detail(int32_t row) const { return m_details[row]; }
    const CGuiLabel& Title() const { return m_title; }
    const CGuiLabel& EmptyLine() const { return m_empty; }

private:
    void ShowPage(int32_t page);
    // Plays the entry in its screen; false (with a notice) when it cannot be played.
    bool Watch(const LibraryEntry& entry);

    std::vector<LibraryEntry> m_listed;   // newest first
    int32_t m_page = 0;
    CGuiLabel m_title;
    CGuiButton m_rows[kRows];
    CGuiLabel m_details[kRows];
    CGuiLabel m_empty;
    CGuiButton m_previous;
    CGuiButton m_back;
    CGuiButton m_next;
};
