#pragma once
// CBoard: the field of balls, its geometry, and the rules that change it: where a shot
// sticks, which balls a shot removes, which fall because nothing holds them any more,
// and the power-up effects that run over several steps. Plain C++, no drawing.
#include "game/BallTypes.h"
#include "game/GameSounds.h"
#include "game/Scoring.h"

#include <cstddef>
#include <string>
#include <vector>

class CEffects;

// The level file layout of a grid: 130 records of {int32 colour, uint32 frame},
// little-endian, row-major; exactly kLevelFileSize bytes.
void StoreGridBytes(const BoardGrid& grid, uint8_t* out);

struct FallingBall {
    int32_t colour = BallColour::Empty;
    uint32_t frame = 0;
    float acceleration = 0.0f;   // pixels per second squared
    float velocity = 0.0f;       // pixels per second, downwards
    float x = 0.0f, y = 0.0f;    // top-left corner
};

// A special ball beside the rest cell of a shot, collected at the impact.
struct PowerUpEntry {
    int32_t column = 0;
    int32_t row = 0;
    int32_t colour = BallColour::Empty;
    uint32_t frame = 0;
};

// A cell waiting to be blown away, or a ball that was just repainted.
struct CellRecord {
    int32_t column = 0;
    int32_t row = 0;
    int32_t colour = BallColour::Empty;
    uint32_t frame = 0;
};

// One arrow sweeping its row; each direction keeps its own cell and timer.
struct ArrowSweep {
    bool running = false;
    int32_t column = 0;
    int32_t row = 0;
    float timer = 0.0f;
    float x = 0.0f, y = 0.0f;   // the arrow sprite's top-left
};

struct FlyingMulticolor {
    bool running = false;
    Vec3 position;
    Vec3 target;
    Vec3 velocity;
};

// What a shot did to the field when it came to rest in a cell.
struct LandingResult {
    bool matched = false;   // its group (three, or two with the multicolour ball) was taken off
    int32_t removed = 0;    // balls taken off: the group and the balls it cut loose
};

// What a saved game keeps of the board. Falling balls, the explosion queue and the list of
// repainted balls are not kept; one arrow's timer and position are.
struct BoardSaveState {
    BoardGrid grid;
    BoardGrid removal;
    BoardGrid anchor;
    float recolourTimer = 0.0f;
    float explosionTimer = 0.0f;
    int32_t bottomRow = kBoardRows - 1;
    Vec3 origin;
    bool removalInProgress = false;
    bool resolving = false;
    bool arrowLeftRunning = false;
    bool arrowRightRunning = false;
    float arrowTimer = 0.0f;
    CellPos effectCell;
    float arrowX = 0.0f, arrowY = 0.0f;
    FlyingMulticolor flyingMulticolor;
};

class CBoard {
public:
    static constexpr int32_t kMaxNeighbours = kMaxFieldNeighbours;
    static constexpr int32_t kTopRow = 0;
    static constexpr int32_t kLowestRow = kBoardRows - 1;
    static constexpr float kStickDistanceSquared = 800.0f;
    static constexpr int32_t kBurstParticles = 30;

    CBoard();
    CBoard(const CBoard&) = delete;
    CBoard& operator=(const CBoard&) = delete;

    // Null: no particles (the board of a bot's trial shot).
    void SetEffects(CEffects* effects) { m_effects = effects; }
    // A silent board plays no sound events; the others play them into their sink.
    void SetSilent(bool silent) { m_silent = silent; }
    void SetSoundSink(IGameSoundSink& sounds) { m_sounds = &sounds; }

    // --- the field
    // Empties the field, the removal grid and the anchor grid; clears the removal flag.
    void ClearGrids();
    // How a level file was taken (the game and the editor judge a file the same way).
    enum class ELevelRead {
        Loaded,    // the file as it is
        Cleaned,   // loaded; what no level may hold was emptied, or bytes past the level ignored
        FellBack,  // the first copy (an edited level) could not be read; the next one (the
                   // shipped level) was loaded
        Refused,   // no copy could be read: the field is empty
    };
    // Reads the level file through the level pack (filter "levels"): the first copy found,
    // and when that one is shorter than a level or unreadable, the next copy of that name.
    ELevelRead ReadLevel(const std::string& fileName);
    // Judges level bytes: fewer than kLevelFileSize are refused (the field emptied), bytes
    // past them are ignored, and cells no level may hold (codes out of range, balls off
    // the field, empty cells with a frame) are emptied; cleaned counts them.
    ELevelRead LoadJudgedBytes(const uint8_t* bytes, size_t size, int32_t& cleaned);
    // ReadLevel, true unless refused.
    bool LoadLevel(const std::string& fileName);
    bool SaveLevel(const std::string& fileName) const;
    // The level file layout: 130 records of {int32 colour, uint32 frame}, little-endian.
    bool LoadFromBytes(const uint8_t* bytes, size_t size);
    void StoreToBytes(uint8_t* out) const;
    void SetCell(int32_t colour, uint32_t frame, int32_t column, int32_t row);
    // Coordinates outside the grid yield cell (0, 0).
    const BallCell& CellAt(int32_t column, int32_t row) const;
    // Copies field, origin and bottom row; nothing running is copied.
    void CopyFieldFrom(const CBoard& other);
    int32_t BallCount() const;
    bool RowHoldsBall(int32_t row) const;

