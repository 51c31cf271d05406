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
    // Shuts the state in that slot down and deletes it; an empty slot is left alone.
    void ExitState(int slot);
    void ExitAll();
    bool SetState(int32_t stateId, bool exitAll);

    // Deferred change: a later request in the same frame replaces an earlier one.
    void RequestState(int32_t stateId);
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
    bool IsEmpty() const;

private:
    std::unique_ptr<CEngineState> m_slots[kSlotCount];
    int32_t m_pendingId = kStateNone;
    bool m_pendingExitAll = false;
    bool m_logging = false;
};
