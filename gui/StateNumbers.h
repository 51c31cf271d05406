#pragma once
// The state numbers of Pellora's screens. The state factory makes a screen from its number,
// and a screen asks for another one by it (see engine/EngineState.h for the layers' own).
#include <cstdint>

constexpr int32_t kStateStart = 10003;         // start screen selector
constexpr int32_t kStateGame = 10004;
constexpr int32_t kStateMainMenu = 10005;
constexpr int32_t kStateEditor = 10006;
constexpr int32_t kStateIntro = 10007;         // the first screen
constexpr int32_t kStateOptions = 10009;
constexpr int32_t kStatePlayer = 10011;
constexpr int32_t kStateServerAddress = 10012;   // the options' pellora-server address, typed
constexpr int32_t kStateHostJoinMenu = 10100;
constexpr int32_t kStateHostMenu = 10101;
constexpr int32_t kStateJoinMenu = 10102;
constexpr int32_t kStateVersusGame = 10110;   // a versus match against the computer
constexpr int32_t kStateHostGame = 10120;     // hosting a network match: listen, wait for a player
constexpr int32_t kStateJoinGame = 10130;     // joining a network match: type the address, connect
constexpr int32_t kStateTwoPlayers = 10140;   // two players at one machine take their sides
constexpr int32_t kStateReplays = 10150;      // the replays list: the last games and matches kept
constexpr int32_t kStateHud = 20000;
constexpr int32_t kStateEditorPanel = 20001;
constexpr int32_t kStateHighscore = 20003;
constexpr int32_t kStateEnterName = 20004;
constexpr int32_t kStateContinue = 20005;
constexpr int32_t kStateDifficulty = 20006;
