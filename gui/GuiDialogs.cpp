#include "gui/GuiDialogs.h"

#include "core/Log.h"
#include "engine/Engine.h"
#include "game/SavedGame.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Sound.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ServerSetting.h"
#include "resources/FileManager.h"

#include <algorithm>
#include <cmath>
#include <string>

// ---------------------------------------------------------------- language

bool CGuiLanguage::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    // The same texts in both languages: none is chosen yet. "VÄLJ SPRÅK" in Windows-1252.
    StyleItem(m_title, "", kCentreX, 150);
    m_english.CopyStyle(m_title);
    m_swedish.CopyStyle(m_title);
    FitCaption(m_title, "CHOOSE LANGUAGE / V\xC4LJ SPR\xC5K", 24, kFieldTextWidth);
    m_english.SetPos(240, 230);
    m_english.SetText("ENGLISH");
    m_english.SetCommand(kLanguageEnglish);
    m_swedish.SetPos(400, 230);
    m_swedish.SetText("SVENSKA");
    m_swedish.SetCommand(kLanguageSwedish);
    AddWidget(&m_title)->SlideIn(0.0f, -500.0f, 0.4f);
    AddWidget(&m_english)->SlideIn(-500.0f, 0.0f, 0.4f);
    AddWidget(&m_swedish)->SlideIn(500.0f, 0.0f, 0.4f);
    return true;
}

void CGuiLanguage::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId != kLanguageEnglish && messageId != kLanguageSwedish) {
        return;
    }
    CLanguage::Get().SetLanguage(static_cast<uint32_t>(messageId));
    GoToLowerScreen(kStateStart);
}

bool CGuiLanguage::OnEscape() {
    LeaveProgram();
    return true;
}

void CGuiLanguage::ShutdownScreen() {
    CSoundBass::Get().File_SaveConfig();
}

// ---------------------------------------------------------------- name entry

std::string TrimmedName(const std::string& name) {
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = name.find_last_not_of(' ');
    return name.substr(first, last - first + 1);
}

bool CGuiEnterName::InitScreen() {
    m_name.clear();
    m_caret.Reset();
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtEnterPlayerName(), kCentreX, 80);
    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    StyleItem(m_nameLabel, "", kCentreX, 160);
    AddWidget(&m_nameLabel);
    StyleFittedItem(m_hint, texts.TxtNameHint(), kCentreX, 220, kFieldTextWidth, 24);
    m_hint.SetColour(1.0f, 0.6f, 0.2f, 1.0f);
    m_hint.SetVisible(false);
    AddWidget(&m_hint);
    m_hasCancel = GetPlayerCount() > 0;
    if (m_hasCancel) {
        StyleFittedItem(m_cancel, texts.TxtCancel(), kLeftItemX, kBottomItemY, kPairItemWidth);
        m_cancel.SetCommand(kCommandLeave);
        AddWidget(&m_cancel)->SlideIn(0.0f, 200.0f, 0.4f);
        StyleFittedItem(m_ok, texts.TxtOk(), kRightItemX, kBottomItemY, kPairItemWidth);
    } else {
        StyleFittedItem(m_ok, texts.TxtOk(), kCentreX, kBottomItemY);
    }
    m_ok.SetCommand(kCommandOk);
    AddWidget(&m_ok)->SlideIn(0.0f, 200.0f, 0.6f);
    BuildGrid();
    RefreshName();
    ForgetHighscoreRank();
    CInput::Get().SetTextEntry(true);
    return true;
}

void CGuiEnterName::ShutdownScreen() {
    CInput::Get().SetTextEntry(false);
}

namespace {
// The grid's letters in Windows-1252 capitals.
constexpr char kGridCapitals[CGuiEnterName::kGridLetters + 1] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6";
constexpr int32_t kGridTop = 205;
}  // namespace

