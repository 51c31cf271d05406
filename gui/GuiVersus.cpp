#include "gui/GuiVersus.h"

#include "core/Log.h"
#include "core/Random.h"
#include "engine/Engine.h"
#include "gui/GuiArt.h"
#include "gui/NetPlay.h"
#include "gui/OutlinedText.h"
#include "gui/ScreenFlow.h"
#include "gui/StateNumbers.h"
#include "platform/Font.h"
#include "platform/Gfx.h"
#include "platform/Input.h"
#include "profile/Language.h"
#include "profile/Players.h"
#include "profile/ReplayStore.h"

#include <algorithm>
#include <cstdio>

int32_t g_versusStrength = static_cast<int32_t>(EBotStrength::Easy);

namespace {
// The player's incoming counter sits left of the launcher, right of the next ball.
constexpr float kPlayerIncomingX = 222.0f;
constexpr float kPlayerIncomingY = 412.0f;
// The computer's field area at half size, from the field's top line (y 32) down to the
// deck's rail (y 450): 160 by 209 pixels, its launcher near the bottom.
constexpr float kFieldTop = 32.0f;
constexpr float kDeckBottom = 450.0f;
constexpr float kOpponentWidth = 320.0f * kOpponentScale;
constexpr float kOpponentHeight = (kDeckBottom - kFieldTop) * kOpponentScale;
constexpr float kPlateHeight = 24.0f;
constexpr float kNamePlateY = kOpponentTop - kPlateHeight - 2.0f;
constexpr float kScorePlateY = kOpponentTop + kOpponentHeight + 2.0f;
constexpr float kOpponentIncomingX = kOpponentLeft + 108.0f;
constexpr float kOpponentIncomingY = kOpponentTop + (418.0f - kFieldTop) * kOpponentScale - 8.0f;
constexpr float kRoundsY = kScorePlateY + kPlateHeight + 12.0f;
constexpr float kPanelTitleY = 170.0f;
constexpr float kPanelScoreY = 214.0f;
constexpr float kPanelHintY = 256.0f;
constexpr float kWaitLineY = 200.0f;

}  // namespace

EBotStrength VersusStrength() {
    return g_versusStrength >= 0 && g_versusStrength < kBotStrengthCount ? static_cast<EBotStrength>(g_versusStrength)
                                                                         : EBotStrength::Easy;
}

const char* VersusStrengthText(EBotStrength strength) {
    const CLanguage& texts = CLanguage::Get();
    switch (strength) {
        case EBotStrength::Normal: return texts.TxtNormal();
        case EBotStrength::Hard: return texts.TxtHard();
        case EBotStrength::Easy:
        default: return texts.TxtEasy();
    }
}

CGuiVersus::CGuiVersus() : CGuiVersus(VersusStrength(), TimeSeed()) {}

CGuiVersus::CGuiVersus(EBotStrength strength, uint32_t seed) : m_computer(strength, 1), m_strength(strength), m_seed(seed) {}

CGuiVersus::CGuiVersus(std::unique_ptr<CNetSession> session)
    : m_computer(EBotStrength::Easy, 1), m_session(std::move(session)), m_networked(m_session != nullptr) {}

CGuiVersus::CGuiVersus(const TwoPlayerSetup& setup, uint32_t seed)
    : m_computer(EBotStrength::Easy, 1), m_seed(seed), m_twoPlayers(true), m_setup(setup) {}

CGuiVersus::CGuiVersus(MatchRecord record)
    : m_computer(EBotStrength::Easy, 1), m_watched(std::move(record)), m_watching(true) {}

CGuiVersus::~CGuiVersus() {
    // A screen dropped before it started still says goodbye on its session.
    CloseNetSession(m_session);
}

