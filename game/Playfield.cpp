#include "game/Playfield.h"

#include "core/Random.h"
#include "game/GameTexts.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr float kMoveDownStepTime = 0.01f;
constexpr int32_t kMoveDownStepPixels = 2;
constexpr float kShakeRedrawTime = 0.08f;
constexpr float kShakeSoundTime = 1.5f;
constexpr float kClearingStepTime = 0.025f;
constexpr float kClearingSoundTime = 0.1f;
constexpr float kSweepCellTime = 0.01f;
constexpr float kSweepRowPause = 0.1f;
constexpr int32_t kCountdownStart = 5;
constexpr float kComboPopUpDrop = 20.0f;

EGameSound PowerUpSound(int32_t colour) {
    switch (colour) {
        case BallColour::Explosion: return EGameSound::PowerupExplosion;
        case BallColour::ChangeColor: return EGameSound::PowerupChangeColor;
        case BallColour::Multicolor: return EGameSound::PowerupMulticolorBall;
        default: return EGameSound::PowerupArrow;
    }
}
}  // namespace

CPlayfield::CPlayfield() {
    m_board.SetEffects(&m_effects);
    m_shot.position = ShotStartPosition(m_launcher);
    m_next.colour = BallColour::Empty;
}

// ---------------------------------------------------------------- levels

bool CPlayfield::LoadLevelFile(const std::string& fileName) {
    return m_board.LoadLevel(fileName);
}

bool CPlayfield::LoadLevelBytes(const uint8_t* bytes, size_t size) {
    return m_board.LoadFromBytes(bytes, size);
}

void CPlayfield::SetSoundSink(IGameSoundSink& sounds) {
    m_sounds = &sounds;
    m_board.SetSoundSink(sounds);
}

void CPlayfield::StartLevel() {
    m_board.ClearTransient();
    m_effects.Clear();
    m_popUps.Clear();
    m_shot.flying = false;
    m_phase = EPlayPhase::Aiming;
    NextBall();
    NextBall();

    m_progress.combo = 0;
    m_shakeWarning = false;
    m_bonusValue = kFirstRowBonus;
    m_sweepCursor = CellPos{0, 0};
    m_sweepTimer = 0.0f;
    m_skip = false;

    m_board.ResetPlacement();
    m_dropOffset = 0;
    m_shotCount = 0;
    m_moveNow = false;
    m_movingDown = false;
    m_movePixelsLeft = 0;
    m_moveTimer = 0.0f;
    ResetIdle();
}

// ---------------------------------------------------------------- the step

void CPlayfield::Update(float dt, const PlayInput& input) {
    m_popUps.Update(dt);
    m_effects.Update(dt);
    if (input.mouseMoved) {
        Aim(input.mouseX, input.mouseY);
    }
    switch (m_phase) {
        case EPlayPhase::NotStarted:
        case EPlayPhase::GameOver:
            return;
        case EPlayPhase::LifeLost:
        case EPlayPhase::GameOverSweep:
            UpdateClearing(dt);
            return;
        case EPlayPhase::RowBonus:
        case EPlayPhase::LevelDone:
            UpdateLevelEnd(dt, input);
            return;
        default:
            break;
    }
    if (m_panelShown) {
        return;
    }
    UpdateTurn(dt, input);
    if (IsLevelFinished()) {
        UpdateLevelEnd(dt, input);
    }
}

