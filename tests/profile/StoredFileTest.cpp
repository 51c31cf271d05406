// The small stored files of the profile room when they are found damaged: the repaired
// file is written, and the original is kept beside it as "<name>.bad".
#include "tests/profile/ProfileFixture.h"

#include "profile/Highscore.h"
#include "profile/Language.h"
#include "profile/Players.h"

namespace {

using CStoredFileTest = CProfileTest;

TEST_F(CStoredFileTest, ARepairedFileKeepsItsOriginalBesideIt) {
    const struct {
        const char* name;
        Bytes damaged;
        void (*loadAndWrite)();
    } cases[] = {
        {"hs5.dat", Bytes(100, 0x41),
         [] {
             CHighscore::Get().SelectFile("hs5.dat");
             CHighscore::Get().AddEntry(2000000, 3, "Anna");
         }},
        {"language.dat", Bytes{2, 0},
         [] {
             CLanguage::Get().Load();
             CLanguage::Get().SetLanguage(kLanguageSwedish);
         }},
        {"players.cfg", Bytes(30, 0xEE),
         [] {
             LoadPlayers();
             CreatePlayer("Anna");
             SavePlayers();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteData(c.name, c.damaged);
        m_log.clear();
        c.loadAndWrite();
        const Bytes written = ReadData(c.name);
        EXPECT_FALSE(written.empty());
        EXPECT_NE(written, c.damaged) << "the repaired file is written";
        EXPECT_EQ(ReadData(std::string(c.name) + ".bad"), c.damaged);
        EXPECT_TRUE(LogHas(std::string("the damaged ") + c.name + " is kept as " + c.name + ".bad"));
    }
}

TEST_F(CStoredFileTest, AWholeFileLeavesNoCopy) {
    CHighscore::Get().SelectFile("hs5.dat");
    ASSERT_TRUE(CHighscore::Get().AddEntry(2000000, 3, "Anna"));
    CHighscore::Get().SelectFile("hs5.dat");
    ASSERT_TRUE(CHighscore::Get().AddEntry(3000000, 4, "Bo"));
    CLanguage::Get().SetLanguage(kLanguageEnglish);
    CLanguage::Get().Load();
    for (const char* name : {"hs5.dat.bad", "language.dat.bad"}) {
        EXPECT_FALSE(PathExists(DataPath(name))) << name;
    }
}

}  // namespace
