#include "game/Bot.h"

#include "core/Random.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr float kMinAngle = -80.0f;
constexpr float kMaxAngle = 80.0f;
constexpr float kAngleStep = 0.75f;
constexpr float kFollowAngleStep = 1.5f;   // the second shot is searched more coarsely
constexpr int32_t kFlightStepLimit = 1500;
constexpr int32_t kEffectStepLimit = 3000;
constexpr double kLostBallValue = -400.0;
constexpr double kLifeLostValue = -1.0e6;
constexpr double kFollowUpWeight = 0.8;    // a planned second shot counts a little less
constexpr double kSwapCost = 0.5;          // equal outcomes keep the ball in hand
// A weaker bot's miss is not made when it would hang the ball within this many rows of the
// row that costs a life once the field has moved down again.
constexpr int32_t kSafeMissRows = 3;

// Whether the game would leave ball on the launcher: the multicolour ball always stays,
// a coloured ball only while its colour is still in the field.
bool StaysInHand(const CBoard& board, const BallCell& ball) {
    if (ball.colour == BallColour::Multicolor) {
        return true;
    }
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < board.RowLength(row); ++column) {
            if (board.CellAt(column, row).colour == ball.colour) {
                return true;
            }
        }
    }
    return false;
}
}  // namespace

BotStrengthRules RulesForStrength(EBotStrength strength) {
    switch (strength) {
        case EBotStrength::Easy: return {4.0f, 6.0f, 1};
        case EBotStrength::Normal: return {1.8f, 1.5f, 3};
        case EBotStrength::Hard:
        default: return {1.1f, 0.4f, CBot::kPlannedFirstShots};
    }
}

namespace {
constexpr const char* kStrengthNames[kBotStrengthCount] = {"easy", "normal", "hard"};
}

bool ParseBotStrength(const char* text, EBotStrength& strength) {
    for (int32_t i = 0; i < kBotStrengthCount; ++i) {
        if (std::strcmp(text, kStrengthNames[i]) == 0) {
            strength = static_cast<EBotStrength>(i);
            return true;
        }
    }
    return false;
}

const char* BotStrengthName(EBotStrength strength) {
    const int32_t index = static_cast<int32_t>(strength);
    return index >= 0 && index < kBotStrengthCount ? kStrengthNames[index] : "?";
}

CBot::CBot(EBotStrength strength, uint32_t seed) : CBot() {
    Configure(strength, seed);
}

void CBot::Configure(EBotStrength strength, uint32_t seed) {
    ConfigureRules(RulesForStrength(strength), seed);
}

void CBot::ConfigureRules(const BotStrengthRules& rules, uint32_t seed) {
    m_strength = rules;
    m_random.Seed(seed);
}

CBot::CBot() {
    m_probe.SetSilent(true);
    m_probe.SetEffects(nullptr);
    m_after.SetSilent(true);
    m_after.SetEffects(nullptr);
}

void CBot::MouseForAngle(float degrees, float& mouseX, float& mouseY) {
    const float radians = degrees * 0.017453292f;
    const float dx = std::sin(radians);
    const float dy = -std::cos(radians);
    // Far enough out for a precise aim, inside the cursor's area (y below 370 is off limits).
    float distance = 200.0f;
    const float needed = (kLauncherPosition.y - 369.0f) / -dy;
    distance = needed > distance ? needed : distance;
    if (std::fabs(dx) > 1e-4f) {
        const float room = (dx > 0.0f ? 639.0f - kLauncherPosition.x : kLauncherPosition.x) / std::fabs(dx);
        distance = room < distance ? room : distance;
    }
    mouseX = std::round(kLauncherPosition.x + dx * distance);
    mouseY = std::round(kLauncherPosition.y + dy * distance);
    mouseY = mouseY > 369.0f ? 369.0f : mouseY;
}