void CGuiEnterName::BuildGrid() {
    KeyGridLayout layout;
    layout.characters = kGridCapitals;
    layout.columns = kGridColumns;
    layout.top = kGridTop;
    layout.spaceKey = true;
    layout.firstCommand = kCommandGridKey;
    m_grid.Build(*this, kCentreX, layout);
    RefreshGridCase();
    // Reached with a pad, the grid is there from the start.
    if (CInput::Get().LastDevice() == EInputDevice::Pad) {
        m_grid.Show();
    }
}

void CGuiEnterName::RefreshGridCase() {
    m_grid.SetCapitals(m_name.empty() || m_name.back() == ' ');
}

void CGuiEnterName::OnChar(int32_t code) {
    if (code == '\'' || code == '"') {
        return;
    }
    if (code == ' ' && TrimmedName(m_name).empty()) {
        return;   // spaces before the name would only take room from its twelve letters
    }
    if (code >= 32 && code <= 255 && static_cast<int32_t>(m_name.size()) < kMaxNameLength) {
        m_name.push_back(static_cast<char>(code));
        m_hint.SetVisible(false);
    }
    if (code == 8 && !m_name.empty()) {
        m_name.pop_back();
        m_hint.SetVisible(false);
    } else if (code == 13) {
        OnMessage(kCommandOk, 0);
    }
    RefreshName();
}

void CGuiEnterName::RefreshName() {
    // A long name of wide letters is shown smaller rather than over the pillars.
    FitCaption(m_nameLabel, m_name.c_str(), kItemCharSize, kFieldTextWidth - CTextCaret::kSpace);
    m_nameWidth = m_nameLabel.TextWidth();
    RefreshGridCase();
}

void CGuiEnterName::OnMessage(int32_t messageId, int32_t parameter) {
    const int32_t typed = m_grid.TypedBy(messageId);
    if (typed != CGuiKeyGrid::kNotAKey) {
        OnChar(typed);
        return;
    }
    switch (messageId) {
        case kCommandLeave:
            BackToMainMenu();
            break;
        case kCommandOk: {
            // A name of spaces alone is no name: the player is told instead.
            const std::string name = TrimmedName(m_name);
            if (name.empty()) {
                m_hint.SetVisible(true);
            } else if (CreatePlayer(name.c_str()) != nullptr) {
                SavePlayers();
                BackToMainMenu();
            }
            break;
        }
        default:
            CGuiState::OnMessage(messageId, parameter);
            break;
    }
}

bool CGuiEnterName::OnEscape() {
    if (GetPlayerCount() == 0) {
        LeaveProgram();
    } else {
        GoToLowerScreen(kStatePlayer);
    }
    return true;
}

void CGuiEnterName::UpdateScreen(float dt) {
    if (!m_grid.IsShown() && CInput::Get().LastDevice() == EInputDevice::Pad) {
        m_grid.Show();
    }
    m_caret.Update(dt);
}

void CGuiEnterName::RenderForeground() {
    m_caret.Draw(kCentreX, m_nameWidth, m_nameLabel.Y());
}

// ---------------------------------------------------------------- player selection

namespace {
constexpr int32_t kNoticeSize = 20;
// The delete mark of a very wide name stays inside the frame.
constexpr int32_t kDeleteMarkRight = 462;
// The widest a name is drawn: its delete mark then fits between it and the pillar.
constexpr int32_t kNameWidth = 2 * (kDeleteMarkRight - 28 - 8 - 320);
// The line that says the list is full, on the deck.
constexpr int32_t kFullNoticeY = 418;
constexpr GuiColour kDeleteMarkColour{1.0f, 0.45f, 0.4f, 1.0f};
constexpr GuiColour kNoticeColour{0.8f, 0.87f, 0.95f, 1.0f};
constexpr GuiColour kPlainColour{1.0f, 1.0f, 1.0f, 1.0f};

void Paint(CGuiWidget& widget, const GuiColour& colour) {
    widget.SetColour(colour.r, colour.g, colour.b, colour.a);
}
}  // namespace

