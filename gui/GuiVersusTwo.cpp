// The match of two players at one machine: both fields full size in a wider picture, each
// side played by its own device; a pulled-out controller stops the match until a device
// takes its side, and Escape asks before it ends the match.
#include "gui/GuiVersus.h"

#include "core/Log.h"
#include "gui/GuiArt.h"
#include "gui/OutlinedText.h"
#include "gui/ScreenFlow.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Language.h"

#include <cstdio>

namespace {
constexpr float kCentreLeft = kWideFieldWidth;
constexpr float kCentreWidth = kWidePictureWidth - 2.0f * kWideFieldWidth;
constexpr float kCentreX = kCentreLeft + kCentreWidth / 2.0f;
constexpr float kIncomingX = 222.0f;
constexpr float kIncomingY = 412.0f;
// The panel's lines over the whole picture's middle.
constexpr float kPanelTitleY = 170.0f;
constexpr float kPanelLineY = 214.0f;
constexpr float kPanelHintY = 256.0f;
constexpr int32_t kPanelWidth = 500;
// The middle, behind the two fields' pillars: the background's left part, pixel for pixel.
constexpr float kPillarLeftInScene = 0.0f;
constexpr float kPillarWidthInScene = kCentreWidth;
}  // namespace

// The frame as the game draws it, cut to the pillar beside each field's inner edge (with the
// edge itself): the pillars of the two fields meet in the middle of the picture. Only the
// strips are drawn, not the whole frame over the field, which the software renderer
// would blend for nothing.
void CGuiVersus::LoadFramePillars() {
    constexpr float kEdgeInField = 12.0f;
    for (int32_t side = 0; side < kVersusSides; ++side) {
        CSprite& pillar = m_framePillar[side];
        if (!pillar.Load(kFramePicture.name)) {
            continue;
        }
        const float width = static_cast<float>(pillar.GetWidth());
        const float frameRight = kFrameLeft + width;
        const float fieldRight = kFieldLeftInScene + kWideFieldWidth;
        const float left = side == 0 ? fieldRight - kEdgeInField : kFrameLeft;
        const float right = side == 0 ? frameRight : kFieldLeftInScene + kEdgeInField;
        pillar.SetBlend(true);
        pillar.SetTexCoords((left - kFrameLeft) / width, 0.0f, (right - kFrameLeft) / width, 1.0f);
        pillar.SetSize(right - left, static_cast<float>(pillar.GetHeight()));
        pillar.SetPos(left, kFrameTop);
    }
}

void CGuiVersus::PrepareWidePicture() {
    CGfxOGL::Get().SetPictureSize(kWidePictureWidth, 480);
    CMouseCursor::Get().SetClip(0.0f, 0.0f, static_cast<float>(kWidePictureWidth), kPlayCursorBottom);
    if (m_fieldGlass.Load(kBackgroundPicture.name)) {
        m_fieldGlass.SetTexCoords(kFieldLeftInScene / 640.0f, 0.0f, (kFieldLeftInScene + kWideFieldWidth) / 640.0f, 1.0f);
        m_fieldGlass.SetSize(kWideFieldWidth, 480.0f);
        m_fieldGlass.SetPos(kFieldLeftInScene, 0.0f);
    }
    if (m_pillar.Load(kBackgroundPicture.name)) {
        m_pillar.SetTexCoords(kPillarLeftInScene / 640.0f, 0.0f, (kPillarLeftInScene + kPillarWidthInScene) / 640.0f,
                              1.0f);
        m_pillar.SetSize(kCentreWidth, 480.0f);
        m_pillar.SetPos(kCentreLeft, 0.0f);
    }
    LoadFramePillars();
    if (m_wideBorder.Load(kBorderPicture.name)) {
        m_wideBorder.SetBlend(true);
    }
    m_wideBottom.Load(kBottomPicture.name);
}

// Both players hear their own field; the pop-ups of both read in the game's font.
void CGuiVersus::HearBothSides() {
    SetPopUpFont(m_match.Field(1), &CFont::Third());
    m_match.Field(1).PopUps().SetColour(1.0f, 0.92f, 0.45f);
    m_match.Field(1).SetSoundSink(HeardSounds());
}