// One step of a turn: the field moving down, the falls and power-ups, the shot.
void CPlayfield::UpdateTurn(float dt, const PlayInput& input) {
    UpdateMoveDown(dt);
    if (IsClearing()) {
        return;
    }
    if (m_phase == EPlayPhase::TurnEnding) {
        EndTurn();
        return;
    }
    UpdateShake(dt);
    m_progress.playTime += dt;

    m_board.UpdateFalling(dt);
    m_progress.removed += m_board.UpdateEffects(dt);
    if (m_board.TakeMulticolorArrived()) {
        if (m_listener != nullptr) {
            m_listener->OnMulticolorArrived();
        } else {
            GiveMulticolorBall();
        }
    }
    ScoreDrops();
    if (m_board.IsResolving()) {
        return;
    }
    if (m_phase != EPlayPhase::FieldCleared && !m_board.RowHoldsBall(0)) {
        m_phase = EPlayPhase::FieldCleared;
    }
    if (m_phase == EPlayPhase::Landed) {
        m_phase = EPlayPhase::TurnEnding;
        return;
    }
    if (m_phase == EPlayPhase::Aiming) {
        UpdateIdle(dt);
        if (!input.disabled && input.fireHit && CanFire()) {
            Fire(input.mouseX - 16.0f, input.mouseY - 16.0f);
        }
        if (!input.disabled && input.swapHit && CanFire()) {
            Swap();
        }
        UpdateFlight(dt);
    }
    if (m_phase == EPlayPhase::FieldCleared && m_board.FallingBalls().empty()) {
        m_shakeWarning = false;
        m_phase = EPlayPhase::RowBonus;
    }
}

// The turn's end: the ball in hand comes back, the field may cost a life or move down.
void CPlayfield::EndTurn() {
    m_phase = EPlayPhase::Aiming;
    CheckDanger();
    NextBall();
}

// The row bonus, then the level's end once its pop-ups are gone (told once).
void CPlayfield::UpdateLevelEnd(float dt, const PlayInput& input) {
    UpdateRowBonus(dt, input);
    if (m_phase == EPlayPhase::LevelDone && !m_popUps.IsBusy() && m_next.colour != BallColour::Empty) {
        m_next.colour = BallColour::Empty;
        if (m_listener != nullptr) {
            m_listener->OnLevelFinished();
        }
    }
}

bool CPlayfield::CanFire() const {
    return m_phase == EPlayPhase::Aiming && !m_shot.flying && !m_panelShown;
}

// ---------------------------------------------------------------- the shot

void CPlayfield::Aim(float mouseX, float mouseY) {
    m_launcherAngle = LauncherAngle(m_launcher, mouseX, mouseY);
}

void CPlayfield::Fire(float targetX, float targetY) {
    m_gameHasShot = true;
    m_stats.shots += 1;
    m_progress.shotsFired += 1;
    ResetIdle();
    m_sounds->Play(EGameSound::FireBall);
    CountShotForMoveDown();
    StartShot(m_shot, m_launcher, targetX, targetY);
}

void CPlayfield::Swap() {
    const BallCell current = m_current;
    m_current = m_next;
    m_next = current;
    m_sounds->Play(EGameSound::SwapBall);
}

void CPlayfield::UpdateFlight(float dt) {
    if (!m_shot.flying) {
        return;
    }
    if (StepShot(m_shot, m_board, dt)) {
        LandShot(m_shot.position);
    }
}

void CPlayfield::LandShot(const Vec3& position) {
    m_shot.flying = false;
    m_shot.position = position;
    m_phase = EPlayPhase::Landed;
    CellPos cell;
    if (!m_board.FindStickCell(position, cell)) {
        // The ball is lost; the turn still ends so that the next ball comes.
        return;
    }
    if (HasPowerUpNeighbour(cell.column, cell.row)) {
        ImpactPowerUps(cell.column, cell.row);
    } else {
        PlayImpactSound(cell.column, cell.row);
        PlaceShot(cell.column, cell.row);
    }
}

bool CPlayfield::HasPowerUpNeighbour(int32_t column, int32_t row) const {
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = m_board.Neighbours(column, row, neighbours);
    for (int32_t i = 0; i < count; ++i) {
        if (BallColour::IsPowerUp(m_board.CellAt(neighbours[i].column, neighbours[i].row).colour)) {
            return true;
        }
    }
    return false;
}

