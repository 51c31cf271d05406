#include "app/PlayScreen.h"

#include "AtlasRegions.h"
#include "engine/Engine.h"
#include "app/Globals.h"
#include "core/Log.h"
#include "core/Random.h"
#include "app/SoundEvents.h"
#include "game/GameSounds.h"
#include "game/GameTexts.h"
#include "gui/ScreenFlow.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "platform/Sound.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {
// The field can be aimed at down to this line; the launcher sits below it.
constexpr float kCursorBottom = 370.0f;

// The HUD.
constexpr float kButtonY = 5.0f;
constexpr float kButtonX[3] = {536.0f, 568.0f, 600.0f};           // pause, menu, exit
constexpr float kButtonSize = static_cast<float>(Atlas::kButtonPause.width);
const Atlas::Region* const kButtonRegion[3] = {&Atlas::kButtonPause, &Atlas::kButtonMenu, &Atlas::kButtonExit};
constexpr float kTooltipX = 583.0f;
constexpr float kLabelY = 425.0f;
constexpr float kLevelLabelX = 583.0f;
constexpr float kNameLabelX = 58.0f;
constexpr float kScoreRight = 474.0f, kScoreY = 417.0f;

// The launcher is sampled from half a texel inside its left and top edges, which keeps
// the filter off the balls beside and above it in the atlas.
constexpr float kLauncherInset = 0.5f;

// A sprite showing frame 0 of a region of "texpack_face", stepping through the region's
// frame grid.
void CutRegion(CSprite& sprite, const Atlas::Region& region) {
    const Atlas::Uv uv = region.FrameUv(0);
    sprite.LoadRegion(g_texpackFace, static_cast<float>(region.width), static_cast<float>(region.height), uv.left, uv.top,
                      uv.right, uv.bottom);
    sprite.SetFrameGrid(region.columns, region.Rows(), region.FrameU(), region.FrameV());
    sprite.SetBlend(true);
}

// A picture of its own. A picture that does not load keeps the size 0 x 0 and so draws
// nothing.
bool LoadPicture(CSprite& sprite, const char* name, bool blend) {
    if (!sprite.Load(name)) {
        CLog::Get().Write("CPlayScreen::Init FAILED, picture: %s", name);
        return false;
    }
    sprite.SetBlend(blend);
    return true;
}

void PrintShadowed(const CFont& font, const char* text, float x, float y, float r, float g, float b, float a) {
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(0.0f, 0.0f, 0.0f, 0.5f * a);
    font.Print(text, x + 2.0f, y + 2.0f);
    gfx.Color(r, g, b, a);
    font.Print(text, x, y);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
}
}  // namespace

// ---------------------------------------------------------------- set-up

bool CPlayScreen::Init() {
    LoadSceneSprites();
    BuildPlayfieldSprites();
    BuildHudSprites();
    m_playfield.SetListener(this);
    m_playfield.SetDifficulty(g_difficulty);
    SetPopUpFont(m_playfield, &CFont::Third());
    m_playfield.PopUps().SetColour(1.0f, 0.92f, 0.45f);
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kCursorBottom);
    m_playfield.Progress().ResetForNewGame();
    m_playfield.Stats().ZeroAll();
    m_hasLevel = StartLevel(1);
    return true;
}

void CPlayScreen::LoadSceneSprites() {
    m_scene.Load();
    LoadPicture(m_dark, "dark", true);
}

void CPlayScreen::BuildPlayfieldSprites() {
    // Each cell code's ball is a frame of the region its code belongs to.
    m_balls.Clear();
    for (int32_t code = 0; code < BallColour::CodeCount; ++code) {
        const Atlas::Region& region = BallInSpecialsRegion(code) ? Atlas::kSpecials : Atlas::kBalls;
        const Atlas::Uv uv = region.FrameUv(BallAtlasFrame(code));
        m_balls.AddRegion(g_texpackFace, static_cast<float>(region.textureWidth), static_cast<float>(region.textureHeight),
                          static_cast<float>(region.width), static_cast<float>(region.height), uv.left, uv.top, uv.right,
                          uv.bottom);
        m_balls.Get(code).SetBlend(true);
    }
    // The launcher turns about its centre, the pivot.
    const Atlas::Region& launcher = Atlas::kLauncher;
    const Atlas::Uv launcherUv = launcher.FrameUv(0);
    m_launcher.LoadRegion(g_texpackFace, static_cast<float>(launcher.width), static_cast<float>(launcher.height),
                          launcher.U(static_cast<float>(launcher.x) + kLauncherInset),
                          launcher.V(static_cast<float>(launcher.y) + kLauncherInset), launcherUv.right, launcherUv.bottom);
    m_launcher.SetCentered();
    m_launcher.SetBlend(true);
    // Frame 0 the left arrow, frame 1 the right one.
    CutRegion(m_arrow, Atlas::kArrows);
    // A soft glow, centred on the particle and added to what is below.
    CutRegion(m_particle, Atlas::kParticle);
    m_particle.SetSize(16.0f, 16.0f);
    m_particle.SetCentered();
    m_particle.SetBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Digits 0..9.
    CutRegion(m_digits, Atlas::kDigits);

    m_sprites.balls = &m_balls;
    m_sprites.launcher = &m_launcher;
    m_sprites.arrow = &m_arrow;
    m_sprites.particle = &m_particle;
    m_sprites.countdownDigits = &m_digits;
    m_sprites.popUpFont = &CFont::Third();
}

