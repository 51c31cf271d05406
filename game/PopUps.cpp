#include "game/PopUps.h"

#include <cstdio>

void CScorePopUps::SetMeasure(PopUpMeasure measure, const void* font, int32_t fontHeight) {
    m_measure = measure;
    m_measureFont = font;
    m_fontHeight = fontHeight;
}

void CScorePopUps::SetColour(float red, float green, float blue) {
    m_red = red;
    m_green = green;
    m_blue = blue;
}

void CScorePopUps::Add(const char* text, float x, float y) {
    for (int32_t tried = 0; tried < kSlots; ++tried) {
        const int32_t index = (m_lastUsed + tried) % kSlots;
        PopUp& slot = m_slots[index];
        if (slot.active) {
            continue;
        }
        std::snprintf(slot.text, sizeof(slot.text), "%s", text);
        const int32_t width = m_measure != nullptr ? m_measure(m_measureFont, slot.text) : 0;
        slot.x = x - static_cast<float>(width / 2);
        slot.y = y - static_cast<float>(m_fontHeight / 2);
        slot.red = m_red;
        slot.green = m_green;
        slot.blue = m_blue;
        slot.alpha = 1.0f;
        slot.active = true;
        m_lastUsed = index;
        return;
    }
}

void CScorePopUps::AddNumber(int32_t value, float x, float y) {
    char text[20];
    std::snprintf(text, sizeof(text), "%d", value);
    Add(text, x, y);
}

void CScorePopUps::Update(float dt) {
    for (PopUp& slot : m_slots) {
        if (!slot.active) {
            continue;
        }
        slot.alpha -= kFadePerSecond * dt;
        if (slot.alpha < 0.0f) {
            slot.active = false;
        }
    }
}

void CScorePopUps::Clear() {
    for (PopUp& slot : m_slots) {
        slot.active = false;
    }
    m_lastUsed = 0;
}

bool CScorePopUps::IsBusy() const {
    return ActiveCount() > 0;
}

int32_t CScorePopUps::ActiveCount() const {
    int32_t count = 0;
    for (const PopUp& slot : m_slots) {
        count += slot.active ? 1 : 0;
    }
    return count;
}