void CPlayfield::PlayImpactSound(int32_t column, int32_t row) const {
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = m_board.Neighbours(column, row, neighbours);
    for (int32_t i = 0; i < count; ++i) {
        if (m_board.CellAt(neighbours[i].column, neighbours[i].row).colour == BallColour::Obstacle) {
            m_sounds->Play(EGameSound::BallHitObstacle);
            return;
        }
    }
    m_sounds->Play(EGameSound::BallStick);
}

void CPlayfield::PlaceShot(int32_t column, int32_t row) {
    m_board.SetCell(m_current.colour, m_current.frame, column, row);
    m_phase = EPlayPhase::Landed;
    CountLanding(m_board.RemoveMatches(m_current.colour, m_current.frame, column, row));
    const int32_t points = ScoreRemovalCounted();
    if (points > 0) {
        const Vec3 centre = m_board.CellCenter(column, row);
        m_popUps.AddNumber(m_progress.ballPoints, centre.x, centre.y);
        m_stats.hits += 1;
        ComboPopUp(centre.x, centre.y);
    }
}

void CPlayfield::ImpactPowerUps(int32_t column, int32_t row) {
    PowerUpEntry entries[CBoard::kMaxNeighbours];
    const int32_t entryCount = m_board.SpecialNeighbours(column, row, entries);
    PlayImpactSound(column, row);
    m_progress.combo = 0;
    m_phase = EPlayPhase::Landed;
    for (int32_t i = 0; i < entryCount; ++i) {
        const PowerUpEntry& entry = entries[i];
        if (entry.colour == BallColour::Obstacle) {
            continue;
        }
        m_sounds->Play(PowerUpSound(entry.colour));
        const Vec3 centre = m_board.CellCenter(entry.column, entry.row);
        AddScore(kPowerUpPoints, centre.x, centre.y);
        m_progress.removed += m_board.TriggerPowerUp(entry, m_current);
    }
    m_stats.hits += 1;
}

void CPlayfield::GiveMulticolorBall() {
    m_multicolorPending = true;
    m_current = BallCell{BallColour::Multicolor, 0};
    m_shot.position = ShotStartPosition(m_launcher);
}

// ---------------------------------------------------------------- the colour of new balls

void CPlayfield::NextBall() {
    m_chooser.Survey(m_board, m_next.colour == BallColour::Empty);
    m_shot.position = ShotStartPosition(m_launcher);
    m_shot.flying = false;
    if (m_multicolorPending) {
        m_multicolorPending = false;
        m_current = BallCell{BallColour::Multicolor, 0};
        return;
    }
    m_chooser.Choose(m_current, m_next, m_random);
}

// ---------------------------------------------------------------- points

// A removal counts towards the combo and the level's matches; a shot that matched nothing
// ends the combo.
void CPlayfield::CountLanding(const LandingResult& landing) {
    if (!landing.matched) {
        m_progress.combo = 0;
        m_progress.removed = 0;
        return;
    }
    m_progress.combo += 1;
    m_stats.matches += 1;
    m_progress.removed = landing.removed;
}

int32_t CPlayfield::ScoreRemovalCounted() {
    m_scoredRemovedTotal += m_progress.removed;
    return ScoreRemoval(m_progress);
}

void CPlayfield::ScoreDrops() {
    if (!m_board.IsResolving() && !m_board.IsRemovalInProgress()) {
        return;
    }
    if (m_progress.removed <= 0) {
        return;
    }
    ScoreRemovalCounted();
    const Vec3 centre = m_board.CellCenter(m_board.EffectCell().column, m_board.EffectCell().row);
    m_popUps.AddNumber(m_progress.ballPoints, centre.x, centre.y);
    if (m_progress.comboPoints > 0) {
        m_sounds->Play(EGameSound::Combo);
    }
}

void CPlayfield::AddScore(int32_t points, float x, float y) {
    AddToScore(m_progress, points);
    m_popUps.AddNumber(points, x, y);
}

void CPlayfield::ComboPopUp(float x, float y) {
    if (m_progress.comboPoints <= 0) {
        return;
    }
    m_sounds->Play(EGameSound::Combo);
    char text[20];
    std::snprintf(text, sizeof(text), "%s%d", GameText(EGameText::ComboPlus), m_progress.comboPoints);
    m_popUps.Add(text, x, y + kComboPopUpDrop);
}