bool DeletePlayerWithSavedGame(int32_t index) {
    const PlayerRecord* player = GetPlayer(index);
    if (player == nullptr) {
        CLog::Get().Write("DeletePlayerWithSavedGame FAILED, no player %d", index);
        return false;
    }
    // A damaged list may give two records the same files: they stay for the other one.
    if (!SharesSavedGame(index)) {
        const std::string saveName = player->saveFile;
        const std::string fieldName = player->levelFile;
        DeleteSavedGame(saveName, fieldName);
        CFileManager& files = CFileManager::Get();
        if (files.Exists(saveName) || files.Exists(fieldName)) {
            CLog::Get().Write("DeletePlayerWithSavedGame FAILED, couldn't delete %s", saveName.c_str());
            return false;
        }
    }
    DeletePlayer(index);
    SavePlayers();
    return true;
}

bool CGuiPlayer::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    m_asking = -1;
    ShowList();
    return true;
}

void CGuiPlayer::ClearScreen() {
    ClearWidgets();
    StartEntrySlide();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtSelectPlayer(), kCentreX, 40);
    AddWidget(&m_title)->SlideIn(0.0f, -100.0f, 0.2f);
}

void CGuiPlayer::ShowList() {
    ClearScreen();
    const CLanguage& texts = CLanguage::Get();
    // Nine names fit between the title and the bottom row.
    const int32_t shown = std::min(GetPlayerCount(), kMaxShownPlayers);
    const int32_t current = GetCurrentPlayerIndex();
    for (int32_t i = 0; i < shown; ++i) {
        const float dx = i % 2 == 0 ? -400.0f : 400.0f;
        const float seconds = 0.2f + 0.05f * static_cast<float>(i);
        const int32_t y = kFirstNameY + kNameSpacing * i;
        // A long name is shown smaller so that its delete mark stays clear of it.
        StyleFittedItem(m_names[i], GetPlayer(i)->name, kCentreX, y, kNameWidth);
        Paint(m_names[i], i == current ? kChosenItemColour : kPlainColour);
        m_names[i].SetCommand(i);
        AddWidget(&m_names[i])->SlideIn(dx, 0.0f, seconds);
        // The delete mark a little right of the name.
        StyleItem(m_deletes[i], "x", std::min(kCentreX + m_names[i].TextWidth() / 2 + 28, kDeleteMarkRight), y);
        Paint(m_deletes[i], kDeleteMarkColour);
        m_deletes[i].SetCommand(kCommandDeletePlayer + i);
        AddWidget(&m_deletes[i])->SlideIn(dx, 0.0f, seconds);
    }
    // The duration the next name would have had.
    const float seconds = 0.2f + 0.05f * static_cast<float>(shown);
    m_hasAddPlayer = shown < kMaxShownPlayers && GetPlayerCount() < kMaxShownPlayers;
    m_full.SetText("");
    if (m_hasAddPlayer) {
        StyleFittedItem(m_back, texts.TxtGoBack(), kLeftItemX, kBottomItemY, kPairItemWidth);
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
        StyleFittedItem(m_addPlayer, texts.TxtAddPlayer(), kRightItemX, kBottomItemY, kPairItemWidth);
        m_addPlayer.SetCommand(kStateEnterName);
        AddWidget(&m_addPlayer)->SlideIn(400.0f, 0.0f, seconds + 0.1f);
    } else {
        StyleFittedItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
        // Why there is no "Add player": the list is full.
        // On the deck below the frame, where the main menu has its notice line.
        StyleFittedItem(m_full, texts.TxtPlayersFull(), kCentreX, kFullNoticeY, kFieldTextWidth, 16);
        Paint(m_full, kNoticeColour);
        AddWidget(&m_full)->SlideIn(400.0f, 0.0f, seconds);
    }
    m_back.SetCommand(g_returnScreen);
}