bool CGuiVersus::Init() {
    RandomSeedWithTime();
    m_sprites.Build();
    m_smallSprites.Build();
    if (m_smallSprites.Sprites().balls != nullptr) {
        m_smallSprites.Sprites().balls->SetSize(32.0f * kOpponentScale, 32.0f * kOpponentScale);
    }
    m_smallSprites.Launcher().SetSize(64.0f * kOpponentScale, 64.0f * kOpponentScale);
    m_scene.Load();
    // The computer's field shows the glass of the field from the scene's own background,
    // under a half-size ceiling, between two plates cut from the deck's rail.
    if (m_miniBackground.Load(kBackgroundPicture.name)) {
        m_miniBackground.SetTexCoords(160.0f / 640.0f, kFieldTop / 480.0f, 480.0f / 640.0f, kDeckBottom / 480.0f);
        m_miniBackground.SetSize(kOpponentWidth, kOpponentHeight);
        m_miniBackground.SetPos(kOpponentLeft, kOpponentTop);
    } else {
        CLog::Get().Write("CGuiVersus::Init FAILED, picture: %s", kBackgroundPicture.name);
    }
    if (m_plate.Load(kBottomPicture.name)) {
        m_plate.SetTexCoords(0.0f, 0.0f, 0.5f, 1.0f);
        m_plate.SetSize(kOpponentWidth, kPlateHeight);
    }
    // The results panel darkens the player's field under it.
    if (m_shade.Load(kShadingPicture.name)) {
        m_shade.SetBlend(true);
        m_shade.SetSize(320.0f, kDeckBottom - kFieldTop - 46.0f);
        m_shade.SetPos(160.0f, kFieldTop);
    }
    if (m_miniCeiling.Load(kBorderPicture.name)) {
        m_miniCeiling.SetBlend(true);
        m_miniCeiling.SetSize(m_miniCeiling.GetWidth() * kOpponentScale, kBorderHeight * kOpponentScale);
    }
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, kPlayCursorBottom);
    if (m_watching) {
        StartWatching();
    } else if (m_twoPlayers) {
        StartTwoPlayerMatch();
    } else if (m_session != nullptr) {
        StartNetMatch();
    } else {
        StartMatch(m_seed);
    }
    return true;
}

// What both kinds of match share at their start: whose field is heard and looks whose.
void CGuiVersus::ResetSides(int32_t playerSide) {
    SetPopUpFont(m_match.Field(OpponentSide()), nullptr);
    m_playerSide = playerSide;
    SetPopUpFont(m_match.Field(PlayerSide()), &CFont::Third());
    m_match.Field(PlayerSide()).PopUps().SetColour(1.0f, 0.92f, 0.45f);
    // Only the player's own field is heard.
    m_match.Field(PlayerSide()).SetSoundSink(HeardSounds());
    m_match.Field(OpponentSide()).SetSoundSink(SilentSounds());
    m_panelShown = false;
    m_paused = false;
    m_leaving = false;
    m_netEnded = false;
    m_readySent = false;
    m_panelHint.clear();
    m_waitTime = 0.0f;
    m_waitShown = 0;
    m_waitLine.clear();
    m_recordBegun = m_watching;
}

void CGuiVersus::StartMatch(uint32_t seed) {
    m_networked = false;
    VersusRules rules;
    rules.difficulty = g_difficulty;
    m_match.Start(rules, seed);
    m_computer.Configure(m_strength, seed ^ 0x9E3779B9u);
    m_opponentName = std::string(CLanguage::Get().TxtComputer()) + " (" + VersusStrengthText(m_strength) + ")";
    ResetSides(kPlayerSide);
    m_sides.Set(PlayerSide(), &m_player);
    m_sides.Set(OpponentSide(), &m_computer);
    m_sides.SetFirst(kPlayerSide);
}

void CGuiVersus::StartNetMatch() {
    m_networked = true;
    m_net.Start(*m_session, m_match);
    m_opponentName = m_session->OpponentName();
    ResetSides(m_net.OwnSide());
    m_net.DriveSides(m_sides, m_player);
    CLog::Get().Write("CGuiVersus: a network match against %s, this program plays side %d", m_opponentName.c_str(),
                      PlayerSide());
}