// ---------------------------------------------------------------- moving down, danger, lives

int32_t CPlayfield::ShotsBeforeMoveDown() const {
    return RulesForDifficulty(m_difficulty).shotsPerMoveDown - m_shotCount;
}

void CPlayfield::CountShotForMoveDown() {
    m_shotCount += 1;
    if (m_shotCount >= RulesForDifficulty(m_difficulty).shotsPerMoveDown) {
        m_moveNow = true;
    }
}

void CPlayfield::CheckDanger() {
    if (m_board.RowHoldsBall(m_board.BottomRow())) {
        LoseLife();
    } else if (m_moveNow) {
        StartMoveDown();
    } else if (ShotsBeforeMoveDown() == 1) {
        m_shakeWarning = true;
        m_sounds->Play(EGameSound::ShakeLevel);
        m_shakeTimer = 0.0f;
        m_shakeSoundTimer = 0.0f;
        m_shakeX = 0.0f;
        m_shakeY = 0.0f;
    }
}

void CPlayfield::StartMoveDown() {
    m_shakeWarning = false;
    m_shotCount = 0;
    m_moveNow = false;
    m_movingDown = true;
    m_movePixelsLeft = static_cast<int32_t>(kMoveDownPixels);
    m_moveTimer = 0.0f;
}

void CPlayfield::UpdateMoveDown(float dt) {
    if (!m_movingDown) {
        return;
    }
    m_moveTimer += dt;
    while (m_moveTimer > kMoveDownStepTime && m_movePixelsLeft > 0) {
        m_moveTimer -= kMoveDownStepTime;
        m_board.MoveDown(static_cast<float>(kMoveDownStepPixels));
        m_dropOffset += kMoveDownStepPixels;
        m_movePixelsLeft -= kMoveDownStepPixels;
    }
    if (m_movePixelsLeft > 0) {
        return;
    }
    m_movingDown = false;
    m_board.RaiseBottomRow();
    m_sounds->Play(EGameSound::MoveLevelDown);
    // While power-ups act the turn's own danger check follows once they are done.
    if (m_board.RowHoldsBall(m_board.BottomRow()) && !m_board.IsResolving()) {
        LoseLife();
    }
}

void CPlayfield::LoseLife() {
    m_clearCursor = CellPos{0, 0};
    m_clearingStepTimer = 0.0f;
    m_clearingSoundTimer = 1.0f;
    m_progress.lives -= 1;
    if (m_progress.lives < 0) {
        m_clearingTimer = 0.5f;
        m_phase = EPlayPhase::GameOverSweep;
    } else {
        m_clearingTimer = -1.0f;
        m_phase = EPlayPhase::LifeLost;
        if (m_listener != nullptr) {
            m_listener->OnLifeLost();
        }
    }
}

void CPlayfield::UpdateClearing(float dt) {
    if (m_clearCursor.row < kBoardRows) {
        m_clearingStepTimer += dt;
        m_clearingSoundTimer += dt;
        while (m_clearingStepTimer >= kClearingStepTime && m_clearCursor.row < kBoardRows) {
            m_clearingStepTimer -= kClearingStepTime;
            int32_t index = m_clearCursor.row * kBoardColumns + m_clearCursor.column;
            while (index < kBoardCells && m_board.CellAt(index % kBoardColumns, index / kBoardColumns).IsEmpty()) {
                ++index;
            }
            if (index < kBoardCells) {
                m_board.SetCell(BallColour::Empty, 0, index % kBoardColumns, index / kBoardColumns);
                m_board.Burst(index % kBoardColumns, index / kBoardColumns, CBoard::kBurstParticles);
                ++index;
            }
            m_clearCursor = index < kBoardCells ? CellPos{index % kBoardColumns, index / kBoardColumns}
                                                : CellPos{0, kBoardRows};
        }
        if (m_clearingSoundTimer > kClearingSoundTime) {
            m_sounds->Play(EGameSound::PowerupExplosionSmall);
            m_clearingSoundTimer = 0.0f;
        }
        return;
    }
    m_clearingTimer -= dt;
    if (m_clearingTimer >= 0.0f) {
        return;
    }
    if (m_phase == EPlayPhase::GameOverSweep) {
        m_phase = EPlayPhase::GameOver;
        m_sounds->Play(EGameSound::GameOver);
        if (m_listener != nullptr) {
            m_listener->OnGameOver();
        }
        return;
    }
    // The owner replays the level (a new start); alone, the playfield plays on.
    m_phase = EPlayPhase::Aiming;
    if (m_listener != nullptr) {
        m_listener->OnReplayLevel();
    }
}

