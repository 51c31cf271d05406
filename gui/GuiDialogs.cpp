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
    m_title.SetFontSize(24, 24);
    m_title.SetText("CHOOSE LANGUAGE / V\xC4LJ SPR\xC5K");
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

bool CGuiEnterName::InitScreen() {
    m_name.clear();
    m_caretTimer = 0.0f;
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    StyleItem(m_title, texts.TxtEnterPlayerName(), kCentreX, 80);
    AddWidget(&m_title)->SlideIn(0.0f, -150.0f, 0.3f);
    m_nameLabel.CopyStyle(m_title);
    m_nameLabel.StopSlide();
    m_nameLabel.Move(0, 80);
    m_nameLabel.SetText("");
    AddWidget(&m_nameLabel);
    m_hasCancel = GetPlayerCount() > 0;
    if (m_hasCancel) {
        StyleItem(m_cancel, texts.TxtCancel(), 240, 395);
        m_cancel.SetCommand(kCommandLeave);
        AddWidget(&m_cancel)->SlideIn(0.0f, 200.0f, 0.4f);
        StyleItem(m_ok, texts.TxtOk(), 400, 395);
    } else {
        StyleItem(m_ok, texts.TxtOk(), kCentreX, 395);
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
constexpr int32_t kGridRowStep = 36;
constexpr int32_t kGridColumnStep = 34;
constexpr int32_t kGridLetterSize = 26;
}  // namespace

void CGuiEnterName::BuildGrid() {
    const CLanguage& texts = CLanguage::Get();
    for (int32_t i = 0; i < kGridKeys; ++i) {
        CGuiButton& key = m_grid[i];
        int32_t x = kCentreX + (i % kGridColumns) * kGridColumnStep - (kGridColumns - 1) * kGridColumnStep / 2;
        int32_t y = kGridTop + (i / kGridColumns) * kGridRowStep;
        if (i >= kGridLetters) {
            // Space and delete share the row under the letters.
            x = i == kGridLetters ? kCentreX - 90 : kCentreX + 90;
            y = kGridTop + 3 * kGridRowStep + 8;
        }
        StyleItem(key, "", x, y);
        key.SetFontSize(kGridLetterSize, kGridLetterSize);
        key.SetText(i == kGridLetters ? texts.TxtGridSpace() : (i == kGridLetters + 1 ? texts.TxtGridDelete() : "A"));
        key.SetCommand(kCommandGridKey + i);
        key.SetVisible(false);
        AddWidget(&key);
    }
    m_gridShown = false;
    RefreshGridCase();
    // Reached with a pad, the grid is there from the start.
    if (CInput::Get().LastDevice() == EInputDevice::Pad) {
        ShowGrid();
    }
}

void CGuiEnterName::ShowGrid() {
    m_gridShown = true;
    for (CGuiButton& key : m_grid) {
        key.SetVisible(true);
    }
}

void CGuiEnterName::RefreshGridCase() {
    const bool capital = m_name.empty() || m_name.back() == ' ';
    for (int32_t i = 0; i < kGridLetters; ++i) {
        const char capitalLetter = kGridCapitals[i];
        // Windows-1252 has each small letter 32 above its capital, \xE5 \xE4 \xF6 too.
        const char text[2] = {capital ? capitalLetter : static_cast<char>(capitalLetter + 32), '\0'};
        m_grid[i].SetText(text);
    }
}

void CGuiEnterName::PressGridKey(int32_t index) {
    if (index < kGridLetters) {
        const bool capital = m_name.empty() || m_name.back() == ' ';
        const char letter = kGridCapitals[index];
        OnChar(static_cast<uint8_t>(capital ? letter : static_cast<char>(letter + 32)));
    } else if (index == kGridLetters) {
        OnChar(' ');
    } else {
        OnChar(8);
    }
}

void CGuiEnterName::OnChar(int32_t code) {
    if (code == '\'' || code == '"') {
        return;
    }
    if (code >= 32 && code <= 255 && static_cast<int32_t>(m_name.size()) < kMaxNameLength) {
        m_name.push_back(static_cast<char>(code));
    }
    if (m_name.empty()) {
        RefreshName();
        return;
    }
    if (code == 8) {
        m_name.pop_back();
    } else if (code == 13) {
        OnMessage(kCommandOk, 0);
    }
    RefreshName();
}

void CGuiEnterName::RefreshName() {
    CFont& font = CFont::Main();
    font.ResetCharSize();
    m_nameWidth = font.Measure(m_name.c_str());
    m_nameLabel.SetText(m_name.c_str());
    RefreshGridCase();
}

void CGuiEnterName::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId >= kCommandGridKey && messageId < kCommandGridKey + kGridKeys) {
        PressGridKey(messageId - kCommandGridKey);
        return;
    }
    switch (messageId) {
        case kCommandLeave:
            BackToMainMenu();
            break;
        case kCommandOk:
            if (!m_name.empty() && CreatePlayer(m_name.c_str()) != nullptr) {
                SavePlayers();
                BackToMainMenu();
            }
            break;
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
    if (!m_gridShown && CInput::Get().LastDevice() == EInputDevice::Pad) {
        ShowGrid();
    }
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
    font.Print("|", static_cast<float>(kCentreX + m_nameWidth / 2), 160.0f);
}

// ---------------------------------------------------------------- player selection

bool CGuiPlayer::InitScreen() {
    g_levelFileName = "1.lvl";
    LimitCursor();
    PrepareBackdrop();
    const CLanguage& texts = CLanguage::Get();
    StyleItem(m_title, texts.TxtSelectPlayer(), kCentreX, 40);
    AddWidget(&m_title)->SlideIn(0.0f, -100.0f, 0.2f);

    const int32_t shown = std::min(GetPlayerCount(), kMaxShownPlayers);
    const CGuiWidget* above = &m_title;
    for (int32_t i = 0; i < shown; ++i) {
        NextItem(m_names[i], *above, GetPlayer(i)->name, 32);
        m_names[i].SetCommand(i);
        AddWidget(&m_names[i])->SlideIn(i % 2 == 0 ? -400.0f : 400.0f, 0.0f, 0.2f + 0.05f * static_cast<float>(i));
        above = &m_names[i];
    }
    // The duration the next name would have had.
    const float seconds = 0.2f + 0.05f * static_cast<float>(shown);
    m_back.CopyStyle(*above);
    m_back.SetCommand(g_returnScreen);
    m_hasAddPlayer = shown < kMaxShownPlayers && GetPlayerCount() < kMaxShownPlayers;
    if (m_hasAddPlayer) {
        m_back.SetPos(240, 395);
        m_back.SetText(texts.TxtGoBack());
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
        m_addPlayer.CopyStyle(m_back);
        m_addPlayer.SetPos(400, 395);
        m_addPlayer.SetText(texts.TxtAddPlayer());
        m_addPlayer.SetCommand(kStateEnterName);
        AddWidget(&m_addPlayer)->SlideIn(400.0f, 0.0f, seconds + 0.1f);
    } else {
        m_back.SetPos(kCentreX, 395);
        m_back.SetText(texts.TxtGoBack());
        AddWidget(&m_back)->SlideIn(-400.0f, 0.0f, seconds);
    }
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
    StyleItem(m_back, texts.TxtGoBack(), kCentreX, 395);
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
