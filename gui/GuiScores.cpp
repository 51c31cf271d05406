#include "gui/GuiScores.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "game/SavedGame.h"
#include "game/Replay.h"
#include "gui/Game.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Input.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/Players.h"
#include "profile/ReplayStore.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {
constexpr int32_t kFirstRowY = 95;
constexpr int32_t kRowPitch = 24;
constexpr int32_t kRowLeft = 160;
constexpr int32_t kRowRight = 480;
constexpr int32_t kReplayHintY = 346;   // between the last row and the foot line
constexpr int32_t kLevelsColumnX = 455;
constexpr int32_t kLevelsHeadingSize = 16;
constexpr int32_t kLevelsHeadingRight = 474;
// The mark after the name of an entry that has a replay.
constexpr const char* kReplayMark = " \xBB";

// The current player's saved game is gone (and a field file kept by an interrupted save).
void DeletePlayerSavedGame() {
    if (CurrentPlayerSaveFile()[0] != '\0' && CurrentPlayerLevelFile()[0] != '\0') {
        DeleteSavedGame(CurrentPlayerSaveFile(), CurrentPlayerLevelFile());
    }
}
}  // namespace

// ---------------------------------------------------------------- continue question

bool CGuiContinue::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    const char* const lines[5] = {texts.TxtGameWasSaved(), texts.TxtIfYouDontContinue(), texts.TxtItWillBeLost(),
                                  texts.TxtLostLine3(), texts.TxtDoYouWantToContinue()};
    const int32_t ys[5] = {40, 72, 104, 136, 200};
    // One size for the whole message: the largest at which every line fits the field.
    int32_t size = kItemCharSize;
    for (int32_t i = 0; i < 5; ++i) {
        StyleFittedItem(m_lines[i], lines[i], kCentreX, ys[i], kFieldTextWidth, size);
        size = std::min(size, m_lines[i].Font()->GetCharHeight());
    }
    for (int32_t i = 0; i < 5; ++i) {
        StyleFittedItem(m_lines[i], lines[i], kCentreX, ys[i], kFieldTextWidth, size);
    }
    StyleFittedItem(m_continue, texts.TxtContinue(), kLeftItemX, 280, kPairItemWidth);
    m_continue.SetCommand(kCommandContinue);
    StyleFittedItem(m_newGame, texts.TxtNewGame(), kRightItemX, 280, kPairItemWidth);
    m_newGame.SetCommand(kCommandNewGame);
    StyleFittedItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
    m_back.SetCommand(g_returnScreen);
    for (int32_t i = 0; i < 5; ++i) {
        AddWidget(&m_lines[i])->SlideIn(0.0f, -200.0f - 100.0f * static_cast<float>(i), 0.4f);
    }
    AddWidget(&m_continue)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_newGame)->SlideIn(500.0f, 0.0f, 0.4f);
    AddWidget(&m_back)->SlideIn(0.0f, 500.0f, 0.4f);
    return true;
}

void CGuiContinue::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandContinue:
            StopMenuMusic();
            g_continueSavedGame = true;
            GoToLowerScreen(kStateGame);
            break;
        case kCommandNewGame:
            DeletePlayerSavedGame();
            StartNewGame();
            break;
        case kStateMainMenu:
            BackToMainMenu();
            break;
        default:
            break;
    }
}

bool CGuiContinue::OnEscape() {
    BackToMainMenu();
    return true;
}

// ---------------------------------------------------------------- high scores