// ---------------------------------------------------------------- idle countdown and shaking

void CPlayfield::ResetIdle() {
    m_idleTimer = 0.0f;
    m_idleRunning = false;
}

void CPlayfield::UpdateIdle(float dt) {
    if (!m_idleRunning) {
        m_idleTimer += dt;
        if (m_idleTimer > RulesForDifficulty(m_difficulty).idleTime) {
            m_sounds->Play(EGameSound::Countdown);
            m_idleRunning = true;
            m_countdownDigit = kCountdownStart;
            m_idleTimer = 1.0f;
        }
        return;
    }
    m_idleTimer -= dt;
    if (m_idleTimer >= 0.0f) {
        return;
    }
    m_countdownDigit -= 1;
    m_idleTimer += 1.0f;
    if (m_countdownDigit <= 0) {
        m_idleRunning = false;
        m_idleTimer = 0.0f;
        StartMoveDown();
    } else {
        m_sounds->Play(EGameSound::Countdown);
    }
}

void CPlayfield::UpdateShake(float dt) {
    if (!m_shakeWarning) {
        return;
    }
    m_shakeTimer += dt;
    m_shakeSoundTimer += dt;
    if (m_shakeTimer >= kShakeRedrawTime) {
        m_shakeTimer -= kShakeRedrawTime;
        const float since = m_shakeSoundTimer;
        const float width = 2.0f - since - 0.01f;
        const float spanX = width > 0.0f ? static_cast<float>(RandomNext()) / 32768.0f * width : 0.0f;
        const float spanY = width > 0.0f ? static_cast<float>(RandomNext()) / 32768.0f * width : 0.0f;
        m_shakeX = std::round(spanX - since * 0.5f);
        m_shakeY = std::round(spanY - since * 0.5f);
    }
    if (m_shakeSoundTimer >= kShakeSoundTime) {
        m_sounds->Play(EGameSound::ShakeLevel);
        m_shakeSoundTimer = 0.0f;
    }
}

// ---------------------------------------------------------------- the row bonus

void CPlayfield::UpdateRowBonus(float dt, const PlayInput& input) {
    if (m_phase != EPlayPhase::RowBonus) {
        return;
    }
    if (!input.disabled && input.skipHit) {
        m_skip = true;
    }
    if (m_sweepCursor.row >= m_board.BottomRow()) {
        m_phase = EPlayPhase::LevelDone;
        return;
    }
    m_sweepTimer += dt;
    if (!m_skip && m_sweepTimer < kSweepCellTime) {
        return;
    }
    m_sweepTimer = m_skip ? 0.0f : m_sweepTimer - kSweepCellTime;
    const int32_t row = m_sweepCursor.row;
    if (m_sweepCursor.column == 0) {
        m_sounds->Play(EGameSound::PowerupExplosionSmall);
    }
    m_board.Burst(m_sweepCursor.column, row, CBoard::kBurstParticles);
    m_sweepCursor.column += 1;
    if (m_sweepCursor.column < m_board.RowLength(row)) {
        return;
    }
    const float y = m_board.CellTopLeft(0, row).y + 10.0f;
    if (m_listener != nullptr) {
        m_listener->OnRowBonus(m_bonusValue, 320.0f, y);
    } else {
        AddScore(m_bonusValue, 320.0f, y);
    }
    m_bonusValue *= 2;
    m_sweepCursor = CellPos{0, row + 1};
    m_sweepTimer = m_skip ? 0.0f : -kSweepRowPause;
    if (m_sweepCursor.row >= m_board.BottomRow()) {
        m_phase = EPlayPhase::LevelDone;
    }
}

