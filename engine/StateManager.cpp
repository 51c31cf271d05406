#include "engine/StateManager.h"

#include "core/Log.h"

namespace {
StateFactory g_stateFactory = nullptr;
}  // namespace

void SetStateFactory(StateFactory factory) {
    g_stateFactory = factory;
}

StateFactory GetStateFactory() {
    return g_stateFactory;
}

CStateManager& CStateManager::Lower() {
    static CStateManager lower;
    return lower;
}

CStateManager& CStateManager::Upper() {
    static CStateManager upper;
    return upper;
}

bool CStateManager::EnterState(int32_t stateId) {
    if (g_stateFactory == nullptr) {
        CLog::Get().Write("CStateManager::EnterState FAILED func_ptr NULL");
        return false;
    }
    const int freeSlot = FreeSlot();
    if (freeSlot < 0) {
        CLog::Get().Write("CStateManager::EnterState FAILED Too many engine states");
        return false;
    }
    return PlaceState(freeSlot, stateId, std::unique_ptr<CEngineState>(g_stateFactory(stateId)));
}

bool CStateManager::EnterBuiltState(int32_t stateId, std::unique_ptr<CEngineState> built) {
    const int freeSlot = FreeSlot();
    if (freeSlot < 0) {
        CLog::Get().Write("CStateManager::EnterState FAILED Too many engine states");
        return false;
    }
    return PlaceState(freeSlot, stateId, std::move(built));
}

int CStateManager::FreeSlot() const {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (!m_slots[slot]) {
            return slot;
        }
    }
    return -1;
}

bool CStateManager::PlaceState(int slot, int32_t stateId, std::unique_ptr<CEngineState> made) {
    m_slots[slot] = std::move(made);
    CEngineState* const state = m_slots[slot].get();
    if (state == nullptr) {
        CLog::Get().Write("CStateManager::EnterState FAILED to create object");
        return false;
    }
    if (m_logging) {
        CLog::Get().Write("CStateManager::EnterState %d - %s", stateId, state->GetName());
    }
    if (!state->Init()) {
        // The state stays in its slot until the next ExitAll of this layer.
        CLog::Get().Write("CStateManager::EnterState FAILED to initialize object");
        return false;
    }
    return true;
}

void CStateManager::ExitState(int slot) {
    if (slot < 0 || slot >= kSlotCount || !m_slots[slot]) {
        return;
    }
    if (m_logging) {
        CLog::Get().Write("CStateManager::ExitState %s", m_slots[slot]->GetName());
    }
    m_slots[slot]->Shutdown();
    m_slots[slot].reset();
}

void CStateManager::ExitAll() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        ExitState(slot);
    }
}

bool CStateManager::SetState(int32_t stateId, bool exitAll) {
    if (exitAll) {
        ExitAll();
    }
    if (stateId == kStateNone || stateId == kStateEmpty) {
        return false;
    }
    return EnterState(stateId);
}

bool CStateManager::SetBuiltState(int32_t stateId, std::unique_ptr<CEngineState> state, bool exitAll) {
    if (exitAll) {
        ExitAll();
    }
    if (!state) {
        return false;
    }
    return EnterBuiltState(stateId, std::move(state));
}

void CStateManager::RequestState(int32_t stateId) {
    m_pendingId = stateId;
    m_pendingState.reset();
    m_pendingExitAll = true;
}

void CStateManager::RequestState(int32_t stateId, std::unique_ptr<CEngineState> state) {
    m_pendingId = stateId;
    m_pendingState = std::move(state);
    m_pendingExitAll = true;
}

void CStateManager::ApplyPendingExit() {
    if (m_pendingId != kStateNone && m_pendingExitAll) {
        ExitAll();
    }
}

void CStateManager::ApplyPendingEnter() {
    if (m_pendingId == kStateNone) {
        return;
    }
    if (m_pendingState) {
        SetBuiltState(m_pendingId, std::move(m_pendingState), m_pendingExitAll);
    } else {
        SetState(m_pendingId, m_pendingExitAll);
    }
    // Reset after SetState: a request this layer's new state makes from its Init is dropped.
    m_pendingId = kStateNone;
    m_pendingState.reset();
}

void CStateManager::Activate() {
    for (auto& state : m_slots) {
        if (state) {
            state->Activate();
        }
    }
}

void CStateManager::Deactivate() {
    for (auto& state : m_slots) {
        if (state) {
            state->Deactivate();
        }
    }
}

void CStateManager::OnMessage(int32_t messageId, int32_t parameter) {
    for (auto& state : m_slots) {
        if (state) {
            state->OnMessage(messageId, parameter);
        }
    }
}

void CStateManager::OnChar(int32_t code) {
    for (auto& state : m_slots) {
        if (state) {
            state->OnChar(code);
        }
    }
}

void CStateManager::Render() {
    for (auto& state : m_slots) {
        if (state) {
            state->Render();
        }
    }
}

void CStateManager::Update(float dt) {
    for (auto& state : m_slots) {
        if (state) {
            state->Update(dt);
        }
    }
}

bool CStateManager::OnEscape() {
    bool handled = false;
    for (auto& state : m_slots) {
        if (state && state->OnEscape()) {
            handled = true;
        }
    }
    return handled;
}

bool CStateManager::OnCloseRequested() {
    bool held = false;
    for (auto& state : m_slots) {
        if (state && state->OnCloseRequested()) {
            held = true;
        }
    }
    return held;
}

CEngineState* CStateManager::GetState(int slot) const {
    return (slot >= 0 && slot < kSlotCount) ? m_slots[slot].get() : nullptr;
}

bool CStateManager::IsEmpty() const {
    return !m_slots[0] && !m_slots[1];
}
