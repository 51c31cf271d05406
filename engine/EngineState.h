#pragma once
// CEngineState: what every screen of Pellora is. The engine calls these operations from the
// frame loop and the window's event pump; a state never switches screens itself, it asks the
// engine for a new state number in one of the two layers.
#include <cstdint>

// State numbers. The screens are created by number through the state factory.
constexpr int32_t kStateNone = 10000;          // no request pending; never created
constexpr int32_t kStateEmpty = 10001;         // requesting it empties a layer
constexpr int32_t kStateStart = 10003;         // start screen selector
constexpr int32_t kStateGame = 10004;
constexpr int32_t kStateMainMenu = 10005;
constexpr int32_t kStateEditor = 10006;
constexpr int32_t kStateIntro = 10007;         // the first state
constexpr int32_t kStateOptions = 10009;
constexpr int32_t kStatePlayer = 10011;
constexpr int32_t kStateHostJoinMenu = 10100;
constexpr int32_t kStateHostMenu = 10101;
constexpr int32_t kStateJoinMenu = 10102;
constexpr int32_t kStateHud = 20000;
constexpr int32_t kStateEditorPanel = 20001;
constexpr int32_t kStateHighscore = 20003;
constexpr int32_t kStateEnterName = 20004;
constexpr int32_t kStateContinue = 20005;
constexpr int32_t kStateDifficulty = 20006;

class CEngineState {
public:
    virtual ~CEngineState() = default;
    // The application regained the focus.
    virtual void Activate() {}
    // Every BroadcastMessage of the engine reaches every state of both layers.
    virtual void OnMessage(int32_t messageId, int32_t parameter) {}
    // The application lost the focus.
    virtual void Deactivate() {}
    // Escape was released; true when this state handled it.
    virtual bool OnEscape() { return false; }
    // Once, right after creation.
    virtual bool Init() = 0;
    // Once, right before deletion.
    virtual void Shutdown() = 0;
    // One character (Windows-1252 code) typed by the player.
    virtual void OnChar(int32_t code) {}
    // The class name, for the log lines.
    virtual const char* GetName() const = 0;
    virtual void Render() = 0;
    // One fixed update step of dt seconds.
    virtual void Update(float dt) = 0;
};

// The one process-wide factory both layers create their states with; null until set.
using StateFactory = CEngineState* (*)(int32_t stateId);
void SetStateFactory(StateFactory factory);
StateFactory GetStateFactory();
