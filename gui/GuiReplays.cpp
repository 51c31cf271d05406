#include "gui/GuiReplays.h"

#include "core/Log.h"
#include "game/BotPlayer.h"
#include "gui/Game.h"
#include "gui/GuiVersus.h"
#include "gui/ScreenFlow.h"
#include "gui/StateNumbers.h"
#include "platform/Font.h"
#include "profile/Language.h"
#include "profile/Notices.h"
#include "profile/ReplayStore.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <new>

namespace {
constexpr int32_t kTitleY = 22;
constexpr int32_t kFirstRowY = 66;
constexpr int32_t kRowPitch = 40;
constexpr int32_t kDetailDrop = 20;
constexpr int32_t kRowCharSize = 20;
constexpr int32_t kDetailCharSize = kMinFitCharSize;
constexpr int32_t kPreviousX = 196;
constexpr int32_t kNextX = 444;
// A row's names are cut to no fewer letters than this.
constexpr size_t kLongestLabel = 24;
constexpr size_t kShortestLabel = 6;

// The page shown last, so that coming back from a replay shows the same rows.
int32_t g_replaysPage = 0;

// A side's player, cut to at most letters (a cut one ends in a full stop).
std::string SideLabel(const LibraryEntry& entry, int32_t side, size_t letters) {
    std::string label = entry.names[side].empty() ? std::string("?") : entry.names[side];
    if (entry.kinds[side] == EMatchSideKind::Computer) {
        const auto strength = static_cast<EBotStrength>(std::min<int32_t>(entry.strengths[side], kBotStrengthCount - 1));
        label = std::string(CLanguage::Get().TxtComputer()) + " (" + VersusStrengthText(strength) + ")";
    }
    if (label.size() > letters) {
        label = label.substr(0, letters - 1) + ".";
    }
    return label;
}

const char* ModeText(const LibraryEntry& entry) {
    const CLanguage& texts = CLanguage::Get();
    if (entry.kind == ELibraryKind::Game) {
        return texts.TxtReplayGame();
    }
    switch (entry.mode) {
        case EMatchMode::Computer: return texts.TxtReplayVsComputer();
        case EMatchMode::TwoPlayers: return texts.TxtReplayTwoPlayers();
        case EMatchMode::Network:
        default: return texts.TxtReplayNetwork();
    }
}
}  // namespace

std::string ReplayRowTitle(const LibraryEntry& entry, size_t nameLetters) {
    if (entry.kind == ELibraryKind::Game) {
        return SideLabel(entry, 0, nameLetters) + "   " + std::to_string(entry.score);
    }
    return SideLabel(entry, 0, nameLetters) + "  " + std::to_string(entry.roundsWon[0]) + " - " +
           std::to_string(entry.roundsWon[1]) + "  " + SideLabel(entry, 1, nameLetters);
}

std::string ReplayRowDetail(const LibraryEntry& entry) {
    char date[32] = "-";
    if (entry.date != 0) {
        const std::time_t when = static_cast<std::time_t>(entry.date);
        std::tm local{};
        if (localtime_r(&when, &local) != nullptr) {
            std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", &local);
        }
    }
    const uint32_t seconds = entry.steps / 150;
    char length[24];
    std::snprintf(length, sizeof length, "%u:%02u", seconds / 60, seconds % 60);
    std::string detail = std::string(date) + "   " + ModeText(entry) + "   " + length;
    if (!entry.finished) {
        detail += std::string(", ") + CLanguage::Get().TxtReplayLeft();
    }
    return detail;
}

bool CGuiReplays::InitScreen() {
    StartMenu(kStateReplays);
    const CLanguage& texts = CLanguage::Get();
    CReplayLibrary library;
    library.Load();
    m_listed = library.Newest();

    StyleFittedItem(m_title, texts.TxtReplays(), kCentreX, kTitleY);
    m_title.SetColour(1.0f, 1.0f, 0.5f, 1.0f);
    AddWidget(&m_title)->SlideIn(0.0f, -200.0f, 0.4f);
    for (int32_t row = 0; row < kRows; ++row) {
        const int32_t y = kFirstRowY + kRowPitch * row;
        StyleFittedItem(m_rows[row], "", kCentreX, y, kFieldTextWidth, kRowCharSize);
        m_rows[row].SetCommand(kCommandRow + row);
        StyleFittedItem(m_details[row], "", kCentreX, y + kDetailDrop, kFieldTextWidth, kDetailCharSize);
        m_details[row].SetFont(&CFont::Small());
        m_details[row].SetColour(0.8f, 0.87f, 0.95f, 1.0f);
        const float seconds = 0.2f + 0.05f * static_cast<float>(row);
        AddWidget(&m_rows[row])->SlideIn(row % 2 == 0 ? -400.0f : 400.0f, 0.0f, seconds);
        AddWidget(&m_details[row])->SlideIn(row % 2 == 0 ? -400.0f : 400.0f, 0.0f, seconds);
    }
    StyleFittedItem(m_empty, texts.TxtReplaysEmpty(), kCentreX, 200, kFieldTextWidth, 24);
    m_empty.SetVisible(m_listed.empty());
    AddWidget(&m_empty)->SlideIn(0.0f, 200.0f, 0.4f);
    StyleItem(m_previous, "<", kPreviousX, kBottomItemY);
    m_previous.SetCommand(kCommandPreviousPage);
    StyleFittedItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY, kPairItemWidth);
    m_back.SetCommand(kStateHostJoinMenu);
    StyleItem(m_next, ">", kNextX, kBottomItemY);
    m_next.SetCommand(kCommandNextPage);
    for (CGuiWidget* widget : {static_cast<CGuiWidget*>(&m_previous), static_cast<CGuiWidget*>(&m_back),
                               static_cast<CGuiWidget*>(&m_next)}) {
        AddWidget(widget)->SlideIn(0.0f, 200.0f, 0.5f);
    }
    ShowPage(g_replaysPage);
    return true;
}

