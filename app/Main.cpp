// Pellora's program entry: reads the command line, chooses its folders, checks the data
// archives, mounts the write folder and the archives, registers the screens and hooks, and
// runs the window and its frame loop.
#include "ArchiveCrc.h"
#include "engine/Application.h"
#include "gui/StateNumbers.h"
#include "resources/ArchiveCheck.h"
#include "app/CommandLine.h"
#include "engine/Engine.h"
#include "app/GameHooks.h"
#include "app/Globals.h"
#include "core/Log.h"
#include "app/StateFactory.h"
#include "gui/NetPlay.h"
#include "gui/NoticeBar.h"
#include "engine/StateManager.h"
#include "editor/LevelStore.h"
#include "resources/FileManager.h"
#include "resources/FolderLock.h"
#include "resources/UserFolders.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {
constexpr int kExitArchiveCheckFailed = 255;
constexpr int kExitNoDisplay = 1;

// Every relative path of the program (the log) is taken from the working directory: the
// program's own folder beside its data, the user's folder when installed. When the user's
// folder cannot be used the player hears why once, and the game runs without keeping files.
void EnterWorkingFolder(const std::string& programFolder, const PelloraFolders& folders) {
    std::string workingFolder = programFolder;
    if (folders.layout == FolderLayout::Installed) {
        std::string problem;
        if (PrepareWriteFolder(folders, problem)) {
            workingFolder = folders.writeFolder;
        } else {
            std::fprintf(stderr, "pellora: %s; players, high scores, settings and saved games will not be kept\n",
                         problem.c_str());
        }
    }
    if (chdir(workingFolder.c_str()) != 0) {
        std::fprintf(stderr, "pellora: cannot enter the folder %s\n", workingFolder.c_str());
    }
}

bool CheckDataArchives(const PelloraFolders& folders) {
    const std::string gfx = folders.archiveFolder + "/gfx.nuf";
    const std::string levels = folders.archiveFolder + "/levels.nuf";
    const std::string sound = folders.archiveFolder + "/sound.nuf";
    const ArchiveExpectation archives[] = {
        {gfx.c_str(), kArchiveCrcGfx},
        {levels.c_str(), kArchiveCrcLevels},
        {sound.c_str(), kArchiveCrcSound},
    };
    const ArchiveExpectation* damaged = FindDamagedArchive(archives, sizeof(archives) / sizeof(archives[0]));
    if (damaged != nullptr) {
        return false;   // FindDamagedArchive told it on stderr
    }
    return true;
}

// The write folder first, so that a player's file wins over a shipped one and every file
// the game writes lands there.
void MountData(const PelloraFolders& folders) {
    CFileManager& files = CFileManager::Get();
    files.MountFileSystem(folders.writeFolder);
    files.MountFileSystem(folders.archiveFolder + "/gfx.nuf");
    files.MountFileSystem(folders.archiveFolder + "/sound.nuf");
    // Levels saved by the editor are read before the shipped pack.
    MountLevelFolder(folders.writeFolder);
    files.MountFileSystem(folders.archiveFolder + "/levels.nuf");
}

// One copy at a time writes into the folder; a second one runs without writing. A folder
// that refuses a trial write is noted too. Both are told on screen once the texts are up.
void ClaimWriteFolder(const PelloraFolders& folders) {
    static CFolderLock lock;
    if (lock.Acquire(folders.writeFolder) == EFolderLock::HeldByOther) {
        g_otherCopyHoldsFolder = true;
        CFileManager::Get().RefuseWrites(true);
        return;
    }
    g_writeFolderError = ProbeWriteFolder(folders.writeFolder);
}

// Help, version or a bad option: the exit status, or -1 to play.
int AnswerCommandLine(const StartOptions& options) {
    switch (options.action) {
        case StartAction::ShowHelp:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case StartAction::ShowVersion:
            std::printf("%s\n", VersionText().c_str());
            return 0;
        case StartAction::BadOption:
            std::fprintf(stderr,
                         options.badOption.rfind("--server", 0) == 0 ? "pellora: bad value: %s\n%s"
                                                                     : "pellora: unknown option %s\n%s",
                         options.badOption.c_str(), UsageText().c_str());
            return kExitBadOption;
        case StartAction::Play:
            break;
    }
    return -1;
}
}  // namespace

int main(int argc, char** argv) {
    const StartOptions options = ParseCommandLine(argc, argv);
    const int answered = AnswerCommandLine(options);
    if (answered >= 0) {
        return answered;
    }
    const std::string programFolder = ProgramFolder();
    const PelloraFolders folders = ChooseFolders(programFolder, ProcessEnvironment());
    EnterWorkingFolder(programFolder, folders);
    CLog::Get().SetEnabled(false);
    if (!CheckDataArchives(folders)) {
        return kExitArchiveCheckFailed;
    }
    MountData(folders);
    ClaimWriteFolder(folders);
    SetStateFactory(&CreateState);
    g_netServerOverride = options.server;
    CEngine& engine = CEngine::Get();
    engine.SetStartupHook(&GameStartup);
    engine.SetFirstState(kStateIntro);
    engine.SetShutdownHook(&GameShutdown);
    engine.SetOverlay(&UpdateNoticeBar, &RenderNoticeBar);
    engine.SetScreenshotFolder(folders.screenshotFolder);
    g_levelFileName = "1.lvl";
    engine.SetStateLogging(true);

    CApplication& application = CApplication::Get();
    application.Run("Pellora", 640, 480, options.fullscreen, 32, 32, 0);
    return application.HadNoDisplay() ? kExitNoDisplay : 0;
}
