#include "resources/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {
const char* const kDataFolderName = "pellora_data";
const char* const kInstalledDataFolder = "/../share/pellora";
const char* const kUserFolderName = "/pellora";

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Only absolute paths count: the base-directory rules tell programs to ignore relative ones.
bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// "/usr/bin/../share/pellora" -> "/usr/share/pellora" when the folder exists.
std::string Canonical(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::string UserFolder(const FolderEnvironment& environment) {
    if (IsAbsolute(environment.xdgDataHome)) {
        return std::string(environment.xdgDataHome) + kUserFolderName;
    }
    const std::string home = IsAbsolute(environment.home) ? environment.home : "";
    return home + "/.local/share" + kUserFolderName;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The pictures folder from $XDG_PICTURES_DIR, else from user-dirs.dirs; empty when neither
// names a folder that exists.
std::string PicturesFolder(const FolderEnvironment& environment) {
    if (IsAbsolute(environment.xdgPicturesDir) && IsFolder(environment.xdgPicturesDir)) {
        return environment.xdgPicturesDir;
    }
    const std::string home = IsAbsolute(environment.home) ? environment.home : "";
    const std::string config = IsAbsolute(environment.xdgConfigHome) ? environment.xdgConfigHome : home + "/.config";
    const std::string pictures = UserDirFromText(ReadText(config + "/user-dirs.dirs"), "XDG_PICTURES_DIR", home);
    // A pictures folder that is just the home folder means "none" to the user-dirs tools.
    if (pictures.empty() || pictures == home || !IsFolder(pictures)) {
        return std::string();
    }
    return pictures;
}

// mkdir -p; new folders are private to the user, as the base-directory rules ask.
bool MakeFolders(const std::string& path, std::string& failedAt, int& error) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && !IsFolder(part) && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            failedAt = part;
            error = errno;
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}
}  // namespace

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return ".";
    }
    path[length] = '\0';
    std::string folder(path);
    const size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    folder.resize(slash == 0 ? 1 : slash);
    return folder;
}

std::string FindShippedArchive(const std::string& programFolder, const std::string& name) {
    const std::string candidates[] = {
        ChooseFolders(programFolder, ProcessEnvironment()).archiveFolder + "/" + name,
        programFolder + "/../" + kDataFolderName + "/" + name,
    };
    for (const std::string& candidate : candidates) {
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            return Canonical(candidate);
        }
    }
    return std::string();
}

FolderEnvironment ProcessEnvironment() {
    FolderEnvironment environment;
    environment.home = std::getenv("HOME");
    if (!IsAbsolute(environment.home)) {
        const passwd* user = ::getpwuid(::getuid());
        environment.home = user != nullptr ? user->pw_dir : nullptr;
    }
    environment.xdgDataHome = std::getenv("XDG_DATA_HOME");
    environment.xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    environment.xdgPicturesDir = std::getenv("XDG_PICTURES_DIR");
    return environment;
}

PelloraFolders ChooseFolders(const std::string& programFolder, const FolderEnvironment& environment) {
    PelloraFolders folders;
    const std::string besideProgram = programFolder + "/" + kDataFolderName;
    const std::string installed = programFolder + kInstalledDataFolder;
    // Without either folder the program behaves as it always has (and finds no archives).
    if (IsFolder(besideProgram) || !IsFolder(installed)) {
        folders.layout = FolderLayout::BesideProgram;
        folders.archiveFolder = besideProgram;
        folders.writeFolder = besideProgram;
        folders.screenshotFolder = programFolder;
        return folders;
    }
    folders.layout = FolderLayout::Installed;
    folders.archiveFolder = Canonical(installed);
    folders.writeFolder = UserFolder(environment);
    const std::string pictures = PicturesFolder(environment);
    folders.screenshotFolder = pictures.empty() ? folders.writeFolder : pictures;
    return folders;
}

std::string UserDirFromText(const std::string& text, const std::string& key, const std::string& home) {
    std::istringstream lines(text);
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#' || line.compare(start, key.size(), key) != 0) {
            continue;
        }
        size_t at = line.find_first_not_of(" \t", start + key.size());
        if (at == std::string::npos || line[at] != '=') {
            continue;
        }
        at = line.find_first_not_of(" \t", at + 1);
        if (at == std::string::npos || line[at] != '"') {
            continue;
        }
        const size_t end = line.find('"', at + 1);
        if (end == std::string::npos) {
            continue;
        }
        std::string value = line.substr(at + 1, end - at - 1);
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
            value = home + value.substr(5);
        }
        // The last line of a key wins, as when the file is read by a shell.
        found = !value.empty() && value[0] == '/' ? value : std::string();
    }
    return found;
}

bool PrepareWriteFolder(const PelloraFolders& folders, std::string& problem) {
    problem.clear();
    const std::string& folder = folders.writeFolder;
    std::string failedAt;
    int error = 0;
    if (!MakeFolders(folder, failedAt, error)) {
        problem = "cannot create the folder " + failedAt + " (" + std::strerror(error) + ")";
        return false;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        problem = "cannot write into the folder " + folder + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}
