#pragma once
// CGuiVersus (state 10110): a versus match of the player against the computer, or against
// a player in another program over the network. The player's playfield is drawn where the
// single-player game draws it, full size; the opponent's playfield is drawn at half size
// beside the frame, with its name, its score and the attack balls waiting for it. After
// each round a panel gives the result; after the match it gives the winner, and a click
// goes back to the versus menu (10100). A network match has no pause: the other player's
// game goes on. Every match is kept, finished or left, in the player's replays list; a kept
// match is watched on this screen too, both sides played from its record, and Escape goes
// back to the replays list (gui/GuiVersusReplay.cpp).
#include "engine/EngineState.h"
#include "game/BotPlayer.h"
#include "game/MatchRecord.h"
#include "game/VersusMatch.h"
#include "gui/GameSprites.h"
#include "gui/GuiTwoPlayers.h"
#include "gui/LocalMatchSide.h"
#include "gui/MenuBackdrop.h"
#include "net/NetVersus.h"

#include <memory>
#include <string>

// The command of the versus menu's strength item: the next strength.
constexpr int32_t kCommandVersusStrength = 2010;

// The strength the versus menu chose for the computer (an EBotStrength), kept for the run.
extern int32_t g_versusStrength;
// g_versusStrength as a strength (easy for a value out of range), and its word on the
// current text table ("Easy", "Normal", "Hard").
EBotStrength VersusStrength();
const char* VersusStrengthText(EBotStrength strength);

// The side of a match against the computer each player plays. Over the network the host
// plays side 0 and the joiner side 1 in both programs.
constexpr int32_t kPlayerSide = 0;
constexpr int32_t kComputerSide = 1;

// Where a match that went out of step keeps both sides' steps, in the replays folder.
constexpr const char* kOutOfStepRecordName = "outofstep.rec";

// Over the network, the player's side waits once it is as far ahead of the other as attacks
// travel; the screen says so at once, with the seconds since the other side's last step.

// Where the computer's field is drawn: half size, its field area's left edge at the
// screen's left edge, below the computer's name.
constexpr float kOpponentLeft = 0.0f;
constexpr float kOpponentTop = 68.0f;
constexpr float kOpponentScale = 0.5f;

// A panel is read for this long before a click takes it away.
constexpr float kPanelReadSeconds = 0.8f;

// Two players at one machine: a wider picture holds both fields full size, the first at
// the left edge, the second at the right, their names, scores and the rounds between them.
constexpr int32_t kWidePictureWidth = 854;
constexpr float kWideFieldWidth = 320.0f;
constexpr float kWideSideLeft[2] = {0.0f, kWidePictureWidth - kWideFieldWidth};
// The field's own coordinates start at x 160 in the 640 picture.
constexpr float kFieldLeftInScene = 160.0f;

class CGuiVersus final : public CEngineState {
public:
    // A match against the computer at the versus menu's strength, seeded from the clock.
    CGuiVersus();
    // A match against the computer of that strength and seed (the tests' fixed seeds).
    CGuiVersus(EBotStrength strength, uint32_t seed);
    // A match over the network on a session that plays: the screen owns it from now on,
    // and closes it when the match is left.
    explicit CGuiVersus(std::unique_ptr<CNetSession> session);
    // A match of two players at this machine, each on the device the set-up gave the side.
    CGuiVersus(const TwoPlayerSetup& setup, uint32_t seed);
    // Watches a kept match.
    explicit CGuiVersus(MatchRecord record);
    ~CGuiVersus() override;

    bool Init() override;
    void Shutdown() override;
    bool OnEscape() override;
    // A match against the computer, or one watched, stands still while the program has no
    // focus.
    void Deactivate() override {
        m_paused = !m_networked && !m_watching;
        m_watchPaused = m_watching;
    }
    const char* GetName() const override { return "CGuiVersus"; }
    void Render() override;
    void Update(float dt) override;