bool CGuiHighscore::InitScreen() {
    LimitCursor();
    PrepareBackdrop();
    m_newEntryMode = g_highscoreNewEntry;
    g_highscoreNewEntry = false;
    if (g_highscoreFromMenu) {
        SelectDifficulty(kDifficultyChild);
    }
    const int32_t highlighted = CHighscore::Get().GetLastRank();
    m_highlightedRow = highlighted;
    m_selectedRow = -1;

    StyleItem(m_title, "", kCentreX, 50);
    const CGuiWidget* above = &m_title;
    for (int32_t row = 0; row < kRows; ++row) {
        const int32_t y = kFirstRowY + kRowPitch * row;
        const CGuiWidget* const rowAbove = above;
        CGuiLabel* const cells[4] = {&m_positions[row], &m_names[row], &m_scores[row], &m_levels[row]};
        // The position ends where the name begins less a gap, so that "10" stays clear of it.
        const int32_t xs[4] = {184, 190, 440, kLevelsColumnX};
        for (int32_t column = 0; column < 4; ++column) {
            CGuiLabel& cell = *cells[column];
            cell.CopyStyle(column == 0 ? *rowAbove : *cells[column - 1]);
            cell.StopSlide();
            cell.SetFont(column == 2 ? &CFont::FixedPitch() : &CFont::Main());
            cell.SetFontSize(20, 20);
            if (column == 0 || column == 2) {
                cell.AlignRight();
                cell.SetSize(0, 20);
            } else {
                cell.AlignLeft();
            }
            cell.SetPos(xs[column], y);
        }
        above = &m_positions[row];
    }
    m_hintForKeys = !CInput::Get().UsesMouse();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_bottom, m_hintForKeys ? texts.TxtKeysContinue() : texts.TxtClickLeftButton(), kCentreX, 370,
                    kFieldTextWidth, 24);
    StyleFittedItem(m_replayHint, "", kCentreX, kReplayHintY, kFieldTextWidth, 16);
    m_replayHint.SetFont(&CFont::Small());
    // Small, ending right over the levels' numbers, below the title.
    m_levelsHeading.SetFont(&CFont::Small());
    m_levelsHeading.SetFontSize(kLevelsHeadingSize, kLevelsHeadingSize);
    m_levelsHeading.AlignRight();
    m_levelsHeading.SetSize(0, kLevelsHeadingSize);
    m_levelsHeading.SetPos(kLevelsHeadingRight, kFirstRowY - kLevelsHeadingSize - 2);
    m_levelsHeading.SetText(texts.TxtLevelsHeading());
    m_levelsHeading.SetColour(0.75f, 0.85f, 1.0f, 1.0f);
    FillTexts(highlighted);
    if (m_newEntryMode) {
        DeletePlayerSavedGame();
    }

    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    for (int32_t row = 0; row < kRows; ++row) {
        const float rowDelay = 0.05f * static_cast<float>(row);
        AddWidget(&m_positions[row])->SlideIn(400.0f, 0.0f, 0.2f + rowDelay);
        AddWidget(&m_names[row])->SlideIn(400.0f, 0.0f, 0.3f + rowDelay);
        AddWidget(&m_scores[row])->SlideIn(400.0f, 0.0f, 0.4f + rowDelay);
        AddWidget(&m_levels[row])->SlideIn(400.0f, 0.0f, 0.5f + rowDelay);
    }
    AddWidget(&m_bottom)->SlideIn(0.0f, 200.0f, 0.3f);
    AddWidget(&m_replayHint)->SlideIn(0.0f, 200.0f, 0.35f);
    AddWidget(&m_levelsHeading)->SlideIn(400.0f, 0.0f, 0.5f);
    ForgetHighscoreRank();
    return true;
}

void CGuiHighscore::FillTexts(int32_t highlightedRow) {
    const CLanguage& texts = CLanguage::Get();
    std::string title = texts.TxtHighscoreTitle();
    if (g_difficulty == kDifficultyChild) {
        title = title + " " + texts.TxtChildMode();
    } else if (g_difficulty == kDifficultyNormal) {
        title = title + " " + texts.TxtNormalMode();
    } else {
        title += " ";
    }
    FitCaption(m_title, title.c_str(), kItemCharSize, kFieldTextWidth);
    const CHighscore& highscore = CHighscore::Get();
    for (int32_t row = 0; row < kRows; ++row) {
        const HighscoreEntry& entry = highscore.Entry(row);
        const bool yellow = row == highlightedRow;
        CGuiLabel* const cells[4] = {&m_positions[row], &m_names[row], &m_scores[row], &m_levels[row]};
        for (CGuiLabel* cell : cells) {
            cell->SetColour(1.0f, 1.0f, yellow ? 0.0f : 1.0f, 1.0f);
        }
        char name[sizeof(entry.name) + 1] = {};
        for (size_t i = 0; i < sizeof(entry.name) && entry.name[i] != '\0'; ++i) {
            name[i] = entry.name[i];
        }
        m_positions[row].SetNumber(row + 1);
        m_names[row].SetText(name);
        m_scores[row].SetNumber(static_cast<int32_t>(entry.score > 0x7FFFFFFFu ? 0x7FFFFFFFu : entry.score));
        m_scores[row].SetSize(0, 20);
        m_levels[row].SetNumber(entry.levels);
    }
    FindReplays();
    ColourRows();
}

