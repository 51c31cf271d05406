#pragma once
// Where Pellora reads its archives and writes its files, decided once at start.
//
// A program with a "pellora_data" folder beside it (the build tree, an unpacked folder)
// reads and writes that folder, as it always has. An installed program (bin/pellora with
// share/pellora beside bin/) reads its archives from <prefix>/share/pellora and writes
// everything of the player's (players, high scores, language, sound settings, saved
// games, edited levels, the log) into the user's own folder, $XDG_DATA_HOME/pellora
// (~/.local/share/pellora by default); screenshots go to the user's pictures folder
// when there is one.
#include <string>

enum class FolderLayout {
    BesideProgram,  // "pellora_data" beside the program is read and written
    Installed,      // archives under the prefix, the player's files in the user folder
};

// The parts of the environment the choice depends on; null or empty means unset.
struct FolderEnvironment {
    const char* home = nullptr;            // $HOME
    const char* xdgDataHome = nullptr;     // $XDG_DATA_HOME
    const char* xdgConfigHome = nullptr;   // $XDG_CONFIG_HOME (where user-dirs.dirs lives)
    const char* xdgPicturesDir = nullptr;  // $XDG_PICTURES_DIR
};

// The folder the running program file lives in; "." when it cannot be told.
std::string ProgramFolder();

// The path of a shipped archive (such as "levels.nuf") for a tool in programFolder: the one
// the game beside it reads, else the build's (tools are built one folder below it);
// empty when neither is there.
std::string FindShippedArchive(const std::string& programFolder, const std::string& name);

// The process's own environment (HOME falls back to the password database).
FolderEnvironment ProcessEnvironment();

struct PelloraFolders {
    FolderLayout layout = FolderLayout::BesideProgram;
    std::string archiveFolder;     // gfx.nuf, sound.nuf, levels.nuf
    std::string writeFolder;       // mounted first: the player's files; the working directory
    std::string screenshotFolder;  // "qvtNN.tga"
};

// Chooses the folders for a program in programFolder (absolute, no trailing slash).
// Only looks at the file system; creates nothing.
PelloraFolders ChooseFolders(const std::string& programFolder, const FolderEnvironment& environment);

// The folder given in user-dirs.dirs text for key (e.g. "XDG_PICTURES_DIR"), with "$HOME"
// expanded; empty when the key is missing, commented out or not an absolute path.
std::string UserDirFromText(const std::string& text, const std::string& key, const std::string& home);

// Creates the write folder (and its parents) when missing and checks that files can be
// made in it. False with a one-line reason in problem (naming the folder) otherwise.
bool PrepareWriteFolder(const PelloraFolders& folders, std::string& problem);
