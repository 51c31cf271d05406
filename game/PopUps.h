#pragma once
// The score pop-ups: up to 20 short texts that fade out where points were won.
#include <cstdint>

struct PopUp {
    bool active = false;
    char text[20] = {};
    float x = 0.0f, y = 0.0f;   // top-left of the text, so that it is centred on its point
    float red = 1.0f, green = 1.0f, blue = 1.0f;
    float alpha = 1.0f;
};

// Measures a text in pixels for centring with the font given as context; the drawing code
// installs its font's measure, so each playfield's pop-ups measure with their own font.
using PopUpMeasure = int32_t (*)(const void* font, const char* text);

class CScorePopUps {
public:
    static constexpr int32_t kSlots = 20;
    static constexpr float kFadePerSecond = 0.75f;

    void SetMeasure(PopUpMeasure measure, const void* font, int32_t fontHeight);
    void SetColour(float red, float green, float blue);
    // Centred on (x, y); dropped when every slot is busy.
    void Add(const char* text, float x, float y);
    void AddNumber(int32_t value, float x, float y);
    void Update(float dt);
    void Clear();
    bool IsBusy() const;
    int32_t ActiveCount() const;
    const PopUp& Slot(int32_t index) const { return m_slots[index]; }

private:
    PopUp m_slots[kSlots];
    int32_t m_lastUsed = 0;
    PopUpMeasure m_measure = nullptr;
    const void* m_measureFont = nullptr;
    int32_t m_fontHeight = 0;
    float m_red = 1.0f, m_green = 1.0f, m_blue = 1.0f;
};
