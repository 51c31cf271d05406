// Where the program reads its archives and writes the player's files: beside the program
// (a build tree or an unpacked folder) or, installed, in the user's own folders.
#include "resources/UserFolders.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

namespace {

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

bool MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A scratch tree: <temp>/prefix/bin, <temp>/home, and whichever data folders a case asks for.
class UserFoldersTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(m_temp.Path().empty());
        m_root = RealPath(m_temp.Path());
        ASSERT_TRUE(MakeFolder(m_root + "/prefix"));
        ASSERT_TRUE(MakeFolder(Program()));
        m_home = m_root + "/home";
        ASSERT_TRUE(MakeFolder(m_home));
        m_environment.home = m_home.c_str();
    }
    std::string Program() const { return m_root + "/prefix/bin"; }
    void MakeInstalledData() {
        ASSERT_TRUE(MakeFolder(m_root + "/prefix/share"));
        ASSERT_TRUE(MakeFolder(m_root + "/prefix/share/pellora"));
    }

    CTempFolder m_temp;
    std::string m_root;
    std::string m_home;
    FolderEnvironment m_environment;
};

TEST_F(UserFoldersTest, DataFolderBesideTheProgramIsReadAndWritten) {
    ASSERT_TRUE(MakeFolder(Program() + "/pellora_data"));
    // Even an installed tree beside it does not move a copy that carries its own data.
    MakeInstalledData();
    const std::string xdg = m_root + "/xdg";
    m_environment.xdgDataHome = xdg.c_str();
    const PelloraFolders folders = ChooseFolders(Program(), m_environment);
    EXPECT_EQ(folders.layout, FolderLayout::BesideProgram);
    EXPECT_EQ(folders.archiveFolder, Program() + "/pellora_data");
    EXPECT_EQ(folders.writeFolder, Program() + "/pellora_data");
    EXPECT_EQ(folders.screenshotFolder, Program());
    EXPECT_FALSE(IsFolder(xdg)) << "choosing must create nothing";
}

TEST_F(UserFoldersTest, WithoutAnyDataFolderTheProgramLooksBesideItself) {
    const PelloraFolders folders = ChooseFolders(Program(), m_environment);
    EXPECT_EQ(folders.layout, FolderLayout::BesideProgram);
    EXPECT_EQ(folders.archiveFolder, Program() + "/pellora_data");
}

// The user folder from XDG_DATA_HOME when it is an absolute path, else under HOME.
TEST_F(UserFoldersTest, InstalledProgramWritesIntoTheUserFolder) {
    MakeInstalledData();
    struct Case {
        const char* xdgDataHome;
        std::string expected;
    };
    const std::string xdg = m_root + "/xdg";
    const Case cases[] = {
        {xdg.c_str(), xdg + "/pellora"},
        {nullptr, m_home + "/.local/share/pellora"},
        {"", m_home + "/.local/share/pellora"},
        {"relative/data", m_home + "/.local/share/pellora"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdgDataHome == nullptr ? "unset" : c.xdgDataHome);
        m_environment.xdgDataHome = c.xdgDataHome;
        const PelloraFolders folders = ChooseFolders(Program(), m_environment);
        EXPECT_EQ(folders.layout, FolderLayout::Installed);
        EXPECT_EQ(folders.archiveFolder, m_root + "/prefix/share/pellora");
        EXPECT_EQ(folders.writeFolder, c.expected);
        // Without a pictures folder, screenshots land with the player's other files.
        EXPECT_EQ(folders.screenshotFolder, c.expected);
    }
}

