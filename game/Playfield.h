#pragma once
// CPlayfield: the game core that a screen owns: the field, the launcher and its shot,
// the colours of the coming balls, falling balls and power-up effects, points and
// pop-ups, the field moving down, lost lives and the row bonus of a finished level.
// Update runs one fixed step; everything it reads from the player comes in a PlayInput,
// and everything it tells its owner goes through an IPlayfieldListener.
#include "core/Random.h"
#include "game/Board.h"
#include "game/Effects.h"
#include "game/NextBall.h"
#include "game/PopUps.h"
#include "game/Scoring.h"
#include "game/Shot.h"

#include <string>

// What the player did in this step.
struct PlayInput {
    float mouseX = 320.0f;
    float mouseY = 200.0f;
    bool mouseMoved = false;
    bool fireHit = false;   // left button went down in this step
    bool swapHit = false;   // right button went down in this step
    bool skipHit = false;   // left or middle button or D went down: hurry the row bonus
    bool disabled = false;  // input is taken by a dialog
};

// Events of the playfield for its owner (the game turns them into engine messages).
// Without a listener the playfield answers the multicolour arrival and the row bonus
// itself, as the game would.
class IPlayfieldListener {
public:
    virtual ~IPlayfieldListener() = default;
    virtual void OnLevelFinished() {}                              // the level's end (3001)
    virtual void OnMulticolorArrived() {}                          // ball at the launcher (3002)
    virtual void OnReplayLevel() {}                                // after a lost life (3004)
    virtual void OnLifeLost() {}                                   // a life was lost (3005)
    virtual void OnRowBonus(int32_t points, float x, float y) {}   // row bonus (3006)
    virtual void OnGameOver() {}                                   // show the game-over panel
};

// Where the playfield stands in a turn and in a level: exactly one at a time.
enum class EPlayPhase {
    NotStarted,     // no level was started yet
    Aiming,         // the ball in hand waits on the launcher, or flies (ShotState.flying)
    Landed,         // the shot came to rest: its removal or its power-ups run
    TurnEnding,     // all settled: the danger check and the next ball come in the next step
    FieldCleared,   // the top row is empty: the last balls fall
    RowBonus,       // the level is finished: the row bonus sweeps the rows
    LevelDone,      // the row bonus is paid: the level's end follows once the pop-ups are gone
    LifeLost,       // a life was lost: the field is swept ball by ball
    GameOverSweep,  // the last life was lost: the field is swept
    GameOver,       // the sweep after the last life is done
};

// What a saved game keeps of the playfield (besides the player's progress and statistics):
// the turn's flags as the saved game's layout names them, the shot, the coming balls, the
// field moving down, the row bonus and the board.
struct PlayfieldSaveState {
    ShotState shot;
    BallCell current;
    BallCell next;
    NextBallState chooser;
    int32_t dropOffset = 0;
    bool ready = false;
    bool gameOver = false;
    bool clearing = false;
    bool multicolorPending = false;
    bool shakeWarning = false;
    bool turnEndPending = false;
    bool popUpsActive = false;
    bool secondParticlesActive = false;
    bool levelFinished = false;
    bool rowBonusDone = false;
    bool fieldEmpty = false;
    bool placed = false;
    bool movingDown = false;
    int32_t movePixelsLeft = 0;
    float moveTimer = 0.0f;
    int32_t shotCount = 0;
    bool moveNow = false;
    int32_t rowBonusValue = kFirstRowBonus;
    float sweepTimer = 0.0f;
    CellPos sweepCursor;
    BoardSaveState board;
};

class CPlayfield {
public:
    static constexpr float kStepLength = 1.0f / 150.0f;
    static constexpr float kMoveDownPixels = 28.0f;

    CPlayfield();
    CPlayfield(const CPlayfield&) = delete;
    CPlayfield& operator=(const CPlayfield&) = delete;

    void SetListener(IPlayfieldListener* listener) { m_listener = listener; }
    // Where the field's sound events go (HeardSounds until its owner says otherwise).
    void SetSoundSink(IGameSoundSink& sounds);
    void SetDifficulty(int32_t difficulty) { m_difficulty = difficulty; }
    int32_t Difficulty() const { return m_difficulty; }
    // While a message panel is shown the turns stand still.
    void SetPanelShown(bool shown) { m_panelShown = shown; }
    bool IsPanelShown() const { return m_panelShown; }

