#include "tests/net/BotMatchProgram.h"

bool BotMatchProgram::StepSides() {
    const bool stepped = net.CanStepOwn();
    if (stepped && match.Phase() == EVersusPhase::Playing) {
        net.StepOwn(ReplayStep::FromPlayInput(bot.Next(match.Field(net.OwnSide()), CPlayfield::kStepLength)));
    } else if (stepped && readyAfterRound) {
        // The panel read at once: ready for the next round.
        ReplayStep ready;
        ready.input = ReplayInput::Dismiss;
        net.StepOwn(ready);
        bot.Forget();
    }
    net.StepOpponent();
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
