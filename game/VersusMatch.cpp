#include "game/VersusMatch.h"

#include "core/Log.h"
#include "game/LevelText.h"

#include <algorithm>
#include <string>

namespace {
// Rounds play the duel levels in turn: six colours in bands, steps and pairs, five rows
// deep, so that a round lasts long enough for attacks to decide it (see the README).
constexpr int32_t kDuelLevelRows = 5;
const char* const kDuelLevels[kDuelLevelCount] = {
    "1122334455\n"
    " 112233445\n"
    "3344550011\n"
    " 334455001\n"
    "5544001123\n",

    "0123450123\n"
    " 012345012\n"
    "1234501234\n"
    " 123450123\n"
    "2345012345\n",

    "3355114422\n"
    " 335114422\n"
    "2244553311\n"
    " 224455331\n"
    "1133224455\n",
};

constexpr uint32_t kRoundSeedStep = 7919u;
constexpr uint32_t kAttackSeedSalt = 0x5EED0u;

bool IsOccupied(const CBoard& board, const CellPos& cell) {
    return !board.CellAt(cell.column, cell.row).IsEmpty();
}

// A free cell where an attack ball may hang: above the lowest row, in the top row or
// right below a ball.
bool IsLandingCell(const CBoard& board, int32_t column, int32_t row) {
    if (row >= board.BottomRow() || !board.CellAt(column, row).IsEmpty()) {
        return false;
    }
    if (row == CBoard::kTopRow) {
        return true;
    }
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = board.Neighbours(column, row, neighbours);
    for (int32_t i = 0; i < count; ++i) {
        if (neighbours[i].row < row && IsOccupied(board, neighbours[i])) {
            return true;
        }
    }
    return false;
}

// A colour of the field's ordinary balls, drawn evenly among those present.
int32_t AttackColour(const CBoard& board, CRandom& random) {
    bool present[BallColour::ColourCount] = {};
    int32_t count = 0;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < board.RowLength(row); ++column) {
            const int32_t colour = board.CellAt(column, row).colour;
            if (BallColour::IsOrdinary(colour) && !present[colour]) {
                present[colour] = true;
                ++count;
            }
        }
    }
    if (count == 0) {
        return random.Next() % 4;
    }
    int32_t pick = random.Next() % count;
    for (int32_t colour = 0; colour < BallColour::ColourCount; ++colour) {
        if (present[colour] && pick-- == 0) {
            return colour;
        }
    }
    return BallColour::FirstColour;
}
}  // namespace

int32_t AttackBalls(int32_t takenOff) {
    return std::clamp(takenOff - kAttackThreshold, 0, kMaxAttackBalls);
}

int32_t LandAttackBalls(CBoard& board, int32_t count, CRandom& random) {
    int32_t landed = 0;
    CellPos cells[kBoardCells];
    for (; landed < count; ++landed) {
        // The free cells of the highest row that has any: attack balls fill the field from
        // the top, so they block the way to a clear before they crowd the launcher.
        int32_t cellCount = 0;
        for (int32_t row = 0; row < kBoardRows && cellCount == 0; ++row) {
            for (int32_t column = 0; column < board.RowLength(row); ++column) {
                if (IsLandingCell(board, column, row)) {
                    cells[cellCount++] = CellPos{column, row};
                }
            }
        }
        if (cellCount == 0) {
            break;
        }
        const CellPos cell = cells[random.Next() % cellCount];
        board.SetCell(AttackColour(board, random), 0, cell.column, cell.row);
    }
    return landed;
}

bool AllBallsHeld(const CBoard& board) {
    bool held[kBoardRows][kBoardColumns] = {};
    CellPos stack[kBoardCells];
    int32_t depth = 0;
    for (int32_t column = 0; column < board.RowLength(CBoard::kTopRow); ++column) {
        if (!board.CellAt(column, CBoard::kTopRow).IsEmpty()) {
            held[CBoard::kTopRow][column] = true;
            stack[depth++] = CellPos{column, CBoard::kTopRow};
        }
    }
    while (depth > 0) {
        const CellPos cell = stack[--depth];
        CellPos neighbours[CBoard::kMaxNeighbours];
        const int32_t count = board.Neighbours(cell.column, cell.row, neighbours);
        for (int32_t i = 0; i < count; ++i) {
            const CellPos& next = neighbours[i];
            if (!held[next.row][next.column] && IsOccupied(board, next)) {
                held[next.row][next.column] = true;
                stack[depth++] = next;
            }
        }
    }
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < board.RowLength(row); ++column) {
            if (!board.CellAt(column, row).IsEmpty() && !held[row][column]) {
                return false;
            }
        }
    }
    return true;
}