    // --- levels
    bool LoadLevelFile(const std::string& fileName);
    bool LoadLevelBytes(const uint8_t* bytes, size_t size);
    // After a level is loaded: the placement of a level start, the per-level flags, and
    // the first two balls. The caller seeds the game's generator first.
    void StartLevel();
    // The generator of the rules, seeded by whoever loads a level.
    CRandom& Random() { return m_random; }
    const CRandom& Random() const { return m_random; }

    // --- one step of play
    void Update(float dt, const PlayInput& input);

    // --- the shot
    void Aim(float mouseX, float mouseY);
    void Fire(float targetX, float targetY);
    void Swap();
    // The flying ball comes to rest at position: it sticks, or is lost when no cell takes it.
    void LandShot(const Vec3& position);
    void NextBall();
    // The ordinary impact: the shot enters the field at (column, row).
    void PlaceShot(int32_t column, int32_t row);
    // The impact beside power-ups: they act, the shot is used up.
    void ImpactPowerUps(int32_t column, int32_t row);
    bool HasPowerUpNeighbour(int32_t column, int32_t row) const;
    // The answer to the multicolour ball reaching the launcher.
    void GiveMulticolorBall();
    // Whether the player may fire now (ready, nothing in flight, the level in play).
    bool CanFire() const;

    // --- points
    void AddScore(int32_t points, float x, float y);
    void PopUpText(const char* text, float x, float y) { m_popUps.Add(text, x, y); }
    void ComboPopUp(float x, float y);

    // --- the field moving down and lives
    void StartMoveDown();
    void LoseLife();

    // --- saved games
    PlayfieldSaveState SaveState() const;
    // Takes a saved playfield over. The idle countdown starts again; effects and pop-ups
    // are cleared.
    void RestoreState(const PlayfieldSaveState& state);

