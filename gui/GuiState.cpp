#include "gui/GuiState.h"

#include "game/GameSounds.h"
#include "platform/Input.h"

namespace {
constexpr int32_t kWidgetListReserve = 64;
}  // namespace

int32_t RoundCursorCoordinate(float value) {
    return static_cast<int32_t>(value > 0.0f ? value + 0.5f : value - 0.5f);
}

CGuiState::CGuiState() {
    m_widgets.reserve(kWidgetListReserve);
}

void CGuiState::OnMessage(int32_t messageId, int32_t parameter) {
    if (messageId == kMessageGuiOff) {
        m_active = false;
    } else if (messageId == kMessageGuiOn) {
        m_active = true;
    }
}

bool CGuiState::Init() {
    m_entering = true;
    return InitScreen();
}

void CGuiState::Shutdown() {
    ShutdownScreen();
    m_dragged = nullptr;
    m_widgets.clear();
}

CGuiWidget* CGuiState::AddWidget(CGuiWidget* widget) {
    m_widgets.push_back(widget);
    return widget;
}

void CGuiState::RemoveWidget(CGuiWidget* widget) {
    for (auto it = m_widgets.begin(); it != m_widgets.end(); ++it) {
        if (*it == widget) {
            if (m_dragged == widget) {
                m_dragged = nullptr;
            }
            m_widgets.erase(it);
            return;
        }
    }
}

void CGuiState::ClearWidgets() {
    if (CGuiWidget* hovered = HoveredWidget()) {
        hovered->OnMessage(EWidgetEvent::MouseLeave);
    }
    m_hovered = -1;
    m_previousHovered = -1;
    m_dragged = nullptr;
    m_widgets.clear();
}

CGuiWidget* CGuiState::HoveredWidget() const {
    if (m_hovered < 0 || m_hovered >= WidgetCount()) {
        return nullptr;
    }
    return m_widgets[static_cast<size_t>(m_hovered)];
}

void CGuiState::Render() {
    if (!m_active) {
        return;
    }
    RenderBackground();
    for (CGuiWidget* widget : m_widgets) {
        if (widget->IsVisible()) {
            widget->Render();
        }
    }
    RenderForeground();
}

void CGuiState::Update(float dt) {
    if (!m_active) {
        m_dragged = nullptr;
        return;
    }
    if (m_entering) {
        StepEntrySlide(dt);
    }
    FollowDrag();
    FindHovered();
    DispatchClick();
    UpdateScreen(dt);
}

void CGuiState::StepEntrySlide(float dt) {
    bool moved = false;
    for (CGuiWidget* widget : m_widgets) {
        moved = widget->StepSlide(dt) || moved;
    }
    if (!moved) {
        m_entering = false;
    }
}

void CGuiState::FindHovered() {
    const CMouseCursor& cursor = CMouseCursor::Get();
    const int32_t x = RoundCursorCoordinate(cursor.GetX());
    const int32_t y = RoundCursorCoordinate(cursor.GetY());
    if (m_hovered < -1 || m_hovered >= WidgetCount()) {
        m_hovered = -1;
    }
    m_previousHovered = m_hovered;
    m_hovered = -1;
    for (int32_t i = 0; i < WidgetCount(); ++i) {
        const CGuiWidget* widget = m_widgets[static_cast<size_t>(i)];
        if (widget->IsSelectable() && widget->IsVisible() && widget->HitTest(x, y)) {
            m_hovered = i;
            break;
        }
    }
    if (m_hovered == m_previousHovered) {
        return;
    }
    if (m_hovered != -1) {
        CGuiWidget* entered = m_widgets[static_cast<size_t>(m_hovered)];
        if (entered->PlaysSounds() && !m_entering) {
            PlayGameSound(EGameSound::MenuMouseOverItem);
        }
        entered->OnMessage(EWidgetEvent::MouseEnter);
    }
    if (m_previousHovered != -1) {
        m_widgets[static_cast<size_t>(m_previousHovered)]->OnMessage(EWidgetEvent::MouseLeave);
    }
}

void CGuiState::DispatchClick() {
    CGuiWidget* widget = HoveredWidget();
    CInput& input = CInput::Get();
    if (widget == nullptr || !input.MouseButtonHit(kMouseLeft)) {
        return;
    }
    if (widget->PlaysSounds()) {
        PlayGameSound(EGameSound::MenuExecuteItem);
    }
    widget->OnMessage(EWidgetEvent::Click);
    input.SetConsumed();
    if (widget->FollowsDrag()) {
        m_dragged = widget;
    }
}

void CGuiState::FollowDrag() {
    if (m_dragged == nullptr) {
        return;
    }
    if (!CInput::Get().MouseButtonDown(kMouseLeft)) {
        m_dragged = nullptr;
        return;
    }
    m_dragged->OnMessage(EWidgetEvent::Drag);
}