void CGuiVersus::Shutdown() {
    KeepRecord();
    if (m_networked) {
        // Leaving the match has said goodbye already, unless the program is closing.
        m_net.Leave();
        CloseNetSession(m_session);
        m_networked = false;
    }
    SetPopUpFont(m_match.Field(PlayerSide()), nullptr);
    SetPopUpFont(m_match.Field(OpponentSide()), nullptr);
    if (m_twoPlayers) {
        CGfxOGL::Get().SetPictureOffset(0.0f, 0.0f);
        CGfxOGL::Get().SetPictureSize(640, 480);
    }
    m_sprites.Clear();
    m_smallSprites.Clear();
    CMouseCursor::Get().SetClip(0.0f, 0.0f, 640.0f, 480.0f);
}

bool CGuiVersus::OnEscape() {
    if (m_watching) {
        EndWatching();
        return true;
    }
    // Two players ask first: one of them may have pressed it by mistake.
    if (m_twoPlayers && !m_askingToLeave && !m_leaving) {
        m_askingToLeave = true;
        CLog::Get().Write("CGuiVersus: asked whether to end the match");
        return true;
    }
    LeaveMatch();
    return true;
}

void CGuiVersus::LeaveMatch() {
    if (m_leaving) {
        return;
    }
    m_leaving = true;
    KeepRecord();
    if (m_networked) {
        m_net.Leave();
    }
    GoToScreen(kStateHostJoinMenu);
}

// ---------------------------------------------------------------- the step

// One fixed step of the match: each side takes the steps it has (the player's from the
// devices, the computer's, or the other program's as they arrive). Against the computer a
// pause stops both sides and the fields are swept on behind a round's panel; over the
// network the traffic is looked after first and there is no pause. After a round the
// player's side says it is ready with one more step once the player has read the panel,
// and the next round starts when both sides are ready.
void CGuiVersus::Update(float dt) {
    if (m_watching) {
        UpdateWatching(dt);
        return;
    }
    if (m_twoPlayers && UpdateTwoPlayerStops()) {
        return;
    }
    if (m_paused) {
        m_paused = !(PauseKeyHit() || CInput::Get().MouseButtonHit(kMouseLeft));
        return;
    }
    if (!m_networked && !m_panelShown && PauseKeyHit()) {
        m_paused = true;
        return;
    }
    if (m_networked) {
        ServiceNetwork();
    }
    if (m_panelShown) {
        m_panelTime += dt;
        if (!m_networked) {
            m_match.SweepFields();
        }
    }
    const bool over = m_match.Phase() == EVersusPhase::MatchOver && !(m_networked && m_net.IsRunning());
    if (m_netEnded || over) {
        if (m_panelShown && PanelDismissed()) {
            LeaveMatch();
        }
        return;
    }
    const int32_t round = m_match.RoundNumber();
    const bool playing = m_match.Phase() == EVersusPhase::Playing;
    if (!playing && !m_readySent && m_panelShown && PanelDismissed()) {
        if (m_match.Phase() == EVersusPhase::MatchOver) {
            LeaveMatch();
            return;
        }
        m_player.AskReady();
        if (m_twoPlayers) {
            m_second.AskReady();
        }
    }
    if (m_networked) {
        MeasureWait(dt);
    }
    if (!m_recordBegun) {
        BeginRecording();
    }
    m_sides.Step(m_match);
    if (m_twoPlayers) {
        m_second.TakeReadyDone();   // the round starts when both are ready; the first tells
    }
    if (m_player.TakeReadyDone()) {
        m_readySent = true;
        char waiting[96];
        std::snprintf(waiting, sizeof(waiting), CLanguage::Get().TxtNetWaitingFor(), m_opponentName.c_str());
        m_panelHint = waiting;
    }
    if (playing && m_match.Phase() != EVersusPhase::Playing) {
        ShowRoundPanel();
    }
    if (m_match.RoundNumber() != round) {
        m_panelShown = false;
        m_readySent = false;
        m_panelHint.clear();
    }
}

void CGuiVersus::ServiceNetwork() {
    m_net.Service();
    if (!m_net.IsRunning() && m_net.End() != ENetVersusEnd::MatchOver && !m_netEnded) {
        ShowNetEnd();
    }
}

