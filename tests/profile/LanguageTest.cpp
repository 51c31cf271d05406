// The language choice in "language.dat" and the rules' texts taken from it.
#include "tests/profile/ProfileFixture.h"

#include "game/GameTexts.h"
#include "profile/Language.h"
#include "resources/FileManager.h"

namespace {

using CLanguageTest = CProfileTest;

Bytes LanguageBytes(uint32_t value) {
    Bytes bytes;
    PutLe32(bytes, value);
    return bytes;
}

TEST_F(CLanguageTest, FirstStartHasNoLanguageAndSpeaksEnglish) {
    CLanguage& language = CLanguage::Get();
    EXPECT_FALSE(language.Load());
    EXPECT_EQ(language.GetLanguage(), kLanguageNone);
    EXPECT_STREQ(language.TxtPlay(), "Play");
    EXPECT_FALSE(PathExists(DataPath("language.dat")));
}

TEST_F(CLanguageTest, ChoosingSwedishWritesTwoAndSurvivesARestart) {
    CLanguage& language = CLanguage::Get();
    language.SetLanguage(kLanguageSwedish);
    EXPECT_EQ(ReadData("language.dat"), (Bytes{2, 0, 0, 0}));
    EXPECT_STREQ(language.TxtPlay(), "Spela");

    language.SetLanguage(kLanguageEnglish);
    EXPECT_STREQ(language.TxtPlay(), "Play");
    language.SetLanguage(kLanguageSwedish);

    EXPECT_TRUE(language.Load());
    EXPECT_EQ(language.GetLanguage(), kLanguageSwedish);
    EXPECT_STREQ(language.TxtLevel(), "BANA ");
}

TEST_F(CLanguageTest, StoredValuesOtherThanTwoSpeakEnglishAndStayAsStored) {
    const struct {
        uint32_t stored;
        bool swedish;
    } cases[] = {{7, false}, {0, false}, {1, false}, {2, true}, {0xFFFFFFFF, false}};
    CLanguage& language = CLanguage::Get();
    for (const auto& test : cases) {
        SCOPED_TRACE(test.stored);
        WriteData("language.dat", LanguageBytes(test.stored));
        EXPECT_TRUE(language.Load());
        EXPECT_EQ(language.GetLanguage(), test.stored);
        EXPECT_STREQ(language.TxtGameOver(), "GAME OVER");
        EXPECT_STREQ(language.TxtNewGame(), test.swedish ? "Starta nytt" : "New game");
        EXPECT_EQ(ReadData("language.dat"), LanguageBytes(test.stored));
    }
}

TEST_F(CLanguageTest, ShortFileMeansNoLanguageChosen) {
    CLanguage& language = CLanguage::Get();
    language.SetLanguage(kLanguageSwedish);
    for (const Bytes& file : {Bytes{}, Bytes{2}, Bytes{2, 0, 0}}) {
        SCOPED_TRACE(file.size());
        WriteData("language.dat", file);
        EXPECT_FALSE(language.Load());
        EXPECT_EQ(language.GetLanguage(), kLanguageNone);
        EXPECT_STREQ(language.TxtPlay(), "Play");
        EXPECT_EQ(ReadData("language.dat"), file);
    }
    EXPECT_TRUE(LogHas("CLanguage::Load FAILED"));
}

TEST_F(CLanguageTest, UnwritableFileIsLoggedAndTheChoiceHolds) {
    CFileManager::Get().UnmountAll();
    CLanguage& language = CLanguage::Get();
    language.SetLanguage(kLanguageSwedish);
    EXPECT_TRUE(LogHas("CLanguage::Save FAILED couldn't save language configuration"));
    EXPECT_EQ(language.GetLanguage(), kLanguageSwedish);
    EXPECT_STREQ(language.TxtPlay(), "Spela");
}

TEST_F(CLanguageTest, RulesTextsFollowTheLanguage) {
    const struct {
        EGameText id;
        const char* english;
        const char* swedish;
    } cases[] = {
        {EGameText::ComboPlus, "Combo +", "Kedja +"},
        {EGameText::Level, "LEVEL ", "BANA "},
        {EGameText::GameOver, "GAME OVER", "GAME OVER"},
        {EGameText::Perfect, "PERFECT", "PERFEKT SIKTAT"},
        {EGameText::PerfectBonus, "PERFECT BONUS", "PERFEKT BONUS"},
        {EGameText::ThatWasClose, "THAT WAS CLOSE", "DET VAR N\xC4RA"},
        {EGameText::WellDone, "WELL DONE", "DU KLARADE BANAN"},
        {EGameText::Accuracy, "Accuracy ", "Tr\xE4" "ffs\xE4kerhet "},
        {EGameText::Bonus, "Bonus ", "Bonus "},
        {EGameText::Combos, "Combos ", "Kedjor "},
        {EGameText::AllLevelsDone, "YOU'VE COMPLETED ALL THE LEVELS", "DU KLARADE ALLA BANORNA!"},
    };
    static_assert(std::size(cases) == static_cast<size_t>(EGameText::Count));

    InstallLanguageGameTexts();
    CLanguage::Get().SetLanguage(kLanguageSwedish);
    for (const auto& test : cases) {
        EXPECT_STREQ(GameText(test.id), test.swedish);
    }
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    for (const auto& test : cases) {
        EXPECT_STREQ(GameText(test.id), test.english);
    }

    CLanguage::Get().SetLanguage(kLanguageSwedish);
    SetGameTextProvider(nullptr);
    for (const auto& test : cases) {
        EXPECT_STREQ(GameText(test.id), test.english);  // the rules' own texts
    }
    EXPECT_STREQ(GameText(EGameText::Count), "");
}

}  // namespace
