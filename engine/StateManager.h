#pragma once
// CStateManager: one layer of screens with two slots. The engine keeps two of them, the
// lower layer (the game, the editor, menus) and the upper layer (overlays drawn on top).
// Changes are requested at any time and carried out at the end of the frame.
#include "engine/EngineState.h"

#include <cstdint>
#include <memory>

class CStateManager {
public:
    static constexpr int kSlotCount = 2;

    static CStateManager& Lower();
    static CStateManager& Upper();

    CStateManager() = default;
    CStateManager(const CStateManager&) = delete;
    CStateManager& operator=(const CStateManager&) = delete;

    // Creates the state through the factory in the first free slot and initialises it.
    bool EnterState(int32_t stateId);
    // Puts a state that its caller built (and handed its data) in the first free slot
    // and initialises it; stateId is the number it answers to.
    bool EnterBuiltState(int32_t stateId, std::unique_ptr<CEngineState> state);
    // Shuts the state in that slot down and deletes it; an empty slot is left alone.
    void ExitState(int slot);
    void ExitAll();
    bool SetState(int32_t stateId, bool exitAll);
    bool SetBuiltState(int32_t stateId, std::unique_ptr<CEngineState> state, bool exitAll);

    // Deferred change: a later request in the same frame replaces an earlier one.
    void RequestState(int32_t stateId);
    // The same with a state already built: the screen that pushes it hands it its data
    // (a replay to watch, a network session to play), and the new state owns it.
    void RequestState(int32_t stateId, std::unique_ptr<CEngineState> state);
    void ApplyPendingExit();
    void ApplyPendingEnter();

    // Fan-out to slot 0, then slot 1.
    void Activate();
    void Deactivate();
    void OnMessage(int32_t messageId, int32_t parameter);
    void OnChar(int32_t code);
    void Render();
    void Update(float dt);
    // True if any state of the layer handled Escape (every state is asked).
    bool OnEscape();
    // True if any state of the layer keeps the program running when the window closes.
    bool OnCloseRequested();

    void SetLogging(bool logging) { m_logging = logging; }
    bool IsLogging() const { return m_logging; }
    CEngineState* GetState(int slot) const;
    int32_t GetPendingId() const { return m_pendingId; }
    // The state a pending request brought already built, or null.
    const CEngineState* GetPendingState() const { return m_pendingState.get(); }
    bool IsEmpty() const;

private:
    int FreeSlot() const;
    // Puts made into slot and initialises it; false (logged) when it is null or fails.
    bool PlaceState(int slot, int32_t stateId, std::unique_ptr<CEngineState> made);

    std::unique_ptr<CEngineState> m_slots[kSlotCount];
    int32_t m_pendingId = kStateNone;
    std::unique_ptr<CEngineState> m_pendingState;   // built by the requester, or null
    bool m_pendingExitAll = false;
    bool m_logging = false;
};
