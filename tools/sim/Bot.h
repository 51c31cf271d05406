#pragma once
// The simulator's player: before each shot it tries aims with the real flight and the
// real stick search on a copy of the field and takes the best outcome.
#include "game/Playfield.h"

struct BotChoice {
    bool swapFirst = false;   // swap the balls, then fire
    float mouseX = 320.0f;
    float mouseY = 200.0f;
    double value = 0.0;
};

class CBot {
public:
    CBot();
    BotChoice Choose(const CPlayfield& playfield);
    // A random aim in the launcher's range (the soak run's player).
    static BotChoice RandomAim();

private:
    struct Landing {
        bool rests = false;
        bool found = false;
        CellPos cell;
        float mouseX = 0.0f, mouseY = 0.0f;
    };
    static void MouseForAngle(float degrees, float& mouseX, float& mouseY);
    Landing Fly(const CBoard& board, float degrees) const;
    double Evaluate(const CPlayfield& playfield, const BallCell& ball, const CellPos& cell, bool moveDownComing);
    double EvaluatePowerUps(const BallCell& ball, const CellPos& cell);
    double FieldShape(const CBoard& board, int32_t dangerRow) const;

    CBoard m_probe;
};