    // Starts a match against the computer of the given seed again (the benchmark's).
    void StartMatch(uint32_t seed);
    bool IsNetworked() const { return m_networked; }
    bool IsTwoPlayers() const { return m_twoPlayers; }
    // Two players: Escape asked whether to end the match, and waits for the answer.
    bool IsAskingToLeave() const { return m_askingToLeave; }
    // Two players: the side whose device was pulled out and that waits for another, -1
    // while both sides have theirs.
    int32_t SideToTake() const { return m_sideToTake; }
    const SideDevice& SideDeviceOf(int32_t side) const { return side == 0 ? m_player.Device() : m_second.Device(); }
    // The computer's strength in a match against it.
    EBotStrength Strength() const { return m_strength; }
    const CNetVersus& Net() const { return m_net; }
    // The session of a network match, while the screen holds it.
    const CNetSession* Session() const { return m_session.get(); }
    int32_t PlayerSide() const { return m_playerSide; }
    int32_t OpponentSide() const { return 1 - m_playerSide; }
    // Over the network: the player is ready for the next round, the other is not yet.
    bool IsWaitingForOpponent() const { return m_readySent && m_match.Phase() == EVersusPhase::RoundOver; }
    // Over the network: the line that says the player's side waits for the other player's
    // steps and for how long ("Waiting for Bea: 3 s"), empty while it plays.
    const std::string& WaitLine() const { return m_waitLine; }
    const CVersusMatch& Match() const { return m_match; }
    CVersusMatch& Match() { return m_match; }
    bool IsPanelShown() const { return m_panelShown; }
    bool IsPaused() const { return m_paused; }
    const std::string& PanelTitle() const { return m_panelTitle; }
    // The panel's last line when it is not the click hint ("Waiting for Bea").
    const std::string& PanelHint() const { return m_panelHint; }
    // Watching a kept match: its speed (1, 2 or 4 steps per step), the viewer's pause, and
    // the end of the record reached.
    bool IsWatching() const { return m_watching; }
    int32_t WatchSpeed() const { return m_watchSpeed; }
    bool IsWatchPaused() const { return m_watchPaused; }
    bool IsWatchEnded() const { return m_watchEnded; }
    // The record of the match being played, kept in the replays list when it is left.
    const CMatchRecorder& Recorder() const { return m_recorder; }

private:
    void StartNetMatch();
    void StartTwoPlayerMatch();
    // The two-player match's wider picture and what it draws with.
    void PrepareWidePicture();
    void LoadFramePillars();
    void HearBothSides();
    // Two players: a side whose device is gone waits for a device's fire button; Escape's
    // question waits for its answer. True while either stops the match.
    bool UpdateTwoPlayerStops();
    void TakeSideByFire();
    // Either player's fire button, or a click, Return, Space or the pad's A.
    bool AnyFireHit() const;
    void RenderTwoPlayers() const;
    void RenderWideSide(int32_t side) const;
    void RenderCentre() const;
    void RenderTwoPlayerPanel() const;
    void ResetSides(int32_t playerSide);
    // The network's traffic, and the panel when the match ended early.
    void ServiceNetwork();
    // How long the other side has been silent while the player's side waits, on the wait line.
    void MeasureWait(float dt);
    // The network match is over before its end: why, on the panel.
    void ShowNetEnd();
    void ShowRoundPanel();
    // A click, Return, Space or the pad's A, once the panel has been read for a moment.
    bool PanelDismissed() const;
    // P, Pause, the pad's Start or the middle button.
    static bool PauseKeyHit();
    void LeaveMatch();
    void RenderPlayerSide() const;
    void RenderOpponent() const;
    void RenderIncoming(int32_t count, float x, float y, bool large) const;
    void RenderPlate(float y) const;
    void RenderPanel() const;
    void RenderWaitLine() const;
    // Keeping the match, and watching a kept one (gui/GuiVersusReplay.cpp).
    void BeginRecording();
    void KeepRecord();
    void StartWatching();
    void UpdateWatching(float dt);
    void StepWatched(float dt);
    void EndWatching();
    void RenderWatchBanner() const;

    CVersusMatch m_match;
    // Who drives each side: the player's devices, and the computer or the other program.
    CMatchSides m_sides;
    CLocalMatchSide m_player;
    CLocalMatchSide m_second;          // the second player at this machine
    CBotMatchSide m_computer;
    std::unique_ptr<CNetSession> m_session;
    CNetVersus m_net;
    EBotStrength m_strength = EBotStrength::Easy;
    uint32_t m_seed = 1;
    bool m_networked = false;
    bool m_twoPlayers = false;
    TwoPlayerSetup m_setup;
    bool m_askingToLeave = false;
    int32_t m_sideToTake = -1;
    CSprite m_fieldGlass;              // the scene's field, for each side of the wide picture
    CSprite m_pillar;                  // the scene's backdrop, between the two fields
    CSprite m_framePillar[kVersusSides];   // the scene's frame: its pillar beside each field's inner edge
    mutable CSprite m_wideBorder;
    mutable CSprite m_wideBottom;
    bool m_netEnded = false;       // the panel says why the network match ended early
    bool m_readySent = false;      // this side is ready for the next round
    int32_t m_playerSide = kPlayerSide;
    std::string m_opponentName;
    std::string m_panelHint;       // instead of the click hint, when set
    float m_waitTime = 0.0f;       // the player's side has waited this long for the other's
    int32_t m_waitShown = 0;       // the whole seconds on the wait line
    std::string m_waitLine;
    CGameSprites m_sprites;
    CGameSprites m_smallSprites;
    CPlayfieldScene m_scene;
    CSprite m_miniBackground;
    mutable CSprite m_plate;
    CSprite m_shade;
    mutable CSprite m_miniCeiling;
    bool m_paused = false;
    bool m_panelShown = false;
    float m_panelTime = 0.0f;
    std::string m_panelTitle;
    std::string m_panelScore;
    bool m_leaving = false;

    CMatchRecorder m_recorder;
    bool m_recordBegun = false;
    MatchRecord m_watched;
    CRecordMatchSide m_watchSides[kVersusSides];
    bool m_watching = false;
    bool m_watchPaused = false;
    bool m_watchEnded = false;
    int32_t m_watchSpeed = 1;
    CSprite m_watchShade;
};
