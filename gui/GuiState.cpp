#include "gui/GuiState.h"

#include "game/GameSounds.h"
#include "platform/Input.h"

#include <cstdlib>

namespace {
constexpr int32_t kWidgetListReserve = 64;
// Items whose centres lie this close in height stand on one row for Up and Down.
constexpr int32_t kSameRowSlack = 8;
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
    if (!CInput::Get().UsesMouse() && !m_entering && IsFocusable(m_hovered)) {
        const CGuiWidget& focused = *m_widgets[static_cast<size_t>(m_hovered)];
        GuiBox box = focused.CaptionBox();
        if (box.right <= box.left) {
            box = GuiBox{focused.X(), focused.Y(), focused.X() + focused.W(), focused.Y() + focused.H()};
        }
        DrawFocusMarks(box);
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
    if (CInput::Get().UsesMouse()) {
        FollowDrag();
        FindHovered();
        DispatchClick();
    } else {
        m_dragged = nullptr;
        UpdateKeyFocus();
    }
    UpdateScreen(dt);
}

// ---------------------------------------------------------------- the keys' focus

namespace {
struct WidgetCentre {
    int32_t x, y;
};

WidgetCentre CentreOf(const CGuiWidget& widget) {
    int32_t x = widget.X() + widget.W() / 2;
    if (widget.IsCentred()) {
        x = widget.X();
    } else if (widget.IsRight()) {
        x = widget.X() - widget.W() / 2;
    }
    return WidgetCentre{x, widget.Y() + widget.H() / 2};
}

// The room across between two widgets' captions, 0 where they overlap: an item above or
// below whose caption reaches over another's lies in its way whatever its centre.
int32_t GapAcross(const CGuiWidget& a, const CGuiWidget& b) {
    const int32_t aLeft = CentreOf(a).x - a.W() / 2;
    const int32_t bLeft = CentreOf(b).x - b.W() / 2;
    return std::max(0, std::max(aLeft, bLeft) - std::min(aLeft + a.W(), bLeft + b.W()));
}

// Reading order: top to bottom, then left to right, then the list's order.
bool ReadsBefore(const CGuiWidget& a, int32_t aIndex, const CGuiWidget& b, int32_t bIndex) {
    if (a.Y() != b.Y()) {
        return a.Y() < b.Y();
    }
    const int32_t ax = CentreOf(a).x;
    const int32_t bx = CentreOf(b).x;
    if (ax != bx) {
        return ax < bx;
    }
    return aIndex < bIndex;
}
}  // namespace

bool CGuiState::IsFocusable(int32_t index) const {
    if (index < 0 || index >= WidgetCount()) {
        return false;
    }
    const CGuiWidget* widget = m_widgets[static_cast<size_t>(index)];
    return widget->IsSelectable() && widget->IsVisible();
}

int32_t CGuiState::FirstFocusable() const {
    int32_t first = -1;
    for (int32_t i = 0; i < WidgetCount(); ++i) {
        if (IsFocusable(i) && (first < 0 || ReadsBefore(*m_widgets[static_cast<size_t>(i)], i,
                                                         *m_widgets[static_cast<size_t>(first)], first))) {
            first = i;
        }
    }
    return first;
}

int32_t CGuiState::StartingFocus() const {
    const CGuiWidget* wanted = FirstFocus();
    for (int32_t i = 0; wanted != nullptr && i < WidgetCount(); ++i) {
        if (m_widgets[static_cast<size_t>(i)] == wanted && IsFocusable(i)) {
            return i;
        }
    }
    return FirstFocusable();
}

int32_t CGuiState::ReadingNeighbour(int32_t index, bool forward) const {
    const CGuiWidget& from = *m_widgets[static_cast<size_t>(index)];
    int32_t best = -1;
    int32_t wrap = -1;   // the first (or last) of all, where the order comes round
    for (int32_t i = 0; i < WidgetCount(); ++i) {
        if (i == index || !IsFocusable(i)) {
            continue;
        }
        const CGuiWidget& widget = *m_widgets[static_cast<size_t>(i)];
        const bool after = ReadsBefore(from, index, widget, i);
        if (after == forward) {
            const CGuiWidget* current = best < 0 ? nullptr : m_widgets[static_cast<size_t>(best)];
            if (current == nullptr || (forward ? ReadsBefore(widget, i, *current, best) : ReadsBefore(*current, best, widget, i))) {
                best = i;
            }
        }
        const CGuiWidget* end = wrap < 0 ? nullptr : m_widgets[static_cast<size_t>(wrap)];
        if (end == nullptr || (forward ? ReadsBefore(widget, i, *end, wrap) : ReadsBefore(*end, wrap, widget, i))) {
            wrap = i;
        }
    }
    return best >= 0 ? best : (wrap >= 0 ? wrap : index);
}

int32_t CGuiState::FocusNeighbour(int32_t index, ENavAction direction) const {
    const WidgetCentre from = CentreOf(*m_widgets[static_cast<size_t>(index)]);
    const bool vertical = direction == ENavAction::Up || direction == ENavAction::Down;
    const int32_t sign = (direction == ENavAction::Down || direction == ENavAction::Right) ? 1 : -1;
    // Up and down go to the nearest row that way, and on it to the item nearest across: a
    // row of two items side by side is never skipped for an item in line further on.
    int32_t nearestRow = -1;
    for (int32_t i = 0; vertical && i < WidgetCount(); ++i) {
        if (i != index && IsFocusable(i)) {
            const WidgetCentre to = CentreOf(*m_widgets[static_cast<size_t>(i)]);
            const int32_t along = (to.y - from.y) * sign;
            const int32_t gap = GapAcross(*m_widgets[static_cast<size_t>(index)], *m_widgets[static_cast<size_t>(i)]);
            const bool inReach = along > 0 && std::min(std::abs(to.x - from.x), gap) <= along * 2 + 8;
            if (inReach && (nearestRow < 0 || along < nearestRow)) {
                nearestRow = along;
            }
        }
    }
    int32_t best = -1;
    int32_t bestScore = 0;
    for (int32_t i = 0; i < WidgetCount(); ++i) {
        if (i == index || !IsFocusable(i)) {
            continue;
        }
        const WidgetCentre to = CentreOf(*m_widgets[static_cast<size_t>(i)]);
        const int32_t along = (vertical ? to.y - from.y : to.x - from.x) * sign;
        const int32_t across = std::abs(vertical ? to.x - from.x : to.y - from.y);
        // Only what lies that way: up and down reach across a row's width, left and right stay
        // on their row or near it. The nearest in line wins.
        const int32_t reach = vertical ? along * 2 + 8 : along;
        const bool near = vertical && GapAcross(*m_widgets[static_cast<size_t>(index)],
                                                 *m_widgets[static_cast<size_t>(i)]) <= reach;
        if (along <= 0 || (across > reach && !near) || (vertical && along > nearestRow + kSameRowSlack)) {
            continue;
        }
        const int32_t score = along + (vertical ? 2 : 4) * across;
        if (best < 0 || score < bestScore) {
            best = i;
            bestScore = score;
        }
    }
    if (best >= 0) {
        return best;
    }
    return ReadingNeighbour(index, sign > 0);
}

void CGuiState::SetHovered(int32_t index, bool withSound) {
    const int32_t previous = m_hovered;
    m_previousHovered = previous;
    m_hovered = index;
    if (index == previous) {
        return;
    }
    if (index >= 0) {
        CGuiWidget* entered = m_widgets[static_cast<size_t>(index)];
        if (withSound && entered->PlaysSounds() && !m_entering) {
            PlayGameSound(EGameSound::MenuMouseOverItem);
        }
        entered->OnMessage(EWidgetEvent::MouseEnter);
    }
    if (previous >= 0 && previous < WidgetCount()) {
        m_widgets[static_cast<size_t>(previous)]->OnMessage(EWidgetEvent::MouseLeave);
    }
}

void CGuiState::UpdateKeyFocus() {
    CInput& input = CInput::Get();
    if (input.UsesMouse() || !m_active) {
        m_focusByKeys = false;
        return;
    }
    if (!m_focusByKeys) {
        // The keys take over from the mouse: what the resting pointer was over is no focus;
        // the first press shows the focus on the first item and does nothing else.
        m_focusByKeys = true;
        SetHovered(-1, false);
    }
    if (!TakesKeyFocus()) {
        SetHovered(-1, false);
        return;
    }
    if (input.NavHit(ENavAction::Back) && OnBackButton()) {
        input.ConsumeNav();
        return;
    }
    if (!IsFocusable(m_hovered)) {
        // The focus appears on the first item; the press that brought it moves nothing.
        SetHovered(StartingFocus(), false);
        if (m_hovered >= 0) {
            input.ConsumeNav();
        }
        return;
    }
    CGuiWidget* focused = m_widgets[static_cast<size_t>(m_hovered)];
    const ENavAction directions[] = {ENavAction::Up, ENavAction::Down, ENavAction::Left, ENavAction::Right};
    for (ENavAction direction : directions) {
        if (!input.NavHit(direction)) {
            continue;
        }
        const bool sideways = direction == ENavAction::Left || direction == ENavAction::Right;
        if (sideways && focused->StepValue(direction == ENavAction::Right ? 1 : -1)) {
            input.ConsumeNav();
            return;
        }
        if (sideways && !FocusMovesSideways()) {
            continue;
        }
        // Without the sideways moves, Up and Down go through every item in reading order.
        const int32_t next = FocusMovesSideways() ? FocusNeighbour(m_hovered, direction)
                                                  : ReadingNeighbour(m_hovered, direction == ENavAction::Down);
        SetHovered(next, true);
        input.ConsumeNav();
        return;
    }
    if (input.NavHit(ENavAction::Activate)) {
        input.ConsumeNav();
        input.SetConsumed();
        if (focused->IsStepped()) {
            return;   // a slider moves by Left and Right
        }
        if (focused->PlaysSounds()) {
            PlayGameSound(EGameSound::MenuExecuteItem);
        }
        focused->OnMessage(EWidgetEvent::Click);
    }
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