void CGuiVersus::MeasureWait(float dt) {
    // The player's side goes first in a step: when it may not step now, it waits.
    const bool waiting = m_match.Phase() == EVersusPhase::Playing && m_net.IsRunning() &&
                         !m_match.CanStepSide(PlayerSide());
    m_waitTime = waiting ? m_waitTime + dt : 0.0f;
    // The player's side ran ahead of the other's last step before it had to wait.
    const float ahead = static_cast<float>(m_match.SideSteps(PlayerSide()) - m_match.SideSteps(OpponentSide())) *
                        CPlayfield::kStepLength;
    const int32_t seconds = waiting ? std::max(1, static_cast<int32_t>(m_waitTime + ahead)) : 0;
    if (seconds == m_waitShown) {
        return;
    }
    m_waitShown = seconds;
    m_waitLine.clear();
    if (seconds > 0) {
        char line[128];
        std::snprintf(line, sizeof(line), CLanguage::Get().TxtNetWaitingSeconds(), m_opponentName.c_str(), seconds);
        m_waitLine = line;
        CLog::Get().Write("CGuiVersus: waiting for the other side's steps for %d s", seconds);
    }
}

void CGuiVersus::ShowNetEnd() {
    const CLanguage& texts = CLanguage::Get();
    m_netEnded = true;
    m_panelShown = true;
    m_panelTime = 0.0f;
    m_panelHint.clear();
    if (m_net.End() == ENetVersusEnd::OutOfStep) {
        m_panelTitle = texts.TxtNetOutOfStep();
        std::vector<uint8_t> bytes;
        EncodeMatchRecord(m_net.Record(), bytes);
        if (WriteReplayFile(kOutOfStepRecordName, bytes)) {
            m_panelHint = texts.TxtNetReplayKept();
        }
    } else if (m_net.End() == ENetVersusEnd::Broken) {
        m_panelTitle = texts.TxtNetOpponentBroke();
    } else {
        m_panelTitle = texts.TxtNetOpponentLeft();
    }
    char score[64];
    std::snprintf(score, sizeof(score), "%s%d - %d", texts.TxtRounds(), m_match.RoundsWon(PlayerSide()),
                  m_match.RoundsWon(OpponentSide()));
    m_panelScore = score;
}

bool CGuiVersus::PanelDismissed() const {
    return m_panelTime >= kPanelReadSeconds && AnyFireHit();
}

bool CGuiVersus::AnyFireHit() const {
    const CInput& input = CInput::Get();
    if (input.MouseButtonHit(kMouseLeft) || input.KeyHit(DIK_RETURN) || input.KeyHit(DIK_SPACE) ||
        input.PadHit(EPadButton::A)) {
        return true;
    }
    return m_twoPlayers && (ReadDeviceButtons(m_player.Device()).fire || ReadDeviceButtons(m_second.Device()).fire);
}

bool CGuiVersus::PauseKeyHit() {
    const CInput& input = CInput::Get();
    return input.KeyHit(DIK_P) || input.KeyHit(DIK_PAUSE) || input.PadHit(EPadButton::Start) ||
           input.MouseButtonHit(kMouseMiddle);
}

void CGuiVersus::ShowRoundPanel() {
    const CLanguage& texts = CLanguage::Get();
    const int32_t winner = m_match.Phase() == EVersusPhase::MatchOver ? m_match.MatchWinner() : m_match.Round().winner;
    // Both programs of a network match say the same here; the log tells a bug report which.
    CLog::Get().Write("CGuiVersus: round %d over, won by side %d (%d steps); rounds %d - %d%s", m_match.RoundNumber(),
                      winner, static_cast<int32_t>(m_match.Round().steps), m_match.RoundsWon(0), m_match.RoundsWon(1),
                      m_match.Phase() == EVersusPhase::MatchOver ? "; the match is over" : "");
    if (m_twoPlayers) {
        // Two players at one machine: the winner by name.
        const bool match = m_match.Phase() == EVersusPhase::MatchOver;
        char title[96];
        std::snprintf(title, sizeof(title), match ? texts.TxtPlayerWinsMatch() : texts.TxtPlayerWinsRound(),
                      winner >= 0 ? m_setup.names[winner].c_str() : "");
        m_panelTitle = winner >= 0 ? title : (match ? texts.TxtMatchDrawn() : texts.TxtRoundDrawn());
    } else if (m_match.Phase() == EVersusPhase::MatchOver) {
        const char* lost = m_networked ? texts.TxtNetYouLost() : texts.TxtMatchLost();
        m_panelTitle = winner == PlayerSide() ? texts.TxtMatchWon()
                                              : (winner == OpponentSide() ? lost : texts.TxtMatchDrawn());
    } else {
        m_panelTitle = winner == PlayerSide() ? texts.TxtRoundWon()
                                              : (winner == OpponentSide() ? texts.TxtRoundLost() : texts.TxtRoundDrawn());
    }
    char score[64];
    std::snprintf(score, sizeof(score), "%s%d - %d", texts.TxtRounds(), m_match.RoundsWon(PlayerSide()),
                  m_match.RoundsWon(OpponentSide()));
    m_panelScore = score;
    m_panelShown = true;
    m_panelTime = 0.0f;
}