void CGuiHighscore::FindReplays() {
    CReplayIndex index;
    index.Load();
    const CHighscore& highscore = CHighscore::Get();
    for (int32_t row = 0; row < kRows; ++row) {
        const HighscoreEntry& entry = highscore.Entry(row);
        const std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
        int32_t sameBefore = 0;
        for (int32_t above = 0; above < row; ++above) {
            const HighscoreEntry& other = highscore.Entry(above);
            sameBefore += other.score == entry.score && other.levels == entry.levels &&
                          std::strncmp(other.name, entry.name, sizeof entry.name) == 0;
        }
        m_replays[row] = entry.score == 0 ? std::string()
                                          : index.Find(highscore.GetFileName(), name, entry.score, entry.levels,
                                                       sameBefore);
        // An entry with a replay is marked after its name.
        if (!m_replays[row].empty()) {
            m_names[row].SetText((name + kReplayMark).c_str());
        }
    }
    if (m_selectedRow >= 0 && m_replays[m_selectedRow].empty()) {
        m_selectedRow = -1;
    }
    const bool anyReplay = std::any_of(std::begin(m_replays), std::end(m_replays),
                                       [](const std::string& file) { return !file.empty(); });
    FitCaption(m_replayHint, anyReplay ? CLanguage::Get().TxtReplayHint() : "", 16, kFieldTextWidth);
}

// The new entry and the row chosen for its replay are yellow (the chosen row also has the
// focus marks beside it), the rest white.
void CGuiHighscore::ColourRows() {
    for (int32_t row = 0; row < kRows; ++row) {
        float r = 1.0f, g = 1.0f, b = 1.0f;
        if (row == m_selectedRow || row == m_highlightedRow) {
            b = 0.0f;
        }
        CGuiLabel* const cells[4] = {&m_positions[row], &m_names[row], &m_scores[row], &m_levels[row]};
        for (CGuiLabel* cell : cells) {
            cell->SetColour(r, g, b, 1.0f);
        }
    }
}

int32_t CGuiHighscore::RowAt(int32_t x, int32_t y) {
    if (x < kRowLeft || x > kRowRight || y < kFirstRowY - 2) {
        return -1;
    }
    const int32_t row = (y - (kFirstRowY - 2)) / kRowPitch;
    return row < kRows ? row : -1;
}

void CGuiHighscore::UpdateSelection() {
    const CInput& input = CInput::Get();
    int32_t selected = m_selectedRow;
    const CMouseCursor& cursor = CMouseCursor::Get();
    if (cursor.HasMoved()) {
        const int32_t row = RowAt(static_cast<int32_t>(cursor.GetX()), static_cast<int32_t>(cursor.GetY()));
        selected = row >= 0 && !m_replays[row].empty() ? row : -1;
    }
    for (const ENavAction direction : {ENavAction::Up, ENavAction::Down}) {
        if (!input.NavHit(direction)) {
            continue;
        }
        const int32_t stepBy = direction == ENavAction::Down ? 1 : kRows - 1;
        int32_t row = selected;
        for (int32_t tries = 0; tries < kRows; ++tries) {
            row = row < 0 ? (direction == ENavAction::Down ? 0 : kRows - 1) : (row + stepBy) % kRows;
            if (!m_replays[row].empty()) {
                selected = row;
                break;
            }
        }
    }
    if (selected != m_selectedRow) {
        m_selectedRow = selected;
        ColourRows();
    }
}

bool CGuiHighscore::WatchRow(int32_t row) {
    std::vector<uint8_t> bytes;
    ReplayData replay;
    std::string why = "cannot be read";
    if (!ReadReplayFile(m_replays[row], bytes) || !DecodeReplay(bytes, replay, why)) {
        CLog::Get().Write("CGuiHighscore::WatchRow FAILED, replays/%s: %s", m_replays[row].c_str(), why.c_str());
        PostNotice(CLanguage::Get().TxtReplayUnreadable(), "replays/" + m_replays[row]);
        return false;
    }
    StopMenuMusic();
    GoToLowerScreen(kStateGame, std::make_unique<CGame>(std::move(replay)));
    return true;
}

