#include "tests/net/BotMatchProgram.h"

bool BotMatchProgram::StepSides() {
    const bool stepped = net.IsRunning() && match.CanStepSide(net.OwnSide());
    bot.SetReadyAfterRound(readyAfterRound);
    net.DriveSides(sides, bot);
    sides.Step(match);
    return stepped;
}

void BotMatchProgram::Frame() {
    if (!net.IsRunning()) {
        if (session != nullptr) {
            session->Service();
        }
        return;
    }
    net.Service();
    StepSides();
}