// ---------------------------------------------------------------- drawing

void CGuiVersus::Render() {
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
    if (m_twoPlayers) {
        RenderTwoPlayers();
        if (m_watching) {
            // The banner over the middle of the wide picture.
            CGfxOGL::Get().SetPictureOffset((kWidePictureWidth - 640.0f) / 2.0f, 0.0f);
            RenderWatchBanner();
            CGfxOGL::Get().SetPictureOffset(0.0f, 0.0f);
        }
        return;
    }
    m_scene.Draw(m_match.Field(PlayerSide()));
    RenderPlayerSide();
    RenderOpponent();
    if (m_panelShown || m_paused) {
        RenderPanel();
    } else if (!m_waitLine.empty()) {
        RenderWaitLine();
    }
    if (m_watching) {
        RenderWatchBanner();
    }
}

// Over the player's field, while its side waits for the other player's steps.
void CGuiVersus::RenderWaitLine() const {
    CFont& small = CFont::Small();
    FitFont(small, m_waitLine.c_str(), 20, 300);
    PrintLine(small, m_waitLine.c_str(), 320.0f, kWaitLineY, true, 1.0f, 0.92f, 0.45f);
    small.ResetCharSize();
}

void CGuiVersus::RenderPlayerSide() const {
    const CPlayfield& playfield = m_match.Field(PlayerSide());
    DrawPlayfield(playfield, m_sprites.Sprites());
    DrawPlayScore(playfield.Progress().score);
    RenderIncoming(m_match.IncomingShown(PlayerSide()), kPlayerIncomingX, kPlayerIncomingY, true);
}

// Attack balls waiting: a stone ball and their number, in red.
void CGuiVersus::RenderIncoming(int32_t count, float x, float y, bool large) const {
    const CGameSprites& sprites = large ? m_sprites : m_smallSprites;
    if (count <= 0 || sprites.Sprites().balls == nullptr) {
        return;
    }
    const float ball = large ? 32.0f : 16.0f;
    DrawBall(*sprites.Sprites().balls, BallCell{BallColour::Obstacle, 0}, x, y);
    char text[16];
    std::snprintf(text, sizeof(text), "%d", count);
    CFont& font = CFont::Small();
    const int32_t size = large ? 24 : 18;
    font.SetCharSize(size, size);
    PrintLine(font, text, x + ball + 3.0f, y + (ball - static_cast<float>(size)) / 2.0f, false, 1.0f, 0.45f, 0.35f);
    font.ResetCharSize();
}

void CGuiVersus::RenderPlate(float y) const {
    m_plate.SetPos(kOpponentLeft, y);
    m_plate.Draw();
}