TEST_F(UserFoldersTest, ScreenshotsGoToThePicturesFolderWhenItExists) {
    MakeInstalledData();
    const std::string pictures = m_home + "/Bilder";
    const std::string config = m_home + "/.config";
    ASSERT_TRUE(MakeFolder(config));
    ASSERT_TRUE(WriteFileBytes(config + "/user-dirs.dirs", BytesOf("# written by xdg-user-dirs-update\n"
                                                                     "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                                     "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n")));
    const std::string userFolder = m_home + "/.local/share/pellora";
    // Named in user-dirs.dirs but not there yet: the user folder.
    EXPECT_EQ(ChooseFolders(Program(), m_environment).screenshotFolder, userFolder);
    ASSERT_TRUE(MakeFolder(pictures));
    EXPECT_EQ(ChooseFolders(Program(), m_environment).screenshotFolder, pictures);
    // XDG_PICTURES_DIR in the environment comes first, when it is a folder.
    const std::string other = m_root + "/shots";
    m_environment.xdgPicturesDir = other.c_str();
    EXPECT_EQ(ChooseFolders(Program(), m_environment).screenshotFolder, pictures);
    ASSERT_TRUE(MakeFolder(other));
    EXPECT_EQ(ChooseFolders(Program(), m_environment).screenshotFolder, other);
    // XDG_CONFIG_HOME moves user-dirs.dirs.
    m_environment.xdgPicturesDir = nullptr;
    const std::string elsewhere = m_root + "/config";
    m_environment.xdgConfigHome = elsewhere.c_str();
    EXPECT_EQ(ChooseFolders(Program(), m_environment).screenshotFolder, userFolder);
}

TEST(UserDirFromTextTest, ReadsTheKeyAsTheUserDirsToolsWriteIt) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/ann/Pictures"},
        {"XDG_PICTURES_DIR=\"/srv/pictures\"", "/srv/pictures"},
        {"  XDG_PICTURES_DIR = \"$HOME/Bilder\"\n", "/home/ann/Bilder"},
        {"XDG_PICTURES_DIR=\"$HOME/A\"\nXDG_PICTURES_DIR=\"$HOME/B\"\n", "/home/ann/B"},
        {"#XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", ""},
        {"XDG_PICTURES_DIRS=\"$HOME/Pictures\"\n", ""},
        {"XDG_PICTURES_DIR=\"Pictures\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", ""},
        {"XDG_PICTURES_DIR=\"$HOME/unterminated\n", ""},
        {"XDG_VIDEOS_DIR=\"$HOME/Videos\"\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UserDirFromText(c.text, "XDG_PICTURES_DIR", "/home/ann"), c.expected) << c.text;
    }
}

TEST_F(UserFoldersTest, WriteFolderIsCreatedPrivateWithItsParents) {
    MakeInstalledData();
    const std::string xdg = m_root + "/fresh/data";
    m_environment.xdgDataHome = xdg.c_str();
    const PelloraFolders folders = ChooseFolders(Program(), m_environment);
    std::string problem = "stale";
    ASSERT_TRUE(PrepareWriteFolder(folders, problem)) << problem;
    EXPECT_TRUE(problem.empty());
    ASSERT_TRUE(IsFolder(xdg + "/pellora"));
    struct stat info {};
    ASSERT_EQ(::stat((xdg + "/pellora").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // A second start finds it there.
    EXPECT_TRUE(PrepareWriteFolder(folders, problem)) << problem;
}

TEST_F(UserFoldersTest, UnusableWriteFolderIsReportedByName) {
    MakeInstalledData();
    // A file where the data folder should be: no one, not even root, can make a folder in it.
    const std::string blocked = m_root + "/blocked";
    ASSERT_TRUE(WriteFileBytes(blocked, BytesOf("not a folder")));
    m_environment.xdgDataHome = blocked.c_str();
    std::string problem;
    EXPECT_FALSE(PrepareWriteFolder(ChooseFolders(Program(), m_environment), problem));
    EXPECT_NE(problem.find(blocked + "/pellora"), std::string::npos) << problem;
    EXPECT_NE(problem.find("Not a directory"), std::string::npos) << problem;

    // A folder the user may not write into (only meaningful without root's rights).
    if (::geteuid() != 0) {
        const std::string locked = m_root + "/locked";
        ASSERT_TRUE(MakeFolder(locked));
        ASSERT_TRUE(MakeFolder(locked + "/pellora"));
        ASSERT_EQ(::chmod((locked + "/pellora").c_str(), 0500), 0);
        m_environment.xdgDataHome = locked.c_str();
        EXPECT_FALSE(PrepareWriteFolder(ChooseFolders(Program(), m_environment), problem));
        EXPECT_NE(problem.find(locked + "/pellora"), std::string::npos) << problem;
        EXPECT_NE(problem.find("Permission denied"), std::string::npos) << problem;
        ::chmod((locked + "/pellora").c_str(), 0700);
    }
}

}  // namespace