    // --- geometry
    // Origin (160, 32, 0) and bottom row 12: the placement at every level start.
    void ResetPlacement();
    const Vec3& Origin() const { return m_origin; }
    void MoveDown(float pixels) { m_origin.y += pixels; }
    int32_t BottomRow() const { return m_bottomRow; }
    void RaiseBottomRow() { --m_bottomRow; }
    void SetBottomRow(int32_t row) { m_bottomRow = row; }
    // The field's shape (BallTypes.h), named where the board's rules read it.
    bool IsShortRow(int32_t row) const { return IsShortFieldRow(row); }
    int32_t RowLength(int32_t row) const { return FieldRowLength(row); }
    bool IsPlayable(int32_t column, int32_t row) const { return IsFieldCell(column, row); }
    Vec3 CellTopLeft(int32_t column, int32_t row) const;
    Vec3 CellCenter(int32_t column, int32_t row) const;
    // Neighbours in the order upper-left, upper-right, lower-left, lower-right, left, right.
    int32_t Neighbours(int32_t column, int32_t row, CellPos out[kMaxNeighbours]) const {
        return FieldNeighbours(column, row, out);
    }

    // --- a shot coming to rest
    // The free, supported cell where a ball at position p (top-left) rests. False (and
    // the log line) when there is none.
    bool FindStickCell(const Vec3& position, CellPos& out) const;

    // --- matching and falling
    // Takes off the group of the ball at (column, row) when it is large enough, and the
    // balls it held; an unmatched group stays (a multicolour ball bursts).
    LandingResult RemoveMatches(int32_t colour, uint32_t frame, int32_t column, int32_t row);
    // Every ball no longer held from the top row starts falling; returns how many.
    int32_t DropLoose();
    void UpdateFalling(float dt);
    bool IsRemovalInProgress() const { return m_removalInProgress; }
    const std::vector<FallingBall>& FallingBalls() const { return m_falling; }
    int32_t RemovalCount() const;

    // --- power-ups
    // The special balls (power-ups and obstacles) beside a rest cell, in neighbour order.
    int32_t SpecialNeighbours(int32_t column, int32_t row, PowerUpEntry out[kMaxNeighbours]) const;
    // A shot's impact on one power-up beside it: an explosion or a colour change takes the
    // shot's ball into its cell, the others burst; then the power-up acts.
    // Both return the balls that fell at once because nothing held them any more.
    int32_t TriggerPowerUp(const PowerUpEntry& entry, const BallCell& shot);
    int32_t ActivatePowerUp(const PowerUpEntry& entry, int32_t shotColour);
    // One step of the running power-ups; returns the balls they cut loose in this step.
    int32_t UpdateEffects(float dt);
    bool IsResolving() const { return m_resolving; }
    const CellPos& EffectCell() const { return m_effectCell; }
    // True once after the flying multicolour ball reached the launcher.
    bool TakeMulticolorArrived();
    const ArrowSweep& Arrow(int32_t direction) const { return m_arrows[direction & 1]; }
    const FlyingMulticolor& FlyingBall() const { return m_flyingMulticolor; }
    const std::vector<CellRecord>& Recoloured() const { return m_recoloured; }
    const std::vector<CellRecord>& ExplosionQueue() const { return m_explosions; }
    // Drops everything in motion: falling balls, power-up effects and their timers.
    void ClearTransient();

    // A burst of particles at the centre of a cell.
    void Burst(int32_t column, int32_t row, int32_t count) const;

    // --- saved games
    BoardSaveState SaveState() const;
    // Takes a saved board over; what is not kept (falling balls, queues) is dropped.
    void RestoreState(const BoardSaveState& state);

    // Every falling ball ever made by this board: the balls that removals took off.
    int64_t FallingCreatedTotal() const { return m_fallingCreatedTotal; }

private:
    enum { kArrowLeft = 0, kArrowRight = 1 };

    void Play(EGameSound sound) const;
    void GroupSearch(int32_t colour, uint32_t frame, int32_t column, int32_t row, int32_t& count);
    void Restore();
    void Spread(int32_t column, int32_t row);
    void AddFallingBall(const BallCell& cell, int32_t column, int32_t row);
    int32_t SupportKind(int32_t column, int32_t row) const;
    int32_t StartArrow(int32_t direction, const PowerUpEntry& entry);
    int32_t StepArrow(int32_t direction, float dt);
    void UpdateFlyingMulticolor(float dt);
    void UpdateRecoloured(float dt);
    void UpdateExplosions(float dt);

    Vec3 m_origin;
    int32_t m_bottomRow = kLowestRow;

    std::vector<FallingBall> m_falling;
    std::vector<CellRecord> m_recoloured;
    std::vector<CellRecord> m_explosions;
    bool m_removalInProgress = false;

    bool m_resolving = false;
    CellPos m_effectCell;
    ArrowSweep m_arrows[2];
    float m_explosionTimer = 0.0f;
    float m_recolourTimer = 0.0f;
    FlyingMulticolor m_flyingMulticolor;
    bool m_multicolorArrived = false;

    BoardGrid m_grid;
    BoardGrid m_removal;
    BoardGrid m_anchor;

    CEffects* m_effects = nullptr;
    bool m_silent = false;
    IGameSoundSink* m_sounds = &HeardSounds();
    int64_t m_fallingCreatedTotal = 0;
};