void CGuiPlayer::ShowQuestion(int32_t index) {
    m_asking = index;
    ClearScreen();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_question, texts.TxtDeletePlayerQuestion(), kCentreX, 140);
    StyleFittedItem(m_questionName, GetPlayer(index)->name, kCentreX, 190);
    Paint(m_questionName, kDeleteMarkColour);
    StyleItem(m_questionSaves, "", kCentreX, 250);
    m_questionSaves.SetFontSize(kNoticeSize, kNoticeSize);
    Paint(m_questionSaves, kNoticeColour);
    m_questionSaves.SetText(texts.TxtDeletePlayerSaves());
    StyleFittedItem(m_yes, texts.TxtYes(), kLeftItemX, 320, kPairItemWidth);
    m_yes.SetCommand(kCommandDeleteYes);
    StyleFittedItem(m_no, texts.TxtNo(), kRightItemX, 320, kPairItemWidth);
    m_no.SetCommand(kCommandDeleteNo);
    AddWidget(&m_question)->SlideIn(-400.0f, 0.0f, 0.2f);
    AddWidget(&m_questionName)->SlideIn(400.0f, 0.0f, 0.25f);
    AddWidget(&m_questionSaves)->SlideIn(-400.0f, 0.0f, 0.3f);
    AddWidget(&m_yes)->SlideIn(-400.0f, 0.0f, 0.35f);
    AddWidget(&m_no)->SlideIn(400.0f, 0.0f, 0.35f);
}

void CGuiPlayer::OnMessage(int32_t messageId, int32_t parameter) {
    if (m_asking >= 0) {
        if (messageId == kCommandDeleteYes) {
            const int32_t index = m_asking;
            m_asking = -1;
            DeletePlayerWithSavedGame(index);
            if (GetPlayerCount() == 0) {
                // The first start again: a name must be entered.
                GoToLowerScreen(kStateStart);
                return;
            }
            ShowList();
        } else if (messageId == kCommandDeleteNo) {
            m_asking = -1;
            ShowList();
        }
        return;
    }
    if (messageId >= 0 && messageId < kMaxShownPlayers) {
        PlayerRecord* const player = GetPlayer(messageId);
        if (player != nullptr) {
            SetCurrentPlayer(player);
            GoToLowerScreen(g_returnScreen);
        }
        return;
    }
    if (messageId >= kCommandDeletePlayer && messageId < kCommandDeletePlayer + kMaxShownPlayers) {
        if (GetPlayer(messageId - kCommandDeletePlayer) != nullptr) {
            ShowQuestion(messageId - kCommandDeletePlayer);
        }
        return;
    }
    if (messageId == kStateMainMenu || messageId == kStateHostJoinMenu || messageId == kStateEnterName) {
        GoToLowerScreen(messageId);
    }
}

bool CGuiPlayer::OnEscape() {
    if (m_asking >= 0) {
        // Escape answers the question with No.
        m_asking = -1;
        ShowList();
        return true;
    }
    GoToLowerScreen(g_returnScreen);
    return true;
}

// ---------------------------------------------------------------- options

namespace {
constexpr int32_t kServerCharSize = 20;
}  // namespace

int32_t SliderVolume(float value) {
    return static_cast<int32_t>(std::lround(value));
}

