// The keyboard table (SDL scancodes to DIK_ numbers) and typed text from UTF-8 to Windows-1252.
#include "platform/Input.h"
#include "platform/KeyTable.h"

#include <SDL2/SDL_scancode.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {
TEST(KeyTableTest, KeysMapToTheirDikNumbers) {
    struct Case {
        SDL_Scancode scancode;
        uint8_t dik;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, 0x1E}, {SDL_SCANCODE_Q, 0x10}, {SDL_SCANCODE_W, 0x11}, {SDL_SCANCODE_E, 0x12},
        {SDL_SCANCODE_R, 0x13}, {SDL_SCANCODE_S, 0x1F}, {SDL_SCANCODE_D, 0x20}, {SDL_SCANCODE_P, 0x19},
        {SDL_SCANCODE_Z, 0x2C}, {SDL_SCANCODE_M, 0x32}, {SDL_SCANCODE_1, 0x02}, {SDL_SCANCODE_0, 0x0B},
        {SDL_SCANCODE_SPACE, 0x39}, {SDL_SCANCODE_RETURN, 0x1C}, {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_ESCAPE, 0x01}, {SDL_SCANCODE_BACKSPACE, 0x0E}, {SDL_SCANCODE_TAB, 0x0F},
        {SDL_SCANCODE_F1, 0x3B}, {SDL_SCANCODE_F8, 0x42}, {SDL_SCANCODE_F10, 0x44}, {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_F12, 0x58}, {SDL_SCANCODE_UP, 0xC8}, {SDL_SCANCODE_DOWN, 0xD0}, {SDL_SCANCODE_LEFT, 0xCB},
        {SDL_SCANCODE_RIGHT, 0xCD}, {SDL_SCANCODE_HOME, 0xC7}, {SDL_SCANCODE_END, 0xCF},
        {SDL_SCANCODE_PAGEUP, 0xC9}, {SDL_SCANCODE_PAGEDOWN, 0xD1}, {SDL_SCANCODE_INSERT, 0xD2},
        {SDL_SCANCODE_DELETE, 0xD3}, {SDL_SCANCODE_LSHIFT, 0x2A}, {SDL_SCANCODE_RSHIFT, 0x36},
        {SDL_SCANCODE_LCTRL, 0x1D}, {SDL_SCANCODE_RCTRL, 0x9D}, {SDL_SCANCODE_LALT, 0x38},
        {SDL_SCANCODE_RALT, 0xB8}, {SDL_SCANCODE_KP_0, 0x52}, {SDL_SCANCODE_KP_5, 0x4C},
        {SDL_SCANCODE_KP_7, 0x47}, {SDL_SCANCODE_KP_DIVIDE, 0xB5}, {SDL_SCANCODE_KP_MULTIPLY, 0x37},
        {SDL_SCANCODE_KP_MINUS, 0x4A}, {SDL_SCANCODE_KP_PLUS, 0x4E}, {SDL_SCANCODE_KP_PERIOD, 0x53},
        {SDL_SCANCODE_NUMLOCKCLEAR, 0x45}, {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_GRAVE, 0x29},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(DikFromScancode(test.scancode), test.dik) << "scancode " << static_cast<int>(test.scancode);
    }
}

TEST(KeyTableTest, UnnumberedAndOutOfRangeScancodesGiveZero) {
    const int32_t unnumbered[] = {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIONEXT,
                                  SDL_NUM_SCANCODES, -1, 100000};
    for (const int32_t scancode : unnumbered) {
        EXPECT_EQ(DikFromScancode(scancode), 0) << scancode;
    }
}

TEST(KeyTableTest, EveryKeyOfTheTableHasANumberOfItsOwn) {
    // Two physical keys share a number only where one keyboard has the key the other lacks:
    // the ISO '#' key sits where the ANSI backslash is.
    std::map<uint8_t, int> uses;
    int numbered = 0;
    for (int32_t scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const uint8_t dik = DikFromScancode(scancode);
        if (dik != 0) {
            ++uses[dik];
            ++numbered;
        }
    }
    for (const auto& [dik, count] : uses) {
        EXPECT_EQ(count, dik == DIK_BACKSLASH ? 2 : 1) << "DIK " << static_cast<int>(dik);
    }
    // Letters, digits, twelve function keys, keypad, arrows and navigation, modifiers.
    EXPECT_GE(numbered, 100);
}

struct TextCase {
    const char* label;
    std::string utf8;
    std::string expected;   // Windows-1252 bytes
};

TEST(TextInputTest, Utf8BecomesWindows1252AndUnmappableCharactersAreDropped) {
    const TextCase cases[] = {
        {"ascii", "Abc 1!", "Abc 1!"},
        {"swedish", "\xC3\xA5\xC3\xA4\xC3\xB6 \xC3\x85\xC3\x84\xC3\x96", "\xE5\xE4\xF6 \xC5\xC4\xD6"},
        {"latin1 edges", "\xC2\xA0\xC3\xBF", "\xA0\xFF"},
        {"euro", "\xE2\x82\xAC", "\x80"},
        {"1252 extras", "\xC5\x93\xE2\x80\x94\xE2\x84\xA2\xC5\xB8", "\x9C\x97\x99\x9F"},
        {"no 1252 byte", "a\xE6\x97\xA5\xE6\x9C\xAC" "b", "ab"},
        {"emoji", "x\xF0\x9F\x98\x80y", "xy"},
        {"C1 control", "\xC2\x81", ""},
        {"cut sequence", "\xC3", ""},
        {"cut before ascii", "\xC3(", "("},
        {"overlong", "\xC0\xAF" "z", "z"},
        {"surrogate", "\xED\xA0\x80" "q", "q"},
        {"stray continuation", "\x80" "a", "a"},
    };
    for (const TextCase& test : cases) {
        uint8_t out[32] = {};
        const size_t count = Utf8ToWindows1252(test.utf8.c_str(), out, sizeof(out));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), count), test.expected) << test.label;
    }
}

TEST(TextInputTest, ConversionStopsAtTheCapacity) {
    uint8_t out[8];
    std::fill(std::begin(out), std::end(out), uint8_t{0xEE});
    EXPECT_EQ(Utf8ToWindows1252("abc\xC3\xA5" "def", out, 4), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out), 4), "abc\xE5");
    EXPECT_EQ(out[4], 0xEE);
}

TEST(TextInputTest, UnassignedBytesOfTheHighBlockHaveNoCodePoint) {
    // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character; their C1 code points are refused.
    const uint32_t refused[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0x100, 0x3B1, 0xFFFD};
    for (const uint32_t codePoint : refused) {
        uint8_t byte = 0;
        EXPECT_FALSE(Windows1252FromCodePoint(codePoint, byte)) << std::hex << codePoint;
    }
    uint8_t byte = 0;
    ASSERT_TRUE(Windows1252FromCodePoint(0x0160, byte));
    EXPECT_EQ(byte, 0x8A);
}
}  // namespace
