// Pellora's program entry: checks the data archives, mounts the data folder and archives,
// registers the screens and hooks, and runs the window and its frame loop.
#include "ArchiveCrc.h"
#include "engine/Application.h"
#include "resources/ArchiveCheck.h"
#include "engine/Engine.h"
#include "app/GameHooks.h"
#include "app/Globals.h"
#include "core/Log.h"
#include "app/StateFactory.h"
#include "engine/StateManager.h"
#include "editor/LevelStore.h"
#include "resources/FileManager.h"

#include <unistd.h>

#include <climits>
#include <string>

namespace {
constexpr int kExitArchiveCheckFailed = 255;
constexpr int kExitNoDisplay = 1;

// Every relative path of the program (data, log, screenshots) is taken from the program's
// own folder, wherever it is started from.
void ChangeToProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return;
    }
    path[length] = '\0';
    std::string folder(path);
    const size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return;
    }
    folder.resize(slash == 0 ? 1 : slash);
    if (chdir(folder.c_str()) != 0) {
        CLog::Get().Write("ChangeToProgramFolder FAILED, folder: %s", folder.c_str());
    }
}

bool CheckDataArchives() {
    const ArchiveExpectation archives[] = {
        {"pellora_data/gfx.nuf", kArchiveCrcGfx},
        {"pellora_data/levels.nuf", kArchiveCrcLevels},
        {"pellora_data/sound.nuf", kArchiveCrcSound},
    };
    return CheckArchives(archives, sizeof(archives) / sizeof(archives[0]));
}

void MountData() {
    CFileManager& files = CFileManager::Get();
    files.MountFileSystem("./pellora_data");
    files.MountFileSystem("./pellora_data/gfx.nuf");
    files.MountFileSystem("./pellora_data/sound.nuf");
    MountLevelFolder("./pellora_data");
    files.MountFileSystem("./pellora_data/levels.nuf");
}
}  // namespace

int main() {
    ChangeToProgramFolder();
    CLog::Get().SetEnabled(false);
    if (!CheckDataArchives()) {
        return kExitArchiveCheckFailed;
    }
    MountData();
    SetStateFactory(&CreateState);
    CEngine& engine = CEngine::Get();
    engine.SetStartupHook(&GameStartup);
    engine.SetShutdownHook(&GameShutdown);
    g_levelFileName = "1.lvl";
    engine.SetStateLogging(true);

    CApplication& application = CApplication::Get();
    application.Run("Pellora", 640, 480, true, 32, 32, 0);
    return application.HadNoDisplay() ? kExitNoDisplay : 0;
}