    // --- state
    CBoard& Board() { return m_board; }
    const CBoard& Board() const { return m_board; }
    PlayerProgress& Progress() { return m_progress; }
    const PlayerProgress& Progress() const { return m_progress; }
    LevelStatistics& Stats() { return m_stats; }
    const LevelStatistics& Stats() const { return m_stats; }
    CEffects& Effects() { return m_effects; }
    const CEffects& Effects() const { return m_effects; }
    CScorePopUps& PopUps() { return m_popUps; }
    const CScorePopUps& PopUps() const { return m_popUps; }
    const BallCell& CurrentBall() const { return m_current; }
    const BallCell& NextBallCell() const { return m_next; }
    void SetBalls(const BallCell& current, const BallCell& next) { m_current = current; m_next = next; }
    const ShotState& Shot() const { return m_shot; }
    const Vec3& LauncherPosition() const { return m_launcher; }
    float LauncherRotation() const { return m_launcherAngle; }
    EPlayPhase Phase() const { return m_phase; }
    bool IsReady() const { return m_phase == EPlayPhase::Aiming; }
    bool IsFlying() const { return m_shot.flying; }
    bool IsLevelFinished() const { return m_phase == EPlayPhase::RowBonus || m_phase == EPlayPhase::LevelDone; }
    bool IsRowBonusDone() const { return m_phase == EPlayPhase::LevelDone; }
    bool IsFieldEmpty() const { return m_phase == EPlayPhase::FieldCleared || IsLevelFinished(); }
    bool IsGameOver() const { return m_phase == EPlayPhase::GameOverSweep || m_phase == EPlayPhase::GameOver; }
    bool IsClearing() const { return m_phase == EPlayPhase::LifeLost || m_phase == EPlayPhase::GameOverSweep; }
    bool IsMovingDown() const { return m_movingDown; }
    bool IsShakeWarningOn() const { return m_shakeWarning; }
    bool IsTurnEndPending() const { return m_phase == EPlayPhase::TurnEnding; }
    bool IsMulticolorPending() const { return m_multicolorPending; }
    bool IsCountdownRunning() const { return m_idleRunning; }
    int32_t CountdownDigit() const { return m_countdownDigit; }
    // Seconds left of the countdown digit shown (1 when it appears, 0 when it goes).
    float CountdownTime() const { return m_idleTimer; }
    bool HasSeenShot() const { return m_gameHasShot; }
    void SetSeenShot(bool seen) { m_gameHasShot = seen; }
    int32_t ShotsSinceMoveDown() const { return m_shotCount; }
    int32_t ShotsBeforeMoveDown() const;
    int32_t DropOffset() const { return m_dropOffset; }
    int32_t MoveDowns() const { return m_dropOffset / static_cast<int32_t>(kMoveDownPixels); }
    float ShakeOffsetX() const { return m_shakeWarning ? m_shakeX : 0.0f; }
    float ShakeOffsetY() const { return m_shakeWarning ? m_shakeY : 0.0f; }
    // Balls whose removal was scored so far (the removed counters that scoring used up).
    int64_t ScoredRemovedTotal() const { return m_scoredRemovedTotal; }
    // The present colours and candidates of the last NextBall.
    int32_t PresentColourCount() const { return m_chooser.PresentColourCount(); }
    int32_t CandidateCount() const { return m_chooser.CandidateCount(); }
    int32_t GivenCount(int32_t colour) const { return m_chooser.GivenCount(colour); }

private:
    void ResetIdle();
    void UpdateTurn(float dt, const PlayInput& input);
    void EndTurn();
    void UpdateLevelEnd(float dt, const PlayInput& input);
    void CountLanding(const LandingResult& landing);
    static EPlayPhase PhaseFromSavedFlags(const PlayfieldSaveState& state);
    void UpdateIdle(float dt);
    void UpdateMoveDown(float dt);
    void UpdateShake(float dt);
    void UpdateClearing(float dt);
    void UpdateRowBonus(float dt, const PlayInput& input);
    void UpdateFlight(float dt);
    void PlayImpactSound(int32_t column, int32_t row) const;
    void ScoreDrops();
    int32_t ScoreRemovalCounted();
    void CheckDanger();
    void CountShotForMoveDown();

    CBoard m_board;
    CEffects m_effects;
    CScorePopUps m_popUps;
    PlayerProgress m_progress;
    LevelStatistics m_stats;
    IPlayfieldListener* m_listener = nullptr;
    IGameSoundSink* m_sounds = &HeardSounds();
    int32_t m_difficulty = kNormalDifficulty;
    bool m_panelShown = false;

    // The launcher and the shot.
    Vec3 m_launcher = kLauncherPosition;
    float m_launcherAngle = 0.0f;
    ShotState m_shot;
    BallCell m_current;
    BallCell m_next;

    CNextBallChooser m_chooser;
    // The game's own generator: every draw of the rules comes from it.
    CRandom m_random;

    // Turn flow.
    EPlayPhase m_phase = EPlayPhase::NotStarted;
    bool m_multicolorPending = false;
    bool m_gameHasShot = false;

    // The field moving down.
    int32_t m_shotCount = 0;
    bool m_moveNow = false;
    bool m_movingDown = false;
    float m_moveTimer = 0.0f;
    int32_t m_movePixelsLeft = 0;
    int32_t m_dropOffset = 0;

    // The idle countdown.
    bool m_idleRunning = false;
    float m_idleTimer = 0.0f;
    int32_t m_countdownDigit = 0;

    // The shake warning.
    bool m_shakeWarning = false;
    float m_shakeTimer = 0.0f;
    float m_shakeSoundTimer = 0.0f;
    float m_shakeX = 0.0f, m_shakeY = 0.0f;

    // Clearing the field after a lost life.
    float m_clearingTimer = 0.0f;
    float m_clearingStepTimer = 0.0f;
    float m_clearingSoundTimer = 0.0f;
    CellPos m_clearCursor;

    // The row bonus of a finished level.
    float m_sweepTimer = 0.0f;
    CellPos m_sweepCursor;
    int32_t m_bonusValue = kFirstRowBonus;
    bool m_skip = false;

    int64_t m_scoredRemovedTotal = 0;
};

