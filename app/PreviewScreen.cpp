#include "app/PreviewScreen.h"

#include "AtlasRegions.h"
#include "engine/Engine.h"
#include "app/Globals.h"
#include "core/Log.h"
#include "core/Random.h"
#include "app/SoundEvents.h"
#include "game/GameSounds.h"
#include "game/GameTexts.h"
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

// The scene.
constexpr float kFrameX = 64.0f, kFrameY = 2.0f;
constexpr float kBorderX = 157.0f;
constexpr float kBorderHeight = 32.0f;
constexpr float kBottomY = 450.0f;
constexpr float kBottomWidth = 320.0f;

// The HUD.
constexpr float kButtonY = 5.0f;
constexpr float kButtonX[3] = {536.0f, 568.0f, 600.0f};           // pause, menu, exit
constexpr float kButtonSize = static_cast<float>(Atlas::kButtonPause.width);
const Atlas::Region* const kButtonRegion[3] = {&Atlas::kButtonPause, &Atlas::kButtonMenu, &Atlas::kButtonExit};
constexpr float kTooltipX = 583.0f;
constexpr float kLabelY = 425.0f;
constexpr float kLevelLabelX = 583.0f;
constexpr float kNameLabelX = 58.0f;
constexpr const char* kPlayerName = "Preview";
constexpr float kScoreRight = 474.0f, kScoreY = 417.0f;

// The art card and its slider.
constexpr float kCardLeft = 80.0f, kCardTop = 56.0f, kCardWidth = 480.0f, kCardHeight = 306.0f;
constexpr float kSliderX = 296.0f, kSliderY = 262.0f;
constexpr float kSliderEnd = static_cast<float>(Atlas::kSliderLeftStrip.width);
constexpr float kSliderHeight = static_cast<float>(Atlas::kSliderMiddleStrip.height);
constexpr float kSliderTrack = 230.0f;
constexpr float kKnobSize = static_cast<float>(Atlas::kSliderKnobStrip.width);
static_assert(Atlas::kSliderRightStrip.width == Atlas::kSliderLeftStrip.width, "the slider's ends are alike");

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
        CLog::Get().Write("CPreviewScreen::Init FAILED, picture: %s", name);
        return false;
    }
    sprite.SetBlend(blend);
    return true;
}

// A picture of its own cut into the frames of its region.
bool LoadPicture(CSprite& sprite, const Atlas::Region& strip, bool blend) {
    if (!LoadPicture(sprite, strip.texture, blend)) {
        return false;
    }
    sprite.SetFrameSize(static_cast<float>(strip.width), static_cast<float>(strip.height));
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

bool CPreviewScreen::Init() {
    LoadSceneSprites();
    BuildPlayfieldSprites();
    BuildHudSprites();
    m_playfield.SetListener(this);
    // A new player's difficulty: no idle countdown to hurry someone who is only looking.
    m_playfield.SetDifficulty(kDefaultDifficulty);
    SetPopUpFont(m_playfield, &CFont::Third());
    m_playfield.PopUps().SetColour(1.0f, 0.92f, 0.45f);
    InstallSoundEventHandler();
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kCursorBottom);
    m_playfield.Progress().ResetForNewGame();
    m_playfield.Stats().ZeroAll();
    m_hasLevel = StartLevel(1);
    return true;
}

void CPreviewScreen::LoadSceneSprites() {
    LoadPicture(m_background, "bakgrund", false);
    LoadPicture(m_frame, "stolpar", true);
    LoadPicture(m_border, "border", true);
    LoadPicture(m_bottom, "bottom", false);
    LoadPicture(m_dark, "dark", true);
    LoadPicture(m_title, "logga", true);
    if (LoadPicture(m_studioMark, "qvt_logo", false)) {
        m_studioMark.SetSize(160.0f, 120.0f);
    }
    LoadPicture(m_sliderLeft, Atlas::kSliderLeftStrip, true);
    if (LoadPicture(m_sliderMiddle, Atlas::kSliderMiddleStrip, true)) {
        m_sliderMiddle.SetSize(kSliderTrack, kSliderHeight);   // uniform across, so it stretches
    }
    LoadPicture(m_sliderRight, Atlas::kSliderRightStrip, true);
    LoadPicture(m_sliderKnob, Atlas::kSliderKnobStrip, true);
    m_background.SetPos(0.0f, 0.0f);
    m_frame.SetPos(kFrameX, kFrameY);
}