void CGuiVersus::StartTwoPlayerMatch() {
    PrepareWidePicture();
    m_networked = false;
    m_match.Start(TwoPlayerRules(m_setup, g_difficulty), m_seed);
    ResetSides(0);
    HearBothSides();
    m_opponentName = m_setup.names[1];
    for (int32_t side = 0; side < kVersusSides; ++side) {
        CLocalMatchSide& local = side == 0 ? m_player : m_second;
        local.SetDevice(m_setup.devices[side], kWideSideLeft[side] - kFieldLeftInScene);
        m_sides.Set(side, &local);
    }
    m_sides.SetFirst(0);
    m_askingToLeave = false;
    m_sideToTake = -1;
}

bool CGuiVersus::UpdateTwoPlayerStops() {
    for (int32_t side = 0; side < kVersusSides && m_sideToTake < 0; ++side) {
        if (!IsDeviceConnected(SideDeviceOf(side))) {
            m_sideToTake = side;
            CLog::Get().Write("CGuiVersus: the device of side %d is gone; the match waits for another", side);
        }
    }
    if (m_askingToLeave) {
        // Escape again ends the match (OnEscape); Return, a click or a fire button plays on.
        if (AnyFireHit()) {
            m_askingToLeave = false;
        }
        return true;
    }
    if (m_sideToTake >= 0) {
        TakeSideByFire();
        return true;
    }
    return false;
}

void CGuiVersus::TakeSideByFire() {
    const SideDevice& other = SideDeviceOf(1 - m_sideToTake);
    SideDevice devices[kMaxSideDevices];
    const int32_t count = ListSideDevices(devices);
    for (int32_t i = 0; i < count; ++i) {
        if (devices[i] == other || !ReadDeviceButtons(devices[i]).fire) {
            continue;
        }
        CLocalMatchSide& local = m_sideToTake == 0 ? m_player : m_second;
        local.SetDevice(devices[i], kWideSideLeft[m_sideToTake] - kFieldLeftInScene);
        m_setup.devices[m_sideToTake] = devices[i];
        CLog::Get().Write("CGuiVersus: side %d taken again", m_sideToTake);
        m_sideToTake = -1;
        // The match stays paused until the players are ready to go on.
        m_paused = true;
        return;
    }
}

// ---------------------------------------------------------------- drawing

void CGuiVersus::RenderTwoPlayers() const {
    m_pillar.Draw();
    for (int32_t side = 0; side < kVersusSides; ++side) {
        RenderWideSide(side);
    }
    // A panel takes the middle of the picture: the names and rounds step aside for it.
    if (m_panelShown || m_paused || m_askingToLeave || m_sideToTake >= 0) {
        RenderTwoPlayerPanel();
    } else {
        RenderCentre();
    }
}

// One side as the single-player game draws its field, moved to its place in the picture.
void CGuiVersus::RenderWideSide(int32_t side) const {
    CGfxOGL& gfx = CGfxOGL::Get();
    const CPlayfield& playfield = m_match.Field(side);
    gfx.SetPictureOffset(kWideSideLeft[side] - kFieldLeftInScene, 0.0f);
    m_fieldGlass.Draw();
    m_framePillar[side].Draw();
    const float top = playfield.Board().Origin().y;
    m_wideBorder.SetPos(kBorderLeft + playfield.ShakeOffsetX(), top - kBorderHeight + playfield.ShakeOffsetY());
    m_wideBorder.Draw();
    m_wideBorder.SetPos(kBorderLeft + playfield.ShakeOffsetX(), top - 2.0f * kBorderHeight + playfield.ShakeOffsetY());
    m_wideBorder.Draw();
    m_wideBottom.SetPos(kFieldLeftInScene, kBottomTop);
    m_wideBottom.Draw();
    const bool hidden = m_paused || m_askingToLeave || m_sideToTake >= 0;
    if (!hidden) {
        DrawPlayfield(playfield, m_sprites.Sprites());
    }
    DrawPlayScore(playfield.Progress().score);
    RenderIncoming(m_match.IncomingShown(side), kIncomingX, kIncomingY, true);
    gfx.SetPictureOffset(0.0f, 0.0f);
}