void CPlayScreen::BuildHudSprites() {
    for (int32_t button = 0; button < kButtonCount; ++button) {
        CutRegion(m_buttons[button], *kButtonRegion[button]);
        m_buttons[button].SetPos(kButtonX[button], kButtonY);
    }
    CutRegion(m_lifeIcon, Atlas::kLife);
    m_lifeIcon.SetCentered();
    m_lifeIcon.SetPos(34.0f, 22.0f);
}

void CPlayScreen::Shutdown() {
    SetPopUpFont(m_playfield, nullptr);
    m_playfield.SetListener(nullptr);
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    m_balls.Clear();
}

// ---------------------------------------------------------------- levels

bool CPlayScreen::StartLevel(int32_t levelNumber) {
    m_levelNumber = levelNumber;
    g_levelFileName = std::to_string(levelNumber) + ".lvl";
    if (!m_playfield.LoadLevelFile(g_levelFileName)) {
        if (levelNumber == 1) {
            CLog::Get().Write("CPlayScreen::StartLevel FAILED, file: %s", g_levelFileName.c_str());
            return false;
        }
        // Past the last level of the pack: round again.
        return StartLevel(1);
    }
    RandomSeedWithTime();
    m_playfield.Stats().ZeroLevel();
    m_playfield.StartLevel();
    return true;
}

void CPlayScreen::ApplyLevelRequest() {
    const ELevelRequest request = m_levelRequest;
    m_levelRequest = ELevelRequest::None;
    switch (request) {
        case ELevelRequest::Replay:
            m_hasLevel = StartLevel(m_levelNumber);
            break;
        case ELevelRequest::Next:
            m_hasLevel = StartLevel(m_levelNumber + 1);
            break;
        case ELevelRequest::NewGame:
            m_playfield.Progress().ResetForNewGame();
            m_playfield.Stats().ZeroAll();
            m_hasLevel = StartLevel(1);
            break;
        case ELevelRequest::None:
            break;
    }
}

// ---------------------------------------------------------------- update

bool CPlayScreen::OnEscape() {
    BackToMainMenu();
    return true;
}

void CPlayScreen::Update(float dt) {
    const CMouseCursor& cursor = CMouseCursor::Get();
    m_hoveredButton = ButtonAt(cursor.GetX(), cursor.GetY());
    const CInput& input = CInput::Get();
    const bool anyButtonHit = input.MouseButtonHit(kMouseLeft) || input.MouseButtonHit(kMouseRight) ||
                              input.MouseButtonHit(kMouseMiddle);
    if (m_paused) {
        m_paused = !anyButtonHit && !input.KeyHit(DIK_P);
        return;
    }
    if (input.MouseButtonHit(kMouseLeft) && m_hoveredButton != kNoButton) {
        PressButton(m_hoveredButton);
        return;
    }
    if (input.KeyHit(DIK_P) || input.MouseButtonHit(kMouseMiddle)) {
        m_paused = true;
        return;
    }
    UpdatePlay(dt);
}

void CPlayScreen::UpdatePlay(float dt) {
    if (!m_hasLevel) {
        return;
    }
    const CInput& input = CInput::Get();
    const CMouseCursor& cursor = CMouseCursor::Get();
    PlayInput play;
    play.mouseX = cursor.GetX();
    play.mouseY = cursor.GetY();
    play.mouseMoved = cursor.HasMoved();
    play.fireHit = input.MouseButtonHit(kMouseLeft);
    play.swapHit = input.MouseButtonHit(kMouseRight);
    play.skipHit = play.fireHit || input.MouseButtonHit(kMouseMiddle) || input.KeyHit(DIK_D);
    m_playfield.Update(dt, play);
    if (CheckExtraLife(m_playfield.Progress(), m_playfield.Difficulty())) {
        PlayGameSound(EGameSound::ExtraLife);
        m_extraLifeBanner = 3.0f;
    }
    if (m_extraLifeBanner > 0.0f) {
        m_extraLifeBanner -= dt;
    }
    ApplyLevelRequest();
}

void CPlayScreen::PressButton(int32_t button) {
    PlayGameSound(EGameSound::MenuExecuteItem);
    switch (button) {
        case kButtonPause:
            m_paused = true;
            break;
        case kButtonMenu:
            BackToMainMenu();
            break;
        case kButtonExit:
            LeaveProgram();
            break;
        default:
            break;
    }
}

int32_t CPlayScreen::ButtonAt(float x, float y) const {
    if (y < kButtonY || y >= kButtonY + kButtonSize) {
        return kNoButton;
    }
    for (int32_t button = 0; button < kButtonCount; ++button) {
        if (x >= kButtonX[button] && x < kButtonX[button] + kButtonSize) {
            return button;
        }
    }
    return kNoButton;
}

