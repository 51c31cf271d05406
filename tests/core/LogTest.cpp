// The log: failures reach stderr once each, the detail only when asked for.
#include "core/Log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The log as a normal run has it (disabled, no detail), its error stream caught in a file.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_stream = std::tmpfile();
        ASSERT_NE(m_stream, nullptr);
        m_wasEnabled = CLog::Get().IsEnabled();
        m_wasDetail = CLog::Get().IsDetail();
        CLog::Get().SetDetail(false);
        CLog::Get().SetEnabled(false);
        CLog::Get().SetErrorStream(m_stream);
        CLog::Get().SetCapture(&m_captured);
    }
    void TearDown() override {
        CLog::Get().SetCapture(nullptr);
        CLog::Get().SetErrorStream(stderr);
        CLog::Get().SetDetail(m_wasDetail);
        CLog::Get().SetEnabled(m_wasEnabled);
        std::fclose(m_stream);
    }

    // What reached the error stream, line by line.
    std::vector<std::string> Told() {
        std::vector<std::string> lines;
        std::rewind(m_stream);
        char line[2048];
        while (std::fgets(line, sizeof(line), m_stream) != nullptr) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n') {
                text.pop_back();
            }
            lines.push_back(text);
        }
        return lines;
    }

    FILE* m_stream = nullptr;
    std::vector<std::string> m_captured;
    bool m_wasEnabled = true;
    bool m_wasDetail = false;
};

TEST_F(LogTest, AFailureIsToldOnceEvenWithTheLogOff) {
    CLog& log = CLog::Get();
    log.Write("CFileManager::MountFileSystem %s", "data");
    for (int frame = 0; frame < 100; ++frame) {
        log.Write("CBoard::LoadLevel FAILED, level file %s: %d bytes instead of %d", "5.lvl", 100, 1040);
        log.Write("CInputKeyboard::Update FAILED");
    }
    log.Write("CBoard::LoadLevel FAILED, level file %s: %d bytes instead of %d", "6.lvl", 0, 1040);
    EXPECT_EQ(Told(), (std::vector<std::string>{
                          "pellora: CBoard::LoadLevel FAILED, level file 5.lvl: 100 bytes instead of 1040",
                          "pellora: CInputKeyboard::Update FAILED",
                          "pellora: CBoard::LoadLevel FAILED, level file 6.lvl: 0 bytes instead of 1040",
                      }));
    EXPECT_TRUE(m_captured.empty()) << "the detail stays off while the log is off";
}

TEST_F(LogTest, TheDetailGoesToTheFileAndEveryLineToStderr) {
    CLog& log = CLog::Get();
    log.SetEnabled(true);
    log.Write("CSoundBass::File_LoadConfig: %s", "sound.cfg");
    EXPECT_TRUE(Told().empty()) << "a detail line stays in the log";
    EXPECT_EQ(m_captured, std::vector<std::string>{"CSoundBass::File_LoadConfig: sound.cfg"});

    log.SetEnabled(false);   // a normal run switches the log off; the detail keeps it on
    log.SetDetail(true);
    EXPECT_TRUE(log.IsEnabled());
    log.Write("CGfxOGL::PrepareRenderer - %s renderer", "software");
    log.Write("CFont::Init FAILED, filename: %s", "font.dat");
    log.Write("CFont::Init FAILED, filename: %s", "font.dat");
    EXPECT_EQ(Told(), (std::vector<std::string>{
                          "pellora: CGfxOGL::PrepareRenderer - software renderer",
                          "pellora: CFont::Init FAILED, filename: font.dat",
                          "pellora: CFont::Init FAILED, filename: font.dat",
                      }));
    EXPECT_EQ(m_captured.size(), 4u);
}

// A line carries bytes from outside (a name from the network is Windows-1252): the file and
// the terminal get valid UTF-8 without control codes, what could not be shown as \xHH.
TEST_F(LogTest, BytesThatAreNoUtf8OrAreControlCodesAreEscaped) {
    const struct {
        const char* name;
        const char* shown;
    } cases[] = {
        {"Bea", "Bea"},
        {"\xFF", "\\xFF"},                                  // the name that broke the log
        {"\xC5sa \xD6" "berg", "\\xC5sa \\xD6" "berg"},      // Windows-1252 letters
        {"\xC3\xA5sa", "\xC3\xA5sa"},                        // UTF-8 stays as it is
        {"\xE2\x82\xAC \xF0\x9F\x8E\xB1", "\xE2\x82\xAC \xF0\x9F\x8E\xB1"},
        {"a\nb\tc\x1B[2J\x7F", "a\\x0Ab\\x09c\\x1B[2J\\x7F"},  // C0 and DEL
        {"\x9B" "31m", "\\x9B" "31m"},                         // C1 as one byte
        {"\xC2\x9B" "31m", "\\xC2\\x9B" "31m"},                 // C1 written in UTF-8
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "\\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80"},
        {"cut \xE2\x82", "cut \\xE2\\x82"},
    };
    CLog& log = CLog::Get();
    log.SetEnabled(true);
    log.SetDetail(true);
    for (const auto& c : cases) {
        m_captured.clear();
        log.Write("CGuiHostGame: %s joined", c.name);
        ASSERT_EQ(m_captured.size(), 1u);
        EXPECT_EQ(m_captured[0], std::string("CGuiHostGame: ") + c.shown + " joined") << c.shown;
    }
    EXPECT_EQ(Told().back(), std::string("pellora: CGuiHostGame: cut \\xE2\\x82 joined"));
    log.SetDetail(false);
}

// A long line is cut before an escape or a letter that would not fit, never inside one.
TEST_F(LogTest, AnEscapedLineIsCutBetweenWholeCharacters) {
    char out[8];
    EscapeLogLine("abcde\xFF", out, sizeof(out));
    EXPECT_STREQ(out, "abcde");
    EscapeLogLine("abcd\xFF", out, sizeof(out));
    EXPECT_STREQ(out, "abcd");
    EscapeLogLine("abc\xFF", out, sizeof(out));
    EXPECT_STREQ(out, "abc\\xFF");
    EscapeLogLine("abcdef\xC3\xA5", out, sizeof(out));
    EXPECT_STREQ(out, "abcdef");
    EscapeLogLine("abcde\xC3\xA5", out, sizeof(out));
    EXPECT_STREQ(out, "abcde\xC3\xA5");
}

TEST_F(LogTest, PelloraLogDebugAsksForTheDetail) {
    const struct {
        const char* value;
        bool detail;
    } cases[] = {
        {nullptr, false}, {"", false}, {"debug", true}, {"DEBUG", true}, {"Debug", true},
        {"info", false},  {"debug2", false}, {"1", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CLog::DetailWanted(c.value), c.detail) << (c.value != nullptr ? c.value : "(unset)");
    }
}

TEST_F(LogTest, NoStreamTellsNothing) {
    CLog::Get().SetErrorStream(nullptr);
    CLog::Get().Write("CTextures::Load FAILED name too long: %s", "x");
    CLog::Get().SetErrorStream(m_stream);
    EXPECT_TRUE(Told().empty());
}

}  // namespace
