#pragma once
// CGuiState: the base of every screen made of widgets. It keeps the screen's widget list,
// finds the hovered widget each step, hands it the clicks, runs the entry slide and draws
// the widgets between the screen's backdrop and its foreground. A screen fills in the
// five hooks; its widgets are its own members, the list only points at them. The hover and
// execute sounds are the sound events "menu_mouse_over_item" and "menu_execute_item",
// heard once the program installs its sound event handler.
#include "engine/EngineState.h"
#include "gui/StateNumbers.h"
#include "gui/Widgets.h"
#include "platform/Input.h"

#include <vector>

// Messages that switch every GUI state off while a game dialog has the input, and on again.
constexpr int32_t kMessageGuiOff = 30000;
constexpr int32_t kMessageGuiOn = 30001;
// Leave Pellora: the menus' exit item and the HUD's exit button.
constexpr int32_t kCommandLeave = 4001;

class CGuiState : public CEngineState {
public:
    CGuiState();

    void OnMessage(int32_t messageId, int32_t parameter) override;
    bool Init() override;
    void Shutdown() override;
    void Render() override;
    void Update(float dt) override;

    // The screen's own hooks.
    virtual void RenderBackground() {}
    virtual void RenderForeground() {}
    virtual void UpdateScreen(float dt) {}
    // Configures the member widgets and adds them to the list; false makes Init fail.
    virtual bool InitScreen() = 0;
    virtual void ShutdownScreen() = 0;

    CGuiWidget* AddWidget(CGuiWidget* widget);
    void RemoveWidget(CGuiWidget* widget);
    // The widget under the mouse, or the one the keys or the pad focus; null when none.
    CGuiWidget* HoveredWidget() const;
    // The keys' and the pad's part of Update alone: the focus moves, activates, steps a
    // slider. Nothing while the mouse is in use.
    void UpdateKeyFocus();
    int32_t WidgetCount() const { return static_cast<int32_t>(m_widgets.size()); }
    const CGuiWidget& WidgetAt(int32_t index) const { return *m_widgets[static_cast<size_t>(index)]; }
    bool IsEntering() const { return m_entering; }
    bool IsActive() const { return m_active; }

protected:
    // Whether the keys and the pad move a focus over the widgets now.
    virtual bool TakesKeyFocus() const { return true; }
    // Whether Left and Right move the focus too (a screen whose own work takes them says no;
    // Up and Down then step through the items in reading order).
    virtual bool FocusMovesSideways() const { return true; }
    // The item the keys' focus starts on when no item has it (a question's harmless
    // answer); null for the first in reading order.
    virtual const CGuiWidget* FirstFocus() const { return nullptr; }
    // The pad's B button; true when the screen did something with it.
    virtual bool OnBackButton() { return false; }
    // The widgets' entry slides run again from where each widget's slide stands.
    void StartEntrySlide() { m_entering = true; }
    // Empties the widget list (the hovered widget is left first), so a screen can show
    // another set of its widgets.
    void ClearWidgets();
    void StepEntrySlide(float dt);

private:
    void FindHovered();
    void DispatchClick();
    // The widget pressed last follows the mouse while the left button stays down.
    void FollowDrag();
    bool IsFocusable(int32_t index) const;
    // The focusable widget first in reading order (top to bottom, left to right); -1: none.
    int32_t FirstFocusable() const;
    // The screen's FirstFocus when it can take the focus, otherwise FirstFocusable.
    int32_t StartingFocus() const;
    // The focusable widget the direction leads to from index: the nearest one that way, or
    // else the one before or after it in reading order, round at the ends.
    int32_t FocusNeighbour(int32_t index, ENavAction direction) const;
    int32_t ReadingNeighbour(int32_t index, bool forward) const;
    // Hovers index (-1: none) as the mouse would: the new one entered, then the old one left.
    void SetHovered(int32_t index, bool withSound);

    std::vector<CGuiWidget*> m_widgets;
    CGuiWidget* m_dragged = nullptr;
    int32_t m_hovered = -1;
    int32_t m_previousHovered = -1;
    bool m_focusByKeys = false;   // the focus was last moved by the keys or the pad
    bool m_entering = false;
    bool m_active = true;
};

// The cursor's float coordinate as the widgets' integer pixel: halves away from zero.
int32_t RoundCursorCoordinate(float value);
