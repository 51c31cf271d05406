#include "gui/GuiHud.h"

#include "AtlasRegions.h"
#include "engine/Engine.h"
#include "game/GameSounds.h"
#include "game/GameTexts.h"
#include "gui/GameMessages.h"
#include "gui/GameSprites.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "profile/Language.h"
#include "profile/Players.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kLabelSize = 24;
constexpr int32_t kLivesSize = 32;
constexpr int32_t kNameWidth = 116;
// "LEVEL nn" stays right of this line, clear of the score that ends left of it.
constexpr int32_t kLevelLabelLeft = 506;
constexpr float kBlinkTime = 0.4f;
constexpr int32_t kBlinkFlips = 10;
constexpr float kBannerTime = 3.0f;
constexpr float kTooltipX = 583.0f;

void MakeButton(CGuiImageButton& button, const Atlas::Region& region, int32_t x, int32_t command) {
    const Atlas::Uv uv = region.FrameUv(0);
    button.LoadRegion(FaceTexture(), static_cast<float>(region.width), static_cast<float>(region.height), uv.left, uv.top,
                      uv.right, uv.bottom, region.columns, region.FrameU(), region.FrameV());
    button.SetPos(x, 5);
    button.SetCommand(command);
}
}  // namespace

bool CGuiHud::InitScreen() {
    m_blinking = false;
    m_bannerTime = -1.0f;
    MakeButton(m_exitButton, Atlas::kButtonExit, 600, kCommandExitGame);
    MakeButton(m_menuButton, Atlas::kButtonMenu, 568, kStateMainMenu);
    MakeButton(m_pauseButton, Atlas::kButtonPause, 536, kCommandPauseGame);

    m_levelLabel.SetFont(&CFont::Main());
    m_levelLabel.SetFontSize(kLabelSize, kLabelSize);
    m_levelLabel.SetHoverColour(1.0f, 1.0f, 1.0f, 1.0f);
    m_levelLabel.AlignCentre();
    m_levelLabel.SetPos(583, 425);
    m_levelLabel.SetText("");

    m_nameLabel.CopyStyle(m_levelLabel);
    m_nameLabel.SetPos(58, 425);
    m_nameLabel.SetText(CurrentPlayerName());
    for (int32_t size = kLabelSize - 1; m_nameLabel.TextWidth() > kNameWidth && size > 1; --size) {
        m_nameLabel.SetFontSize(size, size);
    }

    m_livesMark.CopyStyle(m_levelLabel);
    m_livesMark.SetFontSize(kLivesSize, kLivesSize);
    m_livesMark.AlignLeft();
    m_livesMark.SetPos(53, 4);
    m_livesMark.SetText("x");
    m_livesLabel.CopyStyle(m_livesMark);
    m_livesLabel.SetPos(74, 4);
    m_livesLabel.SetText("0");

    CGuiWidget* const widgets[] = {&m_exitButton, &m_menuButton, &m_pauseButton, &m_levelLabel,
                                   &m_nameLabel,  &m_livesMark,  &m_livesLabel};
    for (CGuiWidget* widget : widgets) {
        widget->StopSlide();
        AddWidget(widget);
    }

    const Atlas::Region& life = Atlas::kLife;
    const Atlas::Uv uv = life.FrameUv(0);
    m_lifeIcon.LoadRegion(FaceTexture(), static_cast<float>(life.width), static_cast<float>(life.height), uv.left, uv.top,
                          uv.right, uv.bottom);
    m_lifeIcon.SetBlend(true);
    m_lifeIcon.SetCentered();
    m_lifeIcon.SetPos(34.0f, 22.0f);
    ShowLives();
    return true;
}

void CGuiHud::ShowLives() {
    m_livesLabel.SetNumber(std::max(m_progress.lives, 0));
}

void CGuiHud::RefreshLevel(int32_t levelNumber) {
    const std::string text = std::string(CLanguage::Get().TxtLevel()) + std::to_string(levelNumber);
    m_levelLabel.SetFontSize(kLabelSize, kLabelSize);
    m_levelLabel.SetText(text.c_str());
    // A long word for "LEVEL" in some language shrinks rather than reaching the score.
    for (int32_t size = kLabelSize - 1; m_levelLabel.X() - m_levelLabel.TextWidth() / 2 < kLevelLabelLeft && size > 1;
         --size) {
        m_levelLabel.SetFontSize(size, size);
    }
}

void CGuiHud::OnMessage(int32_t messageId, int32_t parameter) {
    switch (messageId) {
        case kMessageLevelStart:
            ShowLives();
            break;
        case kMessageLifeLost:
            ShowLives();
            m_blinking = true;
            m_blinkPhase = false;
            m_blinkTime = 0.0f;
            m_blinkCount = 0;
            m_livesMark.SetVisible(false);
            m_livesLabel.SetVisible(false);
            break;
        case kMessageBackToEditor:
            CEngine::Get().SetUpperState(kStateEmpty);
            CEngine::Get().SetLowerState(kStateEditor);
            break;
        default:
            break;
    }
    CGuiState::OnMessage(messageId, parameter);
}

void CGuiHud::UpdateScreen(float dt) {
    if (m_blinking) {
        m_blinkTime += dt;
        if (m_blinkTime >= kBlinkTime) {
            m_blinkTime -= kBlinkTime;
            m_blinkPhase = !m_blinkPhase;
            m_livesMark.SetVisible(m_blinkPhase);
            m_livesLabel.SetVisible(m_blinkPhase);
            ++m_blinkCount;
            if (m_blinkCount > kBlinkFlips) {
                m_blinking = false;
                m_livesMark.SetVisible(true);
                m_livesLabel.SetVisible(true);
            }
        }
    }
    if (m_progress.extraLifeWon != 0) {
        ShowLives();
        PlayGameSound(EGameSound::ExtraLife);
        m_bannerTime = kBannerTime;
        m_progress.extraLifeWon = 0;
    }
    if (m_bannerTime > 0.0f) {
        m_bannerTime -= dt;
    }
}

void CGuiHud::PrintTooltip(const char* text, float y) const {
    const CFont& font = CFont::Main();
    // The tooltip ends inside the screen however long the language's words are.
    const float x = std::min(kTooltipX, 636.0f - static_cast<float>(font.Measure(text) / 2));
    font.PrintCentered(text, x, y);
}

void CGuiHud::RenderHud() {
    if (!(m_blinking && !m_blinkPhase)) {
        m_lifeIcon.Draw();
    }
    CGfxOGL& gfx = CGfxOGL::Get();
    CFont& font = CFont::Main();
    if (m_bannerTime > 0.0f) {
        gfx.Color(1.0f, 1.0f, 0.0f, std::min(m_bannerTime, 1.0f));
        font.SetCharSize(32, 32);
        font.PrintCentered(CLanguage::Get().TxtExtraLife(), 320.0f, 334.0f);
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    font.SetCharSize(22, 22);
    const CLanguage& texts = CLanguage::Get();
    const CGuiWidget* hovered = IsActive() ? HoveredWidget() : nullptr;
    if (hovered == &m_pauseButton) {
        PrintTooltip(texts.TxtPauseGame(), 50.0f);
    } else if (hovered == &m_menuButton) {
        PrintTooltip(texts.TxtGoToThe(), 50.0f);
        PrintTooltip(texts.TxtMainMenu(), 70.0f);
    } else if (hovered == &m_exitButton) {
        PrintTooltip(texts.TxtExitGame(), 50.0f);
    }
    font.ResetCharSize();
}