bool DuelLevel(int32_t round, BoardGrid& grid) {
    std::string text = kDuelLevels[((round % kDuelLevelCount) + kDuelLevelCount) % kDuelLevelCount];
    for (int32_t row = kDuelLevelRows; row < kBoardRows; ++row) {
        text += IsShortFieldRow(row) ? " .........\n" : "..........\n";
    }
    std::string error;
    if (!ParseLevelText(text, grid, error)) {
        CLog::Get().Write("DuelLevel FAILED, round %d: %s", round, error.c_str());
        return false;
    }
    return true;
}

CVersusMatch::CVersusMatch() {
    for (Side& side : m_sides) {
        side.playfield.SetListener(&side);
    }
}

void CVersusMatch::Start(const VersusRules& rules, uint32_t seed) {
    m_rules = rules;
    m_seed = seed;
    m_round = 0;
    for (Side& side : m_sides) {
        side.roundsWon = 0;
    }
    StartNextRound();
}

void CVersusMatch::StartNextRound() {
    BoardGrid grid = {};
    DuelLevel(m_round, grid);
    StartRound(grid);
}

void CVersusMatch::StartRoundOn(const BoardGrid& grid) {
    StartRound(grid);
}

void CVersusMatch::StartRound(const BoardGrid& grid) {
    ++m_round;
    m_roundSeed = m_seed + static_cast<uint32_t>(m_round) * kRoundSeedStep;
    uint8_t bytes[kLevelFileSize];
    StoreGridBytes(grid, bytes);
    for (int32_t index = 0; index < kVersusSides; ++index) {
        Side& side = m_sides[index];
        CPlayfield& playfield = side.playfield;
        playfield.SetDifficulty(m_rules.difficulty);
        playfield.SetPanelShown(false);
        // Both sides draw the same colours for the same shots.
        playfield.Random().Seed(m_roundSeed);
        playfield.LoadLevelBytes(bytes, sizeof(bytes));
        playfield.Progress() = PlayerProgress();
        playfield.Progress().lives = 0;   // the first ball left in the lowest row loses the round
        playfield.Stats().ZeroAll();
        playfield.StartLevel();
        side.attackRandom.Seed(m_roundSeed ^ (kAttackSeedSalt + static_cast<uint32_t>(index)));
        side.takenMark = playfield.Board().FallingCreatedTotal();
        side.incoming = 0;
        side.incomingAge = 0.0f;
        side.wasAiming = playfield.IsReady();
        side.counts = VersusSideCounts();
        side.steps = 0;
        side.stopped = false;
        side.end = ERoundEnd::None;
        side.stopStep = 0;
        side.stopBalls = 0;
        side.ready = false;
        side.travellingCount = 0;
    }
    m_result = VersusRoundResult();
    m_phase = EVersusPhase::Playing;
}

void CVersusMatch::Step(const PlayInput inputs[kVersusSides]) {
    if (m_phase != EVersusPhase::Playing) {
        SweepFields();
        return;
    }
    for (int32_t side = 0; side < kVersusSides; ++side) {
        StepSide(side, inputs[side]);
    }
}

void CVersusMatch::SweepFields() {
    // The lost side's field is swept on; nobody plays.
    const PlayInput idle;
    for (Side& side : m_sides) {
        UpdateField(side, idle);
    }
}

bool CVersusMatch::CanStepSide(int32_t index) const {
    const Side& side = m_sides[index];
    const Side& other = m_sides[1 - index];
    if (side.ready || m_round == 0) {
        return false;
    }
    if (other.stopped || other.ready) {
        return true;
    }
    // Attacks sent on the other side's step n arrive on this side's step n + travel: the
    // other side must have played every step that could send one to this side's next step.
    // Without travel that cannot hold for both: the first side goes first.
    const int32_t travel = m_rules.attackTravelSteps;
    const int32_t firstSlack = travel == 0 && index == 0 ? 1 : 0;
    return other.steps >= side.steps + 1 - travel - firstSlack;
}

