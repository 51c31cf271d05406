#pragma once
// CEngineState: what every screen of Pellora is. The engine calls these operations from the
// frame loop and the window's event pump; a state never switches screens itself, it asks the
// engine for a new state number in one of the two layers.
#include <cstdint>

// The two state numbers of the layers themselves; the screens' own numbers live with the
// screens (gui/StateNumbers.h) and are created by number through the state factory.
constexpr int32_t kStateNone = 10000;          // no request pending; never created
constexpr int32_t kStateEmpty = 10001;         // requesting it empties a layer

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
    // The player closes the window. True when this state keeps the program running for now:
    // it has something to ask first (unsaved changes) and ends the program itself after.
    virtual bool OnCloseRequested() { return false; }
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