// ---------------------------------------------------------------- drawing

void CPlayScreen::Render() {
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
    RenderScene();
    if (m_hasLevel) {
        DrawPlayfield(m_playfield, m_sprites);
    } else {
        CFont::Small().PrintCentered("No level could be loaded from the level pack.", 320.0f, 200.0f);
    }
    RenderHud();
    if (m_paused) {
        RenderPausePanel();
    }
}

void CPlayScreen::RenderScene() {
    m_scene.Draw(m_playfield);
}

void CPlayScreen::RenderHud() {
    CGfxOGL& gfx = CGfxOGL::Get();
    CFont& mainFont = CFont::Main();
    char text[32];

    // Lives: the icon, "x" and the count.
    m_lifeIcon.Draw();
    mainFont.SetCharSize(32, 32);
    std::snprintf(text, sizeof(text), "%d", std::max(m_playfield.Progress().lives, 0));
    PrintShadowed(mainFont, "x", 53.0f, 4.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    PrintShadowed(mainFont, text, 74.0f, 4.0f, 1.0f, 1.0f, 1.0f, 1.0f);

    // The buttons, hovered ones in their second frame, and the hovered one's tooltip.
    for (int32_t button = 0; button < kButtonCount; ++button) {
        m_buttons[button].SetFrame(button == m_hoveredButton ? 1 : 0);
        m_buttons[button].Draw();
    }
    mainFont.SetCharSize(22, 22);
    const CLanguage& texts = CLanguage::Get();
    // Tooltips end inside the screen however long the language's words are.
    auto tooltipX = [&mainFont](const char* tip) {
        return std::min(kTooltipX, 636.0f - static_cast<float>(mainFont.Measure(tip) / 2));
    };
    switch (m_hoveredButton) {
        case kButtonPause:
            mainFont.PrintCentered(texts.TxtPauseGame(), tooltipX(texts.TxtPauseGame()), 50.0f);
            break;
        case kButtonMenu:
            mainFont.PrintCentered(texts.TxtGoToThe(), tooltipX(texts.TxtGoToThe()), 50.0f);
            mainFont.PrintCentered(texts.TxtMainMenu(), tooltipX(texts.TxtMainMenu()), 70.0f);
            break;
        case kButtonExit:
            mainFont.PrintCentered(texts.TxtExitGame(), tooltipX(texts.TxtExitGame()), 50.0f);
            break;
        default:
            break;
    }

    // Level and player along the bottom.
    mainFont.SetCharSize(24, 24);
    std::snprintf(text, sizeof(text), "%s%d", GameText(EGameText::Level), m_levelNumber);
    mainFont.PrintCentered(text, kLevelLabelX, kLabelY);
    mainFont.PrintCentered(CurrentPlayerName(), kNameLabelX, kLabelY);

    if (m_extraLifeBanner > 0.0f) {
        mainFont.SetCharSize(32, 32);
        gfx.Color(1.0f, 1.0f, 0.0f, std::min(m_extraLifeBanner, 1.0f));
        mainFont.PrintCentered(CLanguage::Get().TxtExtraLife(), 320.0f, 334.0f);
        gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    }
    mainFont.ResetCharSize();

    // The score in the number font with its shadow, ending at the deck's right corner so
    // that long scores grow towards the launcher instead of into the level label.
    const CFont& numbers = CFont::Third();
    gfx.Color(0.0f, 0.0f, 0.0f, 0.5f);
    numbers.PrintIntRight(m_playfield.Progress().score, kScoreRight + 2.0f, kScoreY + 2.0f);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    numbers.PrintIntRight(m_playfield.Progress().score, kScoreRight, kScoreY);
}

// Two layers of the translucent panel: the field stays visible but no longer competes
// with the text.
void CPlayScreen::DrawDarkPanel(float left, float top, float width, float height) {
    m_dark.SetSize(width, height);
    m_dark.SetPos(left, top);
    m_dark.Draw();
    m_dark.Draw();
}

void CPlayScreen::RenderPausePanel() {
    DrawDarkPanel(110.0f, 140.0f, 420.0f, 120.0f);
    CFont& mainFont = CFont::Main();
    mainFont.ResetCharSize();
    const char* paused = CLanguage::Get().TxtPaused();
    PrintShadowed(mainFont, paused, 320.0f - static_cast<float>(mainFont.Measure(paused) / 2), 160.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    const char* resume = CLanguage::Get().TxtPressToResume();
    // The line fits the panel: smaller letters for a longer text.
    int32_t size = 18;
    mainFont.SetCharSize(size, size);
    while (size > 10 && mainFont.Measure(resume) > 400) {
        --size;
        mainFont.SetCharSize(size, size);
    }
    PrintShadowed(mainFont, resume, 320.0f - static_cast<float>(mainFont.Measure(resume) / 2), 214.0f, 1.0f, 0.9f, 0.5f, 1.0f);
    mainFont.ResetCharSize();
}