void CVersusMatch::StepSide(int32_t index, const PlayInput& input) {
    Side& side = m_sides[index];
    ++side.steps;
    ReceiveAttacks(side);
    if (side.stopped) {
        // A side that lost is swept on; one that cleared or ran out of time stands still.
        UpdateField(side, PlayInput());
        return;
    }
    PlaySide(index, input);
    const ERoundEnd end = SideEnd(index);
    if (end != ERoundEnd::None) {
        StopSide(index, end);
    } else if (static_cast<float>(side.steps) * CPlayfield::kStepLength >= m_rules.roundSeconds) {
        StopSide(index, ERoundEnd::None);
    }
    if (m_phase == EVersusPhase::Playing) {
        DecideRound();
        if (m_phase != EVersusPhase::Playing && m_rules.attackTravelSteps == 0) {
            // In one program the round ends for both sides at once.
            for (Side& each : m_sides) {
                each.playfield.SetPanelShown(true);
            }
        }
    }
}

void CVersusMatch::PlaySide(int32_t index, const PlayInput& input) {
    Side& side = m_sides[index];
    CPlayfield& playfield = side.playfield;
    const int32_t shotsBefore = playfield.Progress().shotsFired;
    UpdateField(side, input);
    CheckExtraLife(playfield.Progress(), m_rules.difficulty);
    side.counts.shots += playfield.Progress().shotsFired - shotsBefore;
    // A turn ends when the ball in hand may be fired again: what it took off is counted.
    const bool aiming = playfield.IsReady();
    if (aiming && !side.wasAiming) {
        const int64_t total = playfield.Board().FallingCreatedTotal();
        SendAttack(index, static_cast<int32_t>(total - side.takenMark));
        side.takenMark = total;
    }
    side.wasAiming = aiming;
    if (side.incoming > 0) {
        side.incomingAge += CPlayfield::kStepLength;
        LandIncoming(index);
    }
}

void CVersusMatch::UpdateField(Side& side, const PlayInput& input) {
    side.playfield.Update(CPlayfield::kStepLength, input);
}

void CVersusMatch::SendAttack(int32_t from, int32_t takenOff) {
    const int32_t balls = m_rules.attacks ? AttackBalls(takenOff) : 0;
    if (balls == 0) {
        return;
    }
    Side& sender = m_sides[from];
    ++sender.counts.attacksSent;
    sender.counts.ballsSent += balls;
    Side& target = m_sides[1 - from];
    const int32_t arriveStep = sender.steps + m_rules.attackTravelSteps;
    if (target.travellingCount == kMaxTravelling) {
        // Never in play (a turn takes far longer than the travel); the balls still arrive.
        target.travelling[kMaxTravelling - 1].balls += balls;
        return;
    }
    target.travelling[target.travellingCount++] = TravellingAttack{arriveStep, balls};
}

void CVersusMatch::ReceiveAttacks(Side& side) {
    int32_t kept = 0;
    for (int32_t i = 0; i < side.travellingCount; ++i) {
        const TravellingAttack& attack = side.travelling[i];
        if (attack.arriveStep > side.steps) {
            side.travelling[kept++] = attack;
            continue;
        }
        // The balls have waited since they were sent: their time on the way counts.
        const float travelled = static_cast<float>(m_rules.attackTravelSteps) * CPlayfield::kStepLength;
        side.incomingAge = side.incoming == 0 ? travelled : std::max(side.incomingAge, travelled);
        side.incoming += attack.balls;
    }
    side.travellingCount = kept;
}

void CVersusMatch::LandIncoming(int32_t index) {
    Side& side = m_sides[index];
    CPlayfield& playfield = side.playfield;
    // Between turns only: the ball in hand waits, nothing flies, the field stands still.
    if (side.incomingAge < m_rules.incomingSeconds || !playfield.CanFire() || playfield.IsMovingDown()) {
        return;
    }
    const int32_t landed = LandAttackBalls(playfield.Board(), side.incoming, side.attackRandom);
    side.counts.ballsLanded += landed;
    // Balls that found no cell are dropped: the field is full down to its lowest row.
    side.incoming = 0;
    side.incomingAge = 0.0f;
}