// Between the fields: each player's name and device, the rounds won and the round.
void CGuiVersus::RenderCentre() const {
    const CLanguage& texts = CLanguage::Get();
    CFont& small = CFont::Small();
    const int32_t width = static_cast<int32_t>(kCentreWidth) - 16;
    char line[96];
    for (int32_t side = 0; side < kVersusSides; ++side) {
        const float y = side == 0 ? 60.0f : 250.0f;
        std::snprintf(line, sizeof(line), texts.TxtPlayerNumber(), side + 1);
        FitFont(small, line, 16, width);
        PrintLine(small, line, kCentreX, y, true, 0.8f, 0.87f, 0.95f);
        FitFont(small, m_setup.names[side].c_str(), 22, width);
        PrintLine(small, m_setup.names[side].c_str(), kCentreX, y + 22.0f, true, 1.0f, 1.0f, 0.5f);
        std::snprintf(line, sizeof(line), "%s%d", texts.TxtRounds(), m_match.RoundsWon(side));
        FitFont(small, line, 18, width);
        PrintLine(small, line, kCentreX, y + 52.0f, true, 1.0f, 1.0f, 1.0f);
        DeviceName(SideDeviceOf(side), line, sizeof(line));
        FitFont(small, line, 14, width);
        PrintLine(small, line, kCentreX, y + 78.0f, true, 0.8f, 0.87f, 0.95f);
    }
    // Drawn every frame: the line is made in place, nothing is allocated.
    std::snprintf(line, sizeof(line), "%s%d", texts.TxtRoundBanner(), m_match.RoundNumber());
    FitFont(small, line, 20, width);
    PrintLine(small, line, kCentreX, 196.0f, true, 1.0f, 0.92f, 0.45f);
    small.ResetCharSize();
}

void CGuiVersus::RenderTwoPlayerPanel() const {
    const CLanguage& texts = CLanguage::Get();
    CGfxOGL& gfx = CGfxOGL::Get();
    gfx.Color(1.0f, 1.0f, 1.0f, 0.85f);
    for (int32_t side = 0; side < kVersusSides; ++side) {
        gfx.SetPictureOffset(kWideSideLeft[side] - kFieldLeftInScene, 0.0f);
        m_shade.Draw();
    }
    gfx.SetPictureOffset(0.0f, 0.0f);
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    const float centre = kWidePictureWidth / 2.0f;
    // Drawn every frame: the lines point at the texts, nothing is allocated.
    const char* title = "";
    const char* body = "";
    const char* hint = "";
    char line[128];
    if (m_sideToTake >= 0) {
        title = texts.TxtDevicePulledOut();
        std::snprintf(line, sizeof(line), texts.TxtTakeSide(), m_setup.names[m_sideToTake].c_str());
        body = line;
    } else if (m_askingToLeave) {
        title = texts.TxtEndMatchQuestion();
        hint = texts.TxtEndMatchHint();
    } else if (m_paused) {
        title = texts.TxtPaused();
        hint = CInput::Get().UsesMouse() ? texts.TxtPressToResume() : texts.TxtKeysResume();
    } else {
        title = m_panelTitle.c_str();
        body = m_panelScore.c_str();
        if (m_panelTime >= kPanelReadSeconds) {
            hint = CInput::Get().UsesMouse() ? texts.TxtClickLeftButton() : texts.TxtKeysContinue();
        }
    }
    CFont& main = CFont::Main();
    FitFont(main, title, 32, kPanelWidth);
    PrintLine(main, title, centre, kPanelTitleY, true, 1.0f, 0.92f, 0.45f);
    FitFont(main, body, 26, kPanelWidth);
    PrintLine(main, body, centre, kPanelLineY, true, 1.0f, 1.0f, 1.0f);
    main.ResetCharSize();
    CFont& small = CFont::Small();
    FitFont(small, hint, 18, kPanelWidth);
    PrintLine(small, hint, centre, kPanelHintY, true, 1.0f, 1.0f, 1.0f);
    small.ResetCharSize();
}