void CGuiVersus::RenderOpponent() const {
    const CPlayfield& playfield = m_match.Field(OpponentSide());
    const CLanguage& texts = CLanguage::Get();
    CGfxOGL& gfx = CGfxOGL::Get();
    // The glass of the field, a shade darker than the player's, and the ceiling above it.
    gfx.Color(0.8f, 0.8f, 0.85f, 1.0f);
    m_miniBackground.Draw();
    gfx.Color(1.0f, 1.0f, 1.0f, 1.0f);
    const float ceiling = kOpponentTop + (playfield.Board().Origin().y - kFieldTop) * kOpponentScale;
    m_miniCeiling.SetPos(kOpponentLeft + (kBorderLeft - 160.0f) * kOpponentScale,
                         ceiling - kBorderHeight * kOpponentScale);
    m_miniCeiling.Draw();
    RenderPlate(kNamePlateY);
    RenderPlate(kScorePlateY);
    MiniatureView view;
    view.left = kOpponentLeft;
    view.top = kOpponentTop;
    view.scale = kOpponentScale;
    DrawPlayfieldMiniature(playfield, m_smallSprites.Sprites(), view);

    const float centre = kOpponentLeft + kOpponentWidth / 2.0f;
    CFont& small = CFont::Small();
    FitFont(small, m_opponentName.c_str(), 18, static_cast<int32_t>(kOpponentWidth) - 12);
    PrintLine(small, m_opponentName.c_str(), centre, kNamePlateY + 3.0f, true, 1.0f, 1.0f, 0.5f);
    small.ResetCharSize();

    char score[16];
    std::snprintf(score, sizeof(score), "%d", playfield.Progress().score);
    FitFont(small, score, 20, static_cast<int32_t>(kOpponentWidth) - 12);
    PrintLine(small, score, centre, kScorePlateY + 2.0f, true, 1.0f, 1.0f, 1.0f);
    small.ResetCharSize();
    RenderIncoming(m_match.IncomingShown(OpponentSide()), kOpponentIncomingX, kOpponentIncomingY, false);

    char rounds[64];
    std::snprintf(rounds, sizeof(rounds), "%s%d - %d", texts.TxtRounds(), m_match.RoundsWon(PlayerSide()),
                  m_match.RoundsWon(OpponentSide()));
    FitFont(small, rounds, 18, static_cast<int32_t>(kOpponentWidth) - 8);
    PrintLine(small, rounds, centre, kRoundsY, true, 1.0f, 1.0f, 1.0f);
    const std::string round = std::string(texts.TxtRoundBanner()) + std::to_string(m_match.RoundNumber());
    FitFont(small, round.c_str(), 18, static_cast<int32_t>(kOpponentWidth) - 8);
    PrintLine(small, round.c_str(), centre, kRoundsY + 24.0f, true, 0.8f, 0.9f, 1.0f);
    small.ResetCharSize();
}

// The round's result, or the pause, over the darkened field.
void CGuiVersus::RenderPanel() const {
    const CLanguage& texts = CLanguage::Get();
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 0.85f);
    m_shade.Draw();
    CGfxOGL::Get().Color(1.0f, 1.0f, 1.0f, 1.0f);
    CFont& main = CFont::Main();
    if (m_paused) {
        FitFont(main, texts.TxtPaused(), 32, 300);
        PrintLine(main, texts.TxtPaused(), 320.0f, kPanelTitleY, true, 1.0f, 0.92f, 0.45f);
        main.ResetCharSize();
        CFont& small = CFont::Small();
        const char* hint = CInput::Get().UsesMouse() ? texts.TxtPressToResume() : texts.TxtKeysResume();
        FitFont(small, hint, 18, 300);
        PrintLine(small, hint, 320.0f, kPanelScoreY, true, 1.0f, 1.0f, 1.0f);
        small.ResetCharSize();
        return;
    }
    FitFont(main, m_panelTitle.c_str(), 32, 300);
    PrintLine(main, m_panelTitle.c_str(), 320.0f, kPanelTitleY, true, 1.0f, 0.92f, 0.45f);
    FitFont(main, m_panelScore.c_str(), 28, 300);
    PrintLine(main, m_panelScore.c_str(), 320.0f, kPanelScoreY, true, 1.0f, 1.0f, 1.0f);
    main.ResetCharSize();
    if (m_panelTime >= kPanelReadSeconds || !m_panelHint.empty()) {
        CFont& small = CFont::Small();
        const char* hint = !m_panelHint.empty()            ? m_panelHint.c_str()
                           : CInput::Get().UsesMouse() ? texts.TxtClickLeftButton()
                                                       : texts.TxtKeysContinue();
        FitFont(small, hint, 18, 300);
        PrintLine(small, hint, 320.0f, kPanelHintY, true, 1.0f, 1.0f, 1.0f);
        small.ResetCharSize();
    }
}