float CBot::AngleForMouse(float mouseX, float mouseY) {
    return std::atan2(mouseX - kLauncherPosition.x, kLauncherPosition.y - mouseY) * 57.29578f;
}

BotChoice CBot::RandomAim(CRandom& random) {
    BotChoice choice;
    const float degrees = kMinAngle + (kMaxAngle - kMinAngle) * static_cast<float>(random.Next()) / 32767.0f;
    MouseForAngle(degrees, choice.mouseX, choice.mouseY);
    choice.swapFirst = (random.Next() & 7) == 0;
    return choice;
}

void CBot::MissAim(BotChoice& choice) {
    if (m_strength.aimErrorDegrees <= 0.0f) {
        return;
    }
    const float unit = static_cast<float>(m_random.Next()) / 32767.0f * 2.0f - 1.0f;
    const float degrees = std::clamp(AngleForMouse(choice.mouseX, choice.mouseY) + unit * m_strength.aimErrorDegrees,
                                     kMinAngle, kMaxAngle);
    MouseForAngle(degrees, choice.mouseX, choice.mouseY);
}

// A miss that would hang the ball near the row that costs a life is not made: the weaker
// bot is slower and less exact, never careless with its own field.
bool CBot::MissIsDangerous(const CBoard& board, const BotChoice& aimed, const BotChoice& missed) {
    if (aimed.mouseX == missed.mouseX && aimed.mouseY == missed.mouseY) {
        return false;
    }
    const Landing landing = Fly(board, AngleForMouse(missed.mouseX, missed.mouseY), false);
    if (!landing.rests || !landing.found) {
        return false;
    }
    return landing.cell.row >= board.BottomRow() - 1 - kSafeMissRows;
}

namespace {
// One step of a trial shot: StepShot's motion, walls and ceiling, with the test for a ball
// near the shot limited to the rows within its reach (a ball farther away in y can never
// stop it, so the shot rests in the same step as in the game).
bool StepTrialShot(ShotState& shot, const CBoard& board, const bool rowHoldsBall[kBoardRows], float dt) {
    MoveShot(shot, dt);
    if (shot.position.y <= board.Origin().y) {
        shot.flying = false;
        return true;
    }
    const float reach = std::sqrt(CBoard::kStickDistanceSquared) + 1.0f;
    const float relative = shot.position.y - board.Origin().y;
    const int32_t firstRow = std::max(0, static_cast<int32_t>(std::floor((relative - reach) / kRowSpacing)));
    const int32_t lastRow = std::min(kBoardRows - 1, static_cast<int32_t>(std::ceil((relative + reach) / kRowSpacing)));
    for (int32_t row = firstRow; row <= lastRow; ++row) {
        if (rowHoldsBall[row] && RowTouchesShot(board, row, shot.position)) {
            shot.flying = false;
            return true;
        }
    }
    return false;
}
}  // namespace

CBot::Landing CBot::Fly(const CBoard& board, float degrees, bool likeTheGame) {
    bool rowHoldsBall[kBoardRows];
    for (int32_t row = 0; row < kBoardRows; ++row) {
        rowHoldsBall[row] = board.RowHoldsBall(row);
    }
    Landing landing;
    MouseForAngle(degrees, landing.mouseX, landing.mouseY);
    ShotState shot;
    StartShot(shot, kLauncherPosition, landing.mouseX - 16.0f, landing.mouseY - 16.0f);
    for (int32_t step = 0; step < kFlightStepLimit; ++step) {
        const bool rests = likeTheGame ? StepShot(shot, board, CPlayfield::kStepLength)
                                       : StepTrialShot(shot, board, rowHoldsBall, CPlayfield::kStepLength);
        if (rests) {
            landing.rests = true;
            break;
        }
    }
    if (landing.rests) {
        landing.found = board.FindStickCell(shot.position, landing.cell);
    }
    return landing;
}