int32_t CGuiReplays::PageCount() const {
    return std::max<int32_t>(1, (static_cast<int32_t>(m_listed.size()) + kRows - 1) / kRows);
}

void CGuiReplays::ShowPage(int32_t page) {
    m_page = std::clamp(page, 0, PageCount() - 1);
    g_replaysPage = m_page;
    for (int32_t row = 0; row < kRows; ++row) {
        const size_t index = static_cast<size_t>(m_page * kRows + row);
        const bool shown = index < m_listed.size();
        m_rows[row].SetVisible(shown);
        m_details[row].SetVisible(shown);
        if (shown) {
            // The players' names are cut, longest first, when the row is too wide even in the
            // smallest letters.
            for (size_t letters = kLongestLabel; letters >= kShortestLabel; --letters) {
                FitCaption(m_rows[row], ReplayRowTitle(m_listed[index], letters).c_str(), kRowCharSize, kFieldTextWidth);
                if (m_rows[row].TextWidth() <= kFieldTextWidth) {
                    break;
                }
            }
            FitCaption(m_details[row], ReplayRowDetail(m_listed[index]).c_str(), kDetailCharSize, kFieldTextWidth);
        }
    }
    const bool pages = PageCount() > 1;
    m_previous.SetVisible(pages);
    m_next.SetVisible(pages);
    std::string title = CLanguage::Get().TxtReplays();
    if (pages) {
        title += "  " + std::to_string(m_page + 1) + "/" + std::to_string(PageCount());
    }
    FitCaption(m_title, title.c_str(), kItemCharSize, kFieldTextWidth);
}

void CGuiReplays::OnMessage(int32_t messageId, int32_t parameter) {
    CGuiScreen::OnMessage(messageId, parameter);
    if (messageId >= kCommandRow && messageId < kCommandRow + kRows) {
        const size_t index = static_cast<size_t>(m_page * kRows + messageId - kCommandRow);
        if (index < m_listed.size()) {
            Watch(m_listed[index]);
        }
    } else if (messageId == kCommandPreviousPage || messageId == kCommandNextPage) {
        const int32_t step = messageId == kCommandNextPage ? 1 : PageCount() - 1;
        ShowPage((m_page + step) % PageCount());
    } else if (messageId == kStateHostJoinMenu) {
        GoToScreen(kStateHostJoinMenu);
    }
}

bool CGuiReplays::OnEscape() {
    GoToScreen(kStateHostJoinMenu);
    return true;
}

bool CGuiReplays::Watch(const LibraryEntry& entry) {
    std::vector<uint8_t> bytes;
    std::string why = "cannot be read";
    std::unique_ptr<CEngineState> screen;
    int32_t state = kStateGame;
    if (ReadReplayFile(entry.file, bytes)) {
        if (entry.kind == ELibraryKind::Match) {
            MatchRecord record;
            if (DecodeMatchRecord(bytes, record, why)) {
                screen.reset(new (std::nothrow) CGuiVersus(std::move(record)));
                state = kStateVersusGame;
            }
        } else {
            ReplayData replay;
            if (DecodeReplay(bytes, replay, why)) {
                screen.reset(new (std::nothrow) CGame(std::move(replay), kStateReplays));
            }
        }
    }
    if (screen == nullptr) {
        CLog::Get().Write("CGuiReplays::Watch FAILED, replays/%s: %s", entry.file.c_str(), why.c_str());
        PostNotice(CLanguage::Get().TxtReplayUnreadable(), "replays/" + entry.file);
        return false;
    }
    CLog::Get().Write("CGuiReplays: watching replays/%s", entry.file.c_str());
    StopMenuMusic();
    GoToLowerScreen(state, std::move(screen));
    return true;
}
