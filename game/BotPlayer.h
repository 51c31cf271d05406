#pragma once
// The computer at the controls of a playfield, one fixed step at a time: whenever a ball
// may be fired it looks for its strength's thinking time, then chooses on the field as it
// is at that moment, swaps when it wants the other ball, and fires in the next step. It
// sees only its own playfield.
#include "game/Bot.h"

class CBotPlayer {
public:
    CBotPlayer(EBotStrength strength, uint32_t seed) : m_bot(strength, seed) {}

    // The input of the next step on playfield.
    PlayInput Next(const CPlayfield& playfield, float dt);
    // A new match: another strength and seed, nothing chosen yet.
    void Configure(EBotStrength strength, uint32_t seed) {
        m_bot.Configure(strength, seed);
        Forget();
    }
    void ConfigureRules(const BotStrengthRules& rules, uint32_t seed) {
        m_bot.ConfigureRules(rules, seed);
        Forget();
    }
    // A new round: a choice not yet fired is dropped.
    void Forget();
    const CBot& Bot() const { return m_bot; }

private:
    enum class ETurn { Thinking, Firing };

    CBot m_bot;
    ETurn m_turn = ETurn::Thinking;
    float m_thought = 0.0f;
    BotChoice m_choice;
};
