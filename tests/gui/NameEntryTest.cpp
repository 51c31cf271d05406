// The name entry: what typing does to the name, the caret's blink, and the player that OK
// makes, on the real screen with a data folder of its own.
#include "GuiFixtures.h"

#include "gui/GuiDialogs.h"
#include "profile/Players.h"
#include "resources/FileManager.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

class NameEntryTest : public CScreenTest {};

TEST_F(NameEntryTest, TypingKeepsTwelvePlainCharactersAndBackspaceTakesTheLast) {
    const struct {
        const char* what;
        std::vector<int32_t> codes;
        std::string name;
    } cases[] = {
        {"letters and a space", {'A', 'n', 'n', 'a', ' ', 'B'}, "Anna B"},
        {"quotes are ignored", {'a', '\'', 'b', '"', 'c'}, "abc"},
        {"a thirteenth character does nothing", std::vector<int32_t>(13, 'x'), std::string(12, 'x')},
        {"Windows-1252 letters stay single bytes", {0xE5, 0xE4, 0xF6, 0xC5}, "\xE5\xE4\xF6\xC5"},
        {"backspace takes the last character", {'a', 'b', 8}, "a"},
        {"backspace on an empty name does nothing", {8, 8, 'z'}, "z"},
        {"control codes are not typed", {1, 9, 27, 'k'}, "k"},
        {"spaces before the name are not typed", {' ', ' ', 'A', 'n', ' ', 'n'}, "An n"},
        {"spaces before leave room for twelve letters", {' ', ' ', ' ', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm'},
         "abcdefghijkl"},
    };
    for (const auto& c : cases) {
        CGuiEnterName screen;
        ASSERT_TRUE(screen.Init()) << c.what;
        for (const int32_t code : c.codes) {
            screen.OnChar(code);
        }
        EXPECT_EQ(screen.TypedName(), c.name) << c.what;
        screen.Shutdown();
    }
}

TEST_F(NameEntryTest, EnterMakesThePlayerOnlyWhenANameIsTyped) {
    CGuiEnterName screen;
    ASSERT_TRUE(screen.Init());
    EXPECT_FALSE(screen.HasCancel()) << "the first player cannot be cancelled";
    EXPECT_FALSE(screen.Hint().IsVisible());
    screen.OnChar(13);
    EXPECT_EQ(GetPlayerCount(), 0) << "Enter with an empty name makes no player";
    EXPECT_TRUE(screen.Hint().IsVisible()) << "and says why";
    EXPECT_FALSE(PathExists(m_folder / "players.cfg"));
    for (const char c : std::string("Bo")) {
        screen.OnChar(c);
    }
    screen.OnChar(13);
    ASSERT_EQ(GetPlayerCount(), 1);
    EXPECT_STREQ(CurrentPlayerName(), "Bo");
    EXPECT_STREQ(CurrentPlayerSaveFile(), "ply1.sav");
    EXPECT_EQ(ReadFileBytes(m_folder / "players.cfg").size(), 116u);
    screen.Shutdown();

    CGuiEnterName second;
    ASSERT_TRUE(second.Init());
    EXPECT_TRUE(second.HasCancel()) << "with a player, Cancel is there";
    second.Shutdown();
}

// The on-screen letters: capitals at the start of the name and after a space, small letters
// otherwise, the Swedish ones too; each key types the letter it shows.
TEST_F(NameEntryTest, TheLetterGridShowsAndTypesCapitalsOnlyWhereANameWordBegins) {
    const std::string capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6";
    const std::string smalls = "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6";
    CGuiEnterName screen;
    ASSERT_TRUE(screen.Init());
    const auto shown = [&screen] {
        std::string letters;
        for (int32_t i = 0; i < CGuiEnterName::kGridLetters; ++i) {
            letters += screen.GridKey(i).Text();
        }
        return letters;
    };
    const struct {
        const char* typed;   // by the keyboard, before the grid is read
        const std::string& letters;
    } cases[] = {
        {"", capitals},
        {"\xD6", smalls},
        {"\xD6l ", capitals},
        {"\xD6l B", smalls},
    };
    for (const auto& c : cases) {
        for (const char letter : std::string(c.typed)) {
            screen.OnChar(static_cast<uint8_t>(letter));
        }
        EXPECT_EQ(shown(), c.letters) << "after \"" << c.typed << "\"";
        while (!screen.TypedName().empty()) {
            screen.OnChar(8);
        }
    }
    // The last key, Ö, types what it shows: a capital first, a small letter after it.
    const int32_t oKey = CGuiEnterName::kCommandGridKey + CGuiEnterName::kGridLetters - 1;
    screen.OnMessage(oKey, 0);
    screen.OnMessage(oKey, 0);
    EXPECT_EQ(screen.TypedName(), "\xD6\xF6");
    screen.Shutdown();
}

// Spaces around a name are not part of it, and spaces alone are no name at all.
TEST_F(NameEntryTest, SpacesAroundTheNameAreTrimmedAndSpacesAloneGetTheHint) {
    const struct {
        const char* what;
        std::string typed;
        const char* player;   // null: no player is made and the hint shows
    } cases[] = {
        {"one space", " ", nullptr},
        {"twelve spaces", std::string(12, ' '), nullptr},
        {"spaces around", "  Bo Ek  ", "Bo Ek"},
        {"leading spaces", "   Siv", "Siv"},
        {"trailing spaces", "\xC5sa   ", "\xC5sa"},
        {"a plain name", "Li", "Li"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClearPlayers();
        CGuiEnterName screen;
        ASSERT_TRUE(screen.Init());
        for (const char ch : c.typed) {
            screen.OnChar(static_cast<uint8_t>(ch));
        }
        screen.OnChar(13);
        if (c.player == nullptr) {
            EXPECT_EQ(GetPlayerCount(), 0);
            EXPECT_TRUE(screen.Hint().IsVisible());
            // Typing takes the hint away.
            screen.OnChar('a');
            EXPECT_FALSE(screen.Hint().IsVisible());
        } else {
            ASSERT_EQ(GetPlayerCount(), 1);
            EXPECT_STREQ(CurrentPlayerName(), c.player);
            EXPECT_FALSE(screen.Hint().IsVisible());
        }
        screen.Shutdown();
    }
}

TEST_F(NameEntryTest, TheCaretBlinksHalfASecondOnHalfASecondOff) {
    CGuiEnterName screen;
    ASSERT_TRUE(screen.Init());
    const struct {
        float at;
        bool shown;
    } samples[] = {{0.1f, true}, {0.45f, true}, {0.55f, false}, {0.95f, false}, {1.05f, true}, {1.6f, false}};
    float time = 0.0f;
    for (const auto& sample : samples) {
        while (time < sample.at) {
            screen.UpdateScreen(kStep);
            time += kStep;
        }
        EXPECT_EQ(screen.IsCaretShown(), sample.shown) << "at " << sample.at << " s";
    }
    screen.Shutdown();
}

}  // namespace

namespace {

// The player selection offers "Add player" until nine players exist.
TEST_F(NameEntryTest, ThePlayerSelectionOffersANewPlayerUntilThereAreNine) {
    for (int32_t count = 1; count <= CGuiPlayer::kMaxShownPlayers; ++count) {
        char name[8];
        std::snprintf(name, sizeof(name), "P%d", count);
        ASSERT_NE(CreatePlayer(name), nullptr);
        CGuiPlayer screen;
        ASSERT_TRUE(screen.Init());
        EXPECT_EQ(screen.HasAddPlayer(), count < CGuiPlayer::kMaxShownPlayers) << count << " players";
        screen.Shutdown();
    }
}

}  // namespace