void CPreviewScreen::BuildPlayfieldSprites() {
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

void CPreviewScreen::BuildHudSprites() {
    for (int32_t button = 0; button < kButtonCount; ++button) {
        CutRegion(m_buttons[button], *kButtonRegion[button]);
        m_buttons[button].SetPos(kButtonX[button], kButtonY);
    }
    CutRegion(m_lifeIcon, Atlas::kLife);
    m_lifeIcon.SetCentered();
    m_lifeIcon.SetPos(34.0f, 22.0f);
}

void CPreviewScreen::Shutdown() {
    SetGameSoundHandler(nullptr, nullptr);
    SetPopUpFont(m_playfield, nullptr);
    m_playfield.SetListener(nullptr);
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
    m_balls.Clear();
}

// ---------------------------------------------------------------- levels

bool CPreviewScreen::StartLevel(int32_t levelNumber) {
    m_levelNumber = levelNumber;
    g_levelFileName = std::to_string(levelNumber) + ".lvl";
    if (!m_playfield.LoadLevelFile(g_levelFileName)) {
        if (levelNumber == 1) {
            CLog::Get().Write("CPreviewScreen::StartLevel FAILED, file: %s", g_levelFileName.c_str());
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

void CPreviewScreen::ApplyLevelRequest() {
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

void CPreviewScreen::Update(float dt) {
    const CMouseCursor& cursor = CMouseCursor::Get();
    m_hoveredButton = ButtonAt(cursor.GetX(), cursor.GetY());
    if (m_cardShown) {
        UpdateCard();
        return;
    }
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

void CPreviewScreen::UpdatePlay(float dt) {
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

void CPreviewScreen::UpdateCard() {
    const CInput& input = CInput::Get();
    const CMouseCursor& cursor = CMouseCursor::Get();
    if (m_draggingKnob) {
        m_draggingKnob = input.MouseButtonDown(kMouseLeft);
        SetVolumeFromCursor(cursor.GetX());
        if (!m_draggingKnob) {
            // The new volume, heard once.
            PlayGameSound(EGameSound::BallStick);
        }
        return;
    }
    if (input.MouseButtonHit(kMouseLeft) && IsOverSlider(cursor.GetX(), cursor.GetY())) {
        m_draggingKnob = true;
        SetVolumeFromCursor(cursor.GetX());
        return;
    }
    if (input.MouseButtonHit(kMouseLeft) && m_hoveredButton == kButtonExit) {
        PressButton(kButtonExit);
        return;
    }
    if (input.MouseButtonHit(kMouseLeft) || input.MouseButtonHit(kMouseRight)) {
        m_cardShown = false;
        PlayGameSound(EGameSound::MenuExecuteItem);
    }
}

void CPreviewScreen::PressButton(int32_t button) {
    PlayGameSound(EGameSound::MenuExecuteItem);
    switch (button) {
        case kButtonPause:
            m_paused = true;
            break;
        case kButtonMenu:
            m_cardShown = true;
            break;
        case kButtonExit:
            CEngine::Get().Quit();
            break;
        default:
            break;
    }
}

int32_t CPreviewScreen::ButtonAt(float x, float y) const {
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

bool CPreviewScreen::IsOverSlider(float x, float y) const {
    return x >= kSliderX && x < kSliderX + 2.0f * kSliderEnd + kSliderTrack && y >= kSliderY && y < kSliderY + kSliderHeight;
}

void CPreviewScreen::SetVolumeFromCursor(float x) {
    const float fraction = std::clamp((x - kSliderX - kSliderEnd) / kSliderTrack, 0.0f, 1.0f);
    CSoundBass::Get().SetSampleVolume(static_cast<int32_t>(fraction * 100.0f + 0.5f));
}

// ---------------------------------------------------------------- drawing

void CPreviewScreen::Render() {
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
    if (m_cardShown) {
        RenderCard();
    }
}

void CPreviewScreen::RenderScene() {
    m_background.Draw();
    m_frame.Draw();
    // The ceiling: two bars stacked over the field's top line, moving down with it.
    const float shakeX = m_playfield.ShakeOffsetX();
    const float shakeY = m_playfield.ShakeOffsetY();
    const float top = m_playfield.Board().Origin().y;
    m_border.SetPos(kBorderX + shakeX, top - kBorderHeight + shakeY);
    m_border.Draw();
    m_border.SetPos(kBorderX + shakeX, top - 2.0f * kBorderHeight + shakeY);
    m_border.Draw();
    m_bottom.SetPos(0.0f, kBottomY);
    m_bottom.Draw();
    m_bottom.SetPos(kBottomWidth, kBottomY);
    m_bottom.Draw();
}

void CPreviewScreen::RenderHud() {
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
    switch (m_hoveredButton) {
        case kButtonPause:
            mainFont.PrintCentered("Pause Game", kTooltipX, 50.0f);
            break;
        case kButtonMenu:
            mainFont.PrintCentered(m_cardShown ? "Back to the" : "About this", kTooltipX, 50.0f);
            mainFont.PrintCentered(m_cardShown ? "game" : "preview", kTooltipX, 70.0f);
            break;
        case kButtonExit:
            mainFont.PrintCentered("Exit Game", kTooltipX, 50.0f);
            break;
        default:
            break;
    }

    // Level and player along the bottom.
    mainFont.SetCharSize(24, 24);
    std::snprintf(text, sizeof(text), "%s%d", GameText(EGameText::Level), m_levelNumber);
    mainFont.PrintCentered(text, kLevelLabelX, kLabelY);
    mainFont.PrintCentered(kPlayerName, kNameLabelX, kLabelY);

    if (m_extraLifeBanner > 0.0f) {
        mainFont.SetCharSize(32, 32);
        gfx.Color(1.0f, 1.0f, 0.0f, std::min(m_extraLifeBanner, 1.0f));
        mainFont.PrintCentered("EXTRA LIFE", 320.0f, 334.0f);
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
void CPreviewScreen::DrawDarkPanel(float left, float top, float width, float height) {
    m_dark.SetSize(width, height);
    m_dark.SetPos(left, top);
    m_dark.Draw();
    m_dark.Draw();
}

void CPreviewScreen::RenderPausePanel() {
    DrawDarkPanel(110.0f, 140.0f, 420.0f, 120.0f);
    CFont& mainFont = CFont::Main();
    mainFont.ResetCharSize();
    PrintShadowed(mainFont, "PAUSED", 320.0f - static_cast<float>(mainFont.Measure("PAUSED") / 2), 160.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    mainFont.SetCharSize(18, 18);
    const char* resume = "PRESS MOUSE BUTTON TO RESUME GAME";
    PrintShadowed(mainFont, resume, 320.0f - static_cast<float>(mainFont.Measure(resume) / 2), 214.0f, 1.0f, 0.9f, 0.5f, 1.0f);
    mainFont.ResetCharSize();
}

void CPreviewScreen::RenderCard() {
    DrawDarkPanel(kCardLeft, kCardTop, kCardWidth, kCardHeight);
    m_title.SetPos(120.0f, kCardTop + 14.0f);
    m_title.Draw();
    m_studioMark.SetPos(kCardLeft + 30.0f, 176.0f);
    m_studioMark.Draw();

    const CFont& smallFont = CFont::Small();
    const float textX = kSliderX;
    PrintShadowed(smallFont, "A preview of Pellora:", textX, 170.0f, 1.0f, 0.9f, 0.5f, 1.0f);
    PrintShadowed(smallFont, "the real field, shots and", textX, 190.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    PrintShadowed(smallFont, "levels. Menus come later.", textX, 208.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    char text[48];
    std::snprintf(text, sizeof(text), "Sound effects: %d %%", CSoundBass::Get().GetSampleVolume());
    PrintShadowed(smallFont, text, textX, 240.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    const CMouseCursor& cursor = CMouseCursor::Get();
    const float fraction = static_cast<float>(CSoundBass::Get().GetSampleVolume()) / 100.0f;
    RenderSlider(kSliderX, kSliderY, fraction, m_draggingKnob || IsOverSlider(cursor.GetX(), cursor.GetY()));
    const char* back = "Click anywhere else to return to the game";
    PrintShadowed(smallFont, back, 320.0f - static_cast<float>(smallFont.Measure(back) / 2), 326.0f, 0.8f, 0.9f, 1.0f, 1.0f);
}

void CPreviewScreen::RenderSlider(float x, float y, float fraction, bool hovered) {
    const int32_t frame = hovered ? 1 : 0;
    m_sliderLeft.SetFrame(frame);
    m_sliderLeft.SetPos(x, y);
    m_sliderLeft.Draw();
    m_sliderMiddle.SetFrame(frame);
    m_sliderMiddle.SetPos(x + kSliderEnd, y);
    m_sliderMiddle.Draw();
    m_sliderRight.SetFrame(frame);
    m_sliderRight.SetPos(x + kSliderEnd + kSliderTrack, y);
    m_sliderRight.Draw();
    m_sliderKnob.SetFrame(frame);
    m_sliderKnob.SetPos(x + kSliderEnd + fraction * kSliderTrack - kKnobSize * 0.5f, y + (kSliderHeight - kKnobSize) * 0.5f);
    m_sliderKnob.Draw();
}