int32_t CBot::FindLandings(const CBoard& board, float angleStep, Landing out[kMaxLandings]) const {
    int32_t count = 0;
    bool lostAimKept = false;
    for (float degrees = kMinAngle; degrees <= kMaxAngle + 1e-3f && count < kMaxLandings; degrees += angleStep) {
        const Landing landing = Fly(board, degrees, false);
        if (!landing.rests || (!landing.found && lostAimKept)) {
            continue;
        }
        bool repeated = false;
        for (int32_t i = 0; i < count && landing.found && !repeated; ++i) {
            repeated = out[i].found && out[i].cell == landing.cell;
        }
        if (!repeated) {
            lostAimKept = lostAimKept || !landing.found;
            out[count++] = landing;
        }
    }
    return count;
}

double CBot::FieldShape(const CBoard& board, int32_t dangerRow) const {
    double value = 0.0;
    for (int32_t row = 0; row < kBoardRows; ++row) {
        for (int32_t column = 0; column < kBoardColumns; ++column) {
            if (board.CellAt(column, row).IsEmpty()) {
                continue;
            }
            if (row >= dangerRow) {
                return kLifeLostValue;
            }
            value -= 1.0 + 0.15 * row * row;
        }
    }
    return value;
}

double CBot::EvaluatePowerUps(const BallCell& ball, const CellPos& cell) {
    const int32_t before = m_probe.BallCount();
    PowerUpEntry entries[CBoard::kMaxNeighbours];
    const int32_t entryCount = m_probe.SpecialNeighbours(cell.column, cell.row, entries);
    double bonus = 0.0;
    for (int32_t i = 0; i < entryCount; ++i) {
        if (entries[i].colour == BallColour::Obstacle) {
            continue;
        }
        bonus += entries[i].colour == BallColour::Multicolor ? 600.0 : 150.0;
        m_probe.TriggerPowerUp(entries[i], ball);
    }
    for (int32_t step = 0; step < kEffectStepLimit && m_probe.IsResolving(); ++step) {
        m_probe.UpdateEffects(CPlayfield::kStepLength);
    }
    return bonus + 120.0 * (before - m_probe.BallCount());
}

double CBot::Evaluate(const CBoard& board, const BallCell& ball, const CellPos& cell, int32_t dangerRow) {
    m_probe.CopyFieldFrom(board);
    double value = 0.0;
    bool hasPowerUp = false;
    CellPos neighbours[CBoard::kMaxNeighbours];
    const int32_t count = m_probe.Neighbours(cell.column, cell.row, neighbours);
    int32_t sameColour = 0;
    for (int32_t i = 0; i < count; ++i) {
        const BallCell& other = m_probe.CellAt(neighbours[i].column, neighbours[i].row);
        hasPowerUp = hasPowerUp || BallColour::IsPowerUp(other.colour);
        sameColour += (other.colour == ball.colour && other.frame == ball.frame) ? 1 : 0;
    }
    if (hasPowerUp) {
        value += EvaluatePowerUps(ball, cell);
    } else {
        const int32_t before = m_probe.BallCount();
        m_probe.SetCell(ball.colour, ball.frame, cell.column, cell.row);
        m_probe.RemoveMatches(ball.colour, ball.frame, cell.column, cell.row);
        const int32_t taken = before + 1 - m_probe.BallCount();
        if (taken > 0) {
            value += 150.0 * taken + 60.0;
        } else {
            value += 25.0 * sameColour - 10.0;
        }
    }
    const double shape = FieldShape(m_probe, dangerRow);
    if (shape <= kLifeLostValue) {
        return kLifeLostValue + value;
    }
    return value + shape;
}

