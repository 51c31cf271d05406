#include "platform/KeyTable.h"

#include "platform/Input.h"

#include <SDL2/SDL_scancode.h>

#include <array>

namespace {
struct KeyMapping {
    SDL_Scancode scancode;
    uint8_t dik;
};

// A whole normal keyboard: main block, function keys, navigation block, keypad, modifiers.
constexpr KeyMapping kKeyTable[] = {
    {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
    {SDL_SCANCODE_1, DIK_1}, {SDL_SCANCODE_2, DIK_2}, {SDL_SCANCODE_3, DIK_3}, {SDL_SCANCODE_4, DIK_4},
    {SDL_SCANCODE_5, DIK_5}, {SDL_SCANCODE_6, DIK_6}, {SDL_SCANCODE_7, DIK_7}, {SDL_SCANCODE_8, DIK_8},
    {SDL_SCANCODE_9, DIK_9}, {SDL_SCANCODE_0, DIK_0},
    {SDL_SCANCODE_MINUS, DIK_MINUS}, {SDL_SCANCODE_EQUALS, DIK_EQUALS},
    {SDL_SCANCODE_BACKSPACE, DIK_BACK}, {SDL_SCANCODE_TAB, DIK_TAB},
    {SDL_SCANCODE_Q, DIK_Q}, {SDL_SCANCODE_W, DIK_W}, {SDL_SCANCODE_E, DIK_E}, {SDL_SCANCODE_R, DIK_R},
    {SDL_SCANCODE_T, DIK_T}, {SDL_SCANCODE_Y, DIK_Y}, {SDL_SCANCODE_U, DIK_U}, {SDL_SCANCODE_I, DIK_I},
    {SDL_SCANCODE_O, DIK_O}, {SDL_SCANCODE_P, DIK_P},
    {SDL_SCANCODE_LEFTBRACKET, DIK_LBRACKET}, {SDL_SCANCODE_RIGHTBRACKET, DIK_RBRACKET},
    {SDL_SCANCODE_RETURN, DIK_RETURN}, {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
    {SDL_SCANCODE_A, DIK_A}, {SDL_SCANCODE_S, DIK_S}, {SDL_SCANCODE_D, DIK_D}, {SDL_SCANCODE_F, DIK_F},
    {SDL_SCANCODE_G, DIK_G}, {SDL_SCANCODE_H, DIK_H}, {SDL_SCANCODE_J, DIK_J}, {SDL_SCANCODE_K, DIK_K},
    {SDL_SCANCODE_L, DIK_L},
    {SDL_SCANCODE_SEMICOLON, DIK_SEMICOLON}, {SDL_SCANCODE_APOSTROPHE, DIK_APOSTROPHE},
    {SDL_SCANCODE_GRAVE, DIK_GRAVE}, {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
    {SDL_SCANCODE_BACKSLASH, DIK_BACKSLASH}, {SDL_SCANCODE_NONUSHASH, DIK_BACKSLASH},
    {SDL_SCANCODE_Z, DIK_Z}, {SDL_SCANCODE_X, DIK_X}, {SDL_SCANCODE_C, DIK_C}, {SDL_SCANCODE_V, DIK_V},
    {SDL_SCANCODE_B, DIK_B}, {SDL_SCANCODE_N, DIK_N}, {SDL_SCANCODE_M, DIK_M},
    {SDL_SCANCODE_COMMA, DIK_COMMA}, {SDL_SCANCODE_PERIOD, DIK_PERIOD}, {SDL_SCANCODE_SLASH, DIK_SLASH},
    {SDL_SCANCODE_RSHIFT, DIK_RSHIFT}, {SDL_SCANCODE_KP_MULTIPLY, DIK_MULTIPLY},
    {SDL_SCANCODE_LALT, DIK_LMENU}, {SDL_SCANCODE_SPACE, DIK_SPACE}, {SDL_SCANCODE_CAPSLOCK, DIK_CAPITAL},
    {SDL_SCANCODE_F1, DIK_F1}, {SDL_SCANCODE_F2, DIK_F2}, {SDL_SCANCODE_F3, DIK_F3}, {SDL_SCANCODE_F4, DIK_F4},
    {SDL_SCANCODE_F5, DIK_F5}, {SDL_SCANCODE_F6, DIK_F6}, {SDL_SCANCODE_F7, DIK_F7}, {SDL_SCANCODE_F8, DIK_F8},
    {SDL_SCANCODE_F9, DIK_F9}, {SDL_SCANCODE_F10, DIK_F10}, {SDL_SCANCODE_F11, DIK_F11},
    {SDL_SCANCODE_F12, DIK_F12}, {SDL_SCANCODE_F13, DIK_F13}, {SDL_SCANCODE_F14, DIK_F14},
    {SDL_SCANCODE_F15, DIK_F15},
    {SDL_SCANCODE_NUMLOCKCLEAR, DIK_NUMLOCK}, {SDL_SCANCODE_SCROLLLOCK, DIK_SCROLL},
    {SDL_SCANCODE_KP_7, DIK_NUMPAD7}, {SDL_SCANCODE_KP_8, DIK_NUMPAD8}, {SDL_SCANCODE_KP_9, DIK_NUMPAD9},
    {SDL_SCANCODE_KP_MINUS, DIK_SUBTRACT},
    {SDL_SCANCODE_KP_4, DIK_NUMPAD4}, {SDL_SCANCODE_KP_5, DIK_NUMPAD5}, {SDL_SCANCODE_KP_6, DIK_NUMPAD6},
    {SDL_SCANCODE_KP_PLUS, DIK_ADD},
    {SDL_SCANCODE_KP_1, DIK_NUMPAD1}, {SDL_SCANCODE_KP_2, DIK_NUMPAD2}, {SDL_SCANCODE_KP_3, DIK_NUMPAD3},
    {SDL_SCANCODE_KP_0, DIK_NUMPAD0}, {SDL_SCANCODE_KP_PERIOD, DIK_DECIMAL},
    {SDL_SCANCODE_NONUSBACKSLASH, DIK_OEM_102}, {SDL_SCANCODE_INTERNATIONAL3, DIK_YEN},
    {SDL_SCANCODE_KP_EQUALS, DIK_NUMPADEQUALS}, {SDL_SCANCODE_KP_COMMA, DIK_NUMPADCOMMA},
    {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER}, {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
    {SDL_SCANCODE_KP_DIVIDE, DIK_DIVIDE}, {SDL_SCANCODE_PRINTSCREEN, DIK_SYSRQ},
    {SDL_SCANCODE_RALT, DIK_RMENU}, {SDL_SCANCODE_PAUSE, DIK_PAUSE},
    {SDL_SCANCODE_HOME, DIK_HOME}, {SDL_SCANCODE_UP, DIK_UP}, {SDL_SCANCODE_PAGEUP, DIK_PRIOR},
    {SDL_SCANCODE_LEFT, DIK_LEFT}, {SDL_SCANCODE_RIGHT, DIK_RIGHT}, {SDL_SCANCODE_END, DIK_END},
    {SDL_SCANCODE_DOWN, DIK_DOWN}, {SDL_SCANCODE_PAGEDOWN, DIK_NEXT},
    {SDL_SCANCODE_INSERT, DIK_INSERT}, {SDL_SCANCODE_DELETE, DIK_DELETE},
    {SDL_SCANCODE_LGUI, DIK_LWIN}, {SDL_SCANCODE_RGUI, DIK_RWIN}, {SDL_SCANCODE_APPLICATION, DIK_APPS},
};

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> BuildScancodeLookup() {
    std::array<uint8_t, SDL_NUM_SCANCODES> lookup{};
    for (const KeyMapping& mapping : kKeyTable) {
        lookup[mapping.scancode] = mapping.dik;
    }
    return lookup;
}

constexpr std::array<uint8_t, SDL_NUM_SCANCODES> kScancodeToDik = BuildScancodeLookup();

// Code points of the bytes 0x80..0x9F in Windows-1252; 0 where the byte is unassigned.
constexpr uint16_t kHighControlBlock[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Decodes one UTF-8 sequence at text; returns its length (0 at the end), or a negative length
// for a malformed sequence that is to be skipped.
int DecodeUtf8(const unsigned char* text, uint32_t& codePoint) {
    const unsigned char lead = text[0];
    if (lead == 0) {
        return 0;
    }
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int length = 0;
    uint32_t value = 0;
    uint32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return -1;   // a stray continuation byte or an invalid lead byte
    }
    for (int i = 1; i < length; ++i) {
        const unsigned char next = text[i];
        if ((next & 0xC0) != 0x80) {
            return -i;   // cut short: skip what was read, resume at this byte
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return -length;
    }
    codePoint = value;
    return length;
}
}  // namespace

uint8_t DikFromScancode(int32_t scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return kScancodeToDik[static_cast<size_t>(scancode)];
}

bool Windows1252FromCodePoint(uint32_t codePoint, uint8_t& out) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        out = static_cast<uint8_t>(codePoint);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControlBlock[i] != 0 && kHighControlBlock[i] == codePoint) {
            out = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    }
    return false;
}

size_t Utf8ToWindows1252(const char* text, uint8_t* out, size_t capacity) {
    size_t written = 0;
    const unsigned char* cursor = reinterpret_cast<const unsigned char*>(text);
    while (written < capacity) {
        uint32_t codePoint = 0;
        const int length = DecodeUtf8(cursor, codePoint);
        if (length == 0) {
            break;
        }
        if (length < 0) {
            cursor += -length;
            continue;
        }
        cursor += length;
        uint8_t byte = 0;
        if (Windows1252FromCodePoint(codePoint, byte)) {
            out[written++] = byte;
        }
    }
    return written;
}