bool CGuiHighscore::ContinuePressed() const {
    const CInput& input = CInput::Get();
    return input.MouseButtonHit(kMouseLeft) || input.MouseButtonHit(kMouseRight) || input.KeyHit(DIK_SPACE) ||
           input.KeyHit(DIK_RETURN) || input.NavHit(ENavAction::Activate);
}

void CGuiHighscore::RenderForeground() {
    if (m_selectedRow < 0 || m_selectedRow >= kRows) {
        return;
    }
    const GuiBox first = m_positions[m_selectedRow].CaptionBox();
    const GuiBox last = m_levels[m_selectedRow].CaptionBox();
    DrawFocusMarks(GuiBox{first.left, first.top, last.right, first.bottom});
}

void CGuiHighscore::UpdateScreen(float dt) {
    // The line at the foot says how to go on with the device in use.
    const bool forKeys = !CInput::Get().UsesMouse();
    if (forKeys != m_hintForKeys) {
        m_hintForKeys = forKeys;
        const CLanguage& texts = CLanguage::Get();
        FitCaption(m_bottom, forKeys ? texts.TxtKeysContinue() : texts.TxtClickLeftButton(), 24, kFieldTextWidth);
    }
    UpdateSelection();
    if (!ContinuePressed()) {
        return;
    }
    // A click on a row with a replay, or Return on the row chosen, plays it.
    const CMouseCursor& cursor = CMouseCursor::Get();
    const CInput& input = CInput::Get();
    const int32_t clicked = input.MouseButtonHit(kMouseLeft)
                                ? RowAt(static_cast<int32_t>(cursor.GetX()), static_cast<int32_t>(cursor.GetY()))
                                : m_selectedRow;
    if (clicked >= 0 && !m_replays[clicked].empty()) {
        WatchRow(clicked);
        return;
    }
    if (g_highscoreFromMenu && g_difficulty < kDifficultyNormal) {
        SelectDifficulty(kDifficultyNormal);
        FillTexts(-1);
        return;
    }
    BackToMainMenu();
}

bool CGuiHighscore::OnEscape() {
    BackToMainMenu();
    return true;
}

// ---------------------------------------------------------------- difficulty

bool CGuiLod::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    StyleItem(m_title, texts.TxtChooseDifficulty(), kCentreX, 30);
    m_title.SetColour(1.0f, 1.0f, 0.5f, 1.0f);
    AddWidget(&m_title)->SlideIn(0.0f, -200.0f, 0.6f);
    const char* const names[kLevels] = {texts.TxtChildMode(), texts.TxtEasy(), texts.TxtNormal(), texts.TxtHard(),
                                        texts.TxtNormalMode()};
    const char* const infos[kLevels] = {texts.TxtChildModeInfo(), texts.TxtEasyInfo(), texts.TxtNormalInfo(),
                                        texts.TxtHardInfo(), texts.TxtNormalModeInfo()};
    const float slides[kLevels] = {-400.0f, -400.0f, 400.0f, -400.0f, 400.0f};
    for (int32_t i = 0; i < kLevels; ++i) {
        const int32_t y = 75 + 55 * i;
        if (i == 0) {
            StyleItem(m_levelButtons[0], names[0], kCentreX, y);
        } else {
            NextItem(m_levelButtons[i], m_levelButtons[i - 1], names[i], 55);
        }
        m_levelButtons[i].SetCommand(i + 1);
        StyleItem(m_descriptions[i], "", kCentreX, y + 30);
        m_descriptions[i].SetFontSize(16, 16);
        m_descriptions[i].SetColour(1.0f, 1.0f, 1.0f, 0.4f);
        m_descriptions[i].SetText(infos[i]);
        const float seconds = 0.3f + 0.05f * static_cast<float>(i);
        AddWidget(&m_levelButtons[i])->SlideIn(slides[i], 0.0f, seconds);
        AddWidget(&m_descriptions[i])->SlideIn(-400.0f, 0.0f, seconds);
    }
    StyleItem(m_back, texts.TxtGoBack(), kCentreX, 395);
    m_back.SetCommand(kCommandLeave);
    AddWidget(&m_back)->SlideIn(0.0f, 200.0f, 0.6f);
    return true;
}

void CGuiLod::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId >= 1 && messageId <= kLevels) {
        SelectDifficulty(messageId);
        StartNewGame();
    } else if (messageId == kCommandLeave) {
        BackToMainMenu();
    }
}

bool CGuiLod::OnEscape() {
    BackToMainMenu();
    return true;
}