double CBot::BestFollowUp(const BallCell& ball, int32_t dangerRow) {
    const double standing = FieldShape(m_after, dangerRow);
    if (standing <= kLifeLostValue || !m_after.RowHoldsBall(CBoard::kTopRow)) {
        return 0.0;
    }
    const int32_t count = FindLandings(m_after, kFollowAngleStep, m_followLandings);
    double best = kLostBallValue;
    for (int32_t i = 0; i < count; ++i) {
        if (m_followLandings[i].found) {
            best = std::max(best, Evaluate(m_after, ball, m_followLandings[i].cell, dangerRow) - standing);
        }
    }
    return best;
}

BotChoice CBot::Choose(const CPlayfield& playfield) {
    BotSituation situation;
    situation.current = playfield.CurrentBall();
    situation.next = playfield.NextBallCell();
    situation.canSwap = !playfield.IsMulticolorPending();
    situation.shotsBeforeMoveDown = playfield.ShotsBeforeMoveDown();
    BotChoice choice = ChooseOnBoard(playfield.Board(), situation);
    const BotChoice aimed = choice;
    MissAim(choice);
    if (MissIsDangerous(playfield.Board(), aimed, choice)) {
        return aimed;
    }
    return choice;
}

BotChoice CBot::ChooseOnBoard(const CBoard& board, const BotSituation& situation) {
    const BallCell balls[2] = {situation.current, situation.next};
    const int32_t choices = (situation.canSwap && situation.next.colour != BallColour::Empty) ? 2 : 1;
    // Balls that the next move-down would bring into the bottom row cost a life at once.
    const bool movesAfterFirst = situation.shotsBeforeMoveDown <= 1;
    const bool movesAfterSecond = situation.shotsBeforeMoveDown == 2;
    const int32_t firstDanger = board.BottomRow() - (movesAfterFirst ? 1 : 0);
    const int32_t secondDanger = firstDanger - (movesAfterSecond ? 1 : 0);

    const int32_t landingCount = FindLandings(board, kAngleStep, m_landings);
    int32_t shotCount = 0;
    for (int32_t i = 0; i < landingCount; ++i) {
        for (int32_t which = 0; which < choices; ++which) {
            FirstShot& shot = m_firstShots[shotCount++];
            shot.landing = i;
            shot.which = which;
            shot.value = m_landings[i].found ? Evaluate(board, balls[which], m_landings[i].cell, firstDanger)
                                             : kLostBallValue;
            shot.value -= which == 1 ? kSwapCost : 0.0;
        }
    }
    // The most promising first shots, in a fixed order, get their follow-up searched.
    const int32_t planned = std::min(shotCount, std::max(1, m_strength.plannedFirstShots));
    const bool followUps = m_strength.plannedFirstShots > 1;
    std::partial_sort(m_firstShots, m_firstShots + planned, m_firstShots + shotCount,
                      [](const FirstShot& a, const FirstShot& b) {
                          if (a.value != b.value) {
                              return a.value > b.value;
                          }
                          return a.landing != b.landing ? a.landing < b.landing : a.which < b.which;
                      });
    BotChoice best;
    best.value = -1.0e18;
    for (int32_t i = 0; i < planned; ++i) {
        const FirstShot& shot = m_firstShots[i];
        const Landing& landing = m_landings[shot.landing];
        double total = shot.value;
        if (landing.found && shot.value > kLifeLostValue / 2) {
            Evaluate(board, balls[shot.which], landing.cell, firstDanger);
            m_after.CopyFieldFrom(m_probe);
            if (movesAfterFirst) {
                m_after.MoveDown(CPlayfield::kMoveDownPixels);
                m_after.RaiseBottomRow();
            }
            // The ball left on the launcher stays in hand only while its colour is in the field.
            const BallCell& left = balls[1 - shot.which];
            if (followUps && left.colour != BallColour::Empty && StaysInHand(m_after, left)) {
                total += kFollowUpWeight * BestFollowUp(left, secondDanger);
            }
        }
        if (total > best.value) {
            best.value = total;
            best.swapFirst = shot.which == 1;
            best.mouseX = landing.mouseX;
            best.mouseY = landing.mouseY;
        }
    }
    return best;
}