ERoundEnd CVersusMatch::SideEnd(int32_t index) const {
    const CPlayfield& playfield = m_sides[index].playfield;
    if (playfield.IsClearing() || playfield.IsGameOver()) {
        return ERoundEnd::Lost;
    }
    if (playfield.IsFieldEmpty()) {
        return ERoundEnd::Cleared;
    }
    return ERoundEnd::None;
}

void CVersusMatch::StopSide(int32_t index, ERoundEnd end) {
    Side& side = m_sides[index];
    side.stopped = true;
    side.end = end;
    side.stopStep = side.steps;
    side.stopBalls = side.playfield.Board().BallCount();
    if (end != ERoundEnd::Lost) {
        // The turn stops where it is; a lost field is swept on.
        side.playfield.SetPanelShown(true);
    }
}

void CVersusMatch::DecideRound() {
    int32_t decidingStep = -1;
    for (const Side& side : m_sides) {
        if (side.stopped && (decidingStep < 0 || side.stopStep < decidingStep)) {
            decidingStep = side.stopStep;
        }
    }
    if (decidingStep < 0) {
        return;
    }
    for (const Side& side : m_sides) {
        if (!side.stopped && side.steps < decidingStep) {
            return;   // it may still end earlier, or in the same step
        }
    }
    m_result.steps = decidingStep;
    bool ended[kVersusSides] = {};
    for (int32_t index = 0; index < kVersusSides; ++index) {
        const Side& side = m_sides[index];
        ended[index] = side.stopped && side.stopStep == decidingStep && side.end != ERoundEnd::None;
    }
    if (ended[0] && ended[1]) {
        FinishRound(-1, m_sides[0].end);
    } else if (ended[0] || ended[1]) {
        const int32_t index = ended[0] ? 0 : 1;
        const ERoundEnd end = m_sides[index].end;
        FinishRound(end == ERoundEnd::Cleared ? index : 1 - index, end);
    } else {
        FinishRound(FewerBallsSide(), ERoundEnd::TimeUp);
    }
}

int32_t CVersusMatch::FewerBallsSide() const {
    // Both sides stopped at the time limit.
    const int32_t first = m_sides[0].stopBalls;
    const int32_t second = m_sides[1].stopBalls;
    return first == second ? -1 : (first < second ? 0 : 1);
}

void CVersusMatch::FinishRound(int32_t winner, ERoundEnd end) {
    m_result.winner = winner;
    m_result.end = end;
    for (int32_t index = 0; index < kVersusSides; ++index) {
        m_result.sides[index] = m_sides[index].counts;
    }
    if (winner >= 0) {
        ++m_sides[winner].roundsWon;
    }
    const bool decided = winner >= 0 && m_sides[winner].roundsWon >= m_rules.roundsToWin;
    m_phase = decided || m_round >= m_rules.maxRounds ? EVersusPhase::MatchOver : EVersusPhase::RoundOver;
}

bool CVersusMatch::SetSideReady(int32_t index) {
    if (m_phase != EVersusPhase::RoundOver && m_phase != EVersusPhase::MatchOver) {
        return false;
    }
    m_sides[index].ready = true;
    if (m_phase == EVersusPhase::RoundOver && m_sides[0].ready && m_sides[1].ready) {
        StartNextRound();
    }
    return true;
}

int32_t CVersusMatch::IncomingShown(int32_t index) const {
    const Side& side = m_sides[index];
    int32_t balls = side.incoming;
    for (int32_t i = 0; i < side.travellingCount; ++i) {
        balls += side.travelling[i].balls;
    }
    return balls;
}

int32_t CVersusMatch::MatchWinner() const {
    if (m_phase != EVersusPhase::MatchOver || m_sides[0].roundsWon == m_sides[1].roundsWon) {
        return -1;
    }
    return m_sides[0].roundsWon > m_sides[1].roundsWon ? 0 : 1;
}