// ---------------------------------------------------------------- saved games

PlayfieldSaveState CPlayfield::SaveState() const {
    PlayfieldSaveState state;
    state.shot = m_shot;
    state.current = m_current;
    state.next = m_next;
    state.chooser = m_chooser.State();
    state.dropOffset = m_dropOffset;
    state.ready = m_phase == EPlayPhase::Aiming;
    state.gameOver = IsGameOver();
    state.clearing = IsClearing();
    state.multicolorPending = m_multicolorPending;
    state.shakeWarning = m_shakeWarning;
    state.turnEndPending = m_phase == EPlayPhase::TurnEnding;
    state.popUpsActive = m_popUps.IsBusy();
    state.secondParticlesActive = m_effects.System(1).ActiveCount() > 0;
    state.levelFinished = IsLevelFinished();
    state.rowBonusDone = IsRowBonusDone();
    state.fieldEmpty = IsFieldEmpty();
    state.placed = m_phase == EPlayPhase::Landed;
    state.movingDown = m_movingDown;
    state.movePixelsLeft = m_movePixelsLeft;
    state.moveTimer = m_moveTimer;
    state.shotCount = m_shotCount;
    state.moveNow = m_moveNow;
    state.rowBonusValue = m_bonusValue;
    state.sweepTimer = m_sweepTimer;
    state.sweepCursor = m_sweepCursor;
    state.board = m_board.SaveState();
    return state;
}

// The flags of a saved game name one phase; the most advanced flag wins.
EPlayPhase CPlayfield::PhaseFromSavedFlags(const PlayfieldSaveState& state) {
    if (state.gameOver) {
        return state.clearing ? EPlayPhase::GameOverSweep : EPlayPhase::GameOver;
    }
    if (state.clearing) {
        return EPlayPhase::LifeLost;
    }
    if (state.rowBonusDone) {
        return EPlayPhase::LevelDone;
    }
    if (state.levelFinished) {
        return EPlayPhase::RowBonus;
    }
    if (state.fieldEmpty) {
        return EPlayPhase::FieldCleared;
    }
    if (state.turnEndPending) {
        return EPlayPhase::TurnEnding;
    }
    if (state.ready) {
        return EPlayPhase::Aiming;
    }
    return EPlayPhase::Landed;
}

void CPlayfield::RestoreState(const PlayfieldSaveState& state) {
    m_effects.Clear();
    m_popUps.Clear();
    m_board.RestoreState(state.board);
    m_shot = state.shot;
    m_current = state.current;
    m_next = state.next;
    m_chooser.SetState(state.chooser);
    m_dropOffset = state.dropOffset;
    m_phase = PhaseFromSavedFlags(state);
    m_multicolorPending = state.multicolorPending;
    m_shakeWarning = state.shakeWarning;
    m_shakeTimer = 0.0f;
    m_shakeSoundTimer = 0.0f;
    m_movingDown = state.movingDown;
    m_movePixelsLeft = state.movePixelsLeft;
    m_moveTimer = state.moveTimer;
    m_shotCount = state.shotCount;
    m_moveNow = state.moveNow;
    m_bonusValue = state.rowBonusValue;
    m_sweepTimer = state.sweepTimer;
    m_sweepCursor = state.sweepCursor;
    m_skip = false;
    m_clearCursor = CellPos{0, 0};
    m_clearingStepTimer = 0.0f;
    m_clearingSoundTimer = 1.0f;
    m_clearingTimer = m_phase == EPlayPhase::GameOverSweep ? 0.5f : -1.0f;
    ResetIdle();
}