bool CGuiOptions::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CSoundBass& sound = CSoundBass::Get();
    StyleItem(m_title, "", kCentreX, 50);
    NextItem(m_soundCaption, m_title, "", 60);
    m_soundSlider.CopyStyle(m_soundCaption);
    m_soundSlider.LoadPieces();
    m_soundSlider.Move(0, 40);
    m_soundSlider.SetCommand(kCommandSoundVolume);
    m_soundSlider.SetValue(static_cast<float>(sound.GetSampleVolume()));
    NextItem(m_musicCaption, m_soundSlider, "", 40);
    m_musicSlider.CopyStyle(m_musicCaption);
    m_musicSlider.LoadPieces();
    m_musicSlider.Move(0, 40);
    m_musicSlider.SetCommand(kCommandMusicVolume);
    m_musicSlider.SetValue(static_cast<float>(sound.GetMusicVolume()));
    // The language: its caption, and each language by its own name side by side.
    StyleItem(m_languageCaption, "", kCentreX, 262);
    StyleItem(m_english, "", kLeftItemX, 296);
    m_english.SetCommand(kCommandLanguageEnglish);
    StyleItem(m_swedish, "", kRightItemX, 296);
    m_swedish.SetCommand(kCommandLanguageSwedish);
    StyleItem(m_server, "", kCentreX, 330);
    m_server.SetCommand(kStateServerAddress);
    StyleItem(m_back, "", kCentreX, kBottomItemY);
    m_back.SetCommand(kStateMainMenu);
    SetTexts();
    MarkLanguage();

    AddWidget(&m_title)->SlideIn(0.0f, -500.0f, 0.6f);
    AddWidget(&m_soundCaption)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_soundSlider)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_musicCaption)->SlideIn(400.0f, 0.0f, 0.4f);
    AddWidget(&m_musicSlider)->SlideIn(400.0f, 0.0f, 0.4f);
    AddWidget(&m_languageCaption)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_english)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_swedish)->SlideIn(400.0f, 0.0f, 0.4f);
    AddWidget(&m_server)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_back)->SlideIn(0.0f, 500.0f, 0.6f);
    return true;
}

void CGuiOptions::SetTexts() {
    const CLanguage& texts = CLanguage::Get();
    FitCaption(m_title, texts.TxtOptions(), kItemCharSize, kFieldTextWidth);
    FitCaption(m_soundCaption, texts.TxtSoundVolume(), kItemCharSize, kFieldTextWidth);
    FitCaption(m_musicCaption, texts.TxtMusicVolume(), kItemCharSize, kFieldTextWidth);
    FitCaption(m_languageCaption, texts.TxtLanguage(), kItemCharSize, kFieldTextWidth);
    FitCaption(m_english, texts.TxtEnglish(), kItemCharSize, kPairItemWidth);
    FitCaption(m_swedish, texts.TxtSwedish(), kItemCharSize, kPairItemWidth);
    FitCaption(m_back, texts.TxtGoBack(), kItemCharSize, kFieldTextWidth);
    const std::string server = LoadServerSetting();
    FitCaption(m_server, (std::string(texts.TxtServerColon()) + (server.empty() ? texts.TxtServerNone() : server)).c_str(),
               kServerCharSize, kFieldTextWidth);
}

void CGuiOptions::MarkLanguage() {
    const bool swedish = CLanguage::Get().GetLanguage() == kLanguageSwedish;
    const GuiColour plain;
    const GuiColour& english = swedish ? plain : kChosenItemColour;
    const GuiColour& svenska = swedish ? kChosenItemColour : plain;
    m_english.SetColour(english.r, english.g, english.b, english.a);
    m_swedish.SetColour(svenska.r, svenska.g, svenska.b, svenska.a);
}

// The choice is written to "language.dat" and this screen speaks it at once; every screen
// built afterwards does too.
void CGuiOptions::ChooseLanguage(uint32_t language) {
    CLanguage::Get().SetLanguage(language);
    SetTexts();
    MarkLanguage();
}

void CGuiOptions::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandSoundVolume:
            CSoundBass::Get().SetSampleVolume(SliderVolume(m_soundSlider.Value()));
            break;
        case kCommandMusicVolume:
            CSoundBass::Get().SetMusicVolume(SliderVolume(m_musicSlider.Value()));
            break;
        case kCommandLanguageEnglish:
            ChooseLanguage(kLanguageEnglish);
            break;
        case kCommandLanguageSwedish:
            ChooseLanguage(kLanguageSwedish);
            break;
        case kStateMainMenu:
            BackToMainMenu();
            break;
        case kStateServerAddress:
            GoToScreen(kStateServerAddress);
            break;
        default:
            break;
    }
}

bool CGuiOptions::OnEscape() {
    BackToMainMenu();
    return true;
}

void CGuiOptions::ShutdownScreen() {
    CSoundBass::Get().File_SaveConfig();
}
