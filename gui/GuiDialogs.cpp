#include "gui/GuiDialogs.h"

#include "engine/Engine.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Sound.h"
#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"

#include <cmath>

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
    m_caretTimer = 0.0f;
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
    RefreshName();
    ForgetHighscoreRank();
    return true;
}

void CGuiEnterName::OnChar(int32_t code) {
    if (code == '\'' || code == '"') {
        return;
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
    FitCaption(m_nameLabel, m_name.c_str(), kItemCharSize, kFieldTextWidth - kCaretSpace);
    m_nameWidth = m_nameLabel.TextWidth();
}

void CGuiEnterName::OnMessage(int32_t messageId, int32_t parameter) {
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
    m_caretTimer += dt;
    if (m_caretTimer >= 1.0f) {
        m_caretTimer -= 1.0f;
    }
}

void CGuiEnterName::RenderForeground() {
    if (!IsCaretShown()) {
        return;
    }
    CFont& font = CFont::Main();
    font.ResetCharSize();
    font.Print("|", static_cast<float>(kCentreX + m_nameWidth / 2), static_cast<float>(m_nameLabel.Y()));
}

// ---------------------------------------------------------------- player selection

bool CGuiPlayer::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    StyleFittedItem(m_title, texts.TxtSelectPlayer(), kCentreX, 40);
    AddWidget(&m_title)->SlideIn(0.0f, -100.0f, 0.2f);

    // Nine names fit between the title and the bottom row.
    const int32_t shown = std::min(GetPlayerCount(), kMaxShownPlayers);
    for (int32_t i = 0; i < shown; ++i) {
        StyleFittedItem(m_names[i], GetPlayer(i)->name, kCentreX, kFirstNameY + kNameSpacing * i);
        m_names[i].SetCommand(i);
        AddWidget(&m_names[i])->SlideIn(i % 2 == 0 ? -400.0f : 400.0f, 0.0f, 0.2f + 0.05f * static_cast<float>(i));
    }
    // The duration the next name would have had.
    const float seconds = 0.2f + 0.05f * static_cast<float>(shown);
    m_hasAddPlayer = shown < kMaxShownPlayers && GetPlayerCount() < kMaxShownPlayers;
    if (m_hasAddPlayer) {
        StyleFittedItem(m_back, texts.TxtGoBack(), kLeftItemX, kBottomItemY, kPairItemWidth);
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
        StyleFittedItem(m_addPlayer, texts.TxtAddPlayer(), kRightItemX, kBottomItemY, kPairItemWidth);
        m_addPlayer.SetCommand(kStateEnterName);
        AddWidget(&m_addPlayer)->SlideIn(400.0f, 0.0f, seconds + 0.1f);
    } else {
        StyleFittedItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
    }
    m_back.SetCommand(g_returnScreen);
    return true;
}

void CGuiPlayer::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId >= 0 && messageId < kMaxShownPlayers) {
        PlayerRecord* const player = GetPlayer(messageId);
        if (player != nullptr) {
            SetCurrentPlayer(player);
            GoToLowerScreen(g_returnScreen);
        }
        return;
    }
    if (messageId == kStateMainMenu || messageId == kStateHostJoinMenu || messageId == kStateEnterName) {
        GoToLowerScreen(messageId);
    }
}

bool CGuiPlayer::OnEscape() {
    GoToLowerScreen(g_returnScreen);
    return true;
}

// ---------------------------------------------------------------- options

int32_t SliderVolume(float value) {
    return static_cast<int32_t>(std::lround(value));
}

bool CGuiOptions::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    const CSoundBass& sound = CSoundBass::Get();
    StyleItem(m_title, texts.TxtOptions(), kCentreX, 50);
    NextItem(m_soundCaption, m_title, texts.TxtSoundVolume(), 60);
    m_soundSlider.CopyStyle(m_soundCaption);
    m_soundSlider.LoadPieces();
    m_soundSlider.Move(0, 40);
    m_soundSlider.SetCommand(kCommandSoundVolume);
    m_soundSlider.SetValue(static_cast<float>(sound.GetSampleVolume()));
    NextItem(m_musicCaption, m_soundSlider, texts.TxtMusicVolume(), 40);
    m_musicSlider.CopyStyle(m_musicCaption);
    m_musicSlider.LoadPieces();
    m_musicSlider.Move(0, 40);
    m_musicSlider.SetCommand(kCommandMusicVolume);
    m_musicSlider.SetValue(static_cast<float>(sound.GetMusicVolume()));
    StyleFittedItem(m_back, texts.TxtGoBack(), kCentreX, kBottomItemY);
    m_back.SetCommand(kStateMainMenu);

    AddWidget(&m_title)->SlideIn(0.0f, -500.0f, 0.6f);
    AddWidget(&m_soundCaption)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_soundSlider)->SlideIn(-400.0f, 0.0f, 0.4f);
    AddWidget(&m_musicCaption)->SlideIn(400.0f, 0.0f, 0.4f);
    AddWidget(&m_musicSlider)->SlideIn(400.0f, 0.0f, 0.4f);
    AddWidget(&m_back)->SlideIn(0.0f, 500.0f, 0.6f);
    return true;
}

void CGuiOptions::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kCommandSoundVolume:
            CSoundBass::Get().SetSampleVolume(SliderVolume(m_soundSlider.Value()));
            break;
        case kCommandMusicVolume:
            CSoundBass::Get().SetMusicVolume(SliderVolume(m_musicSlider.Value()));
            break;
        case kStateMainMenu:
            BackToMainMenu();
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
