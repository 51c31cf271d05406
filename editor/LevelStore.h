#pragma once
// The level files as the editor sees them: "1.lvl", "2.lvl", ... numbered from 1 without
// gaps, looked up through the file manager. Edited levels are written into the writable
// level folder inside the data folder, which is mounted before the level archive, so the
// game and the editor read an edited level before the shipped one; the archive itself is
// never written.
#include "game/LevelFile.h"
#include "game/Board.h"

#include <cstdint>
#include <string>

// The level buttons of the editor's panel come in pages of this many.
constexpr int32_t kLevelsPerPage = 8;
// The editor lists and makes no levels past this number.
constexpr int32_t kMaxEditorLevels = 999;
// The spare name a level takes while two levels exchange their numbers.
constexpr const char* kSwapLevelName = "_tmp.lvl";

// Makes "<dataFolder>/levels" if it is missing and mounts it; the editor writes its levels
// there. Mount it after the data folder and before the level archive. False (logged) when
// the folder cannot be made or mounted; the editor then cannot save.
bool MountLevelFolder(const std::string& dataFolder);
// Forgets the level folder (tests mount their own).
void ForgetLevelFolder();
// Whether the level folder itself (not the archive behind it) holds the file.
bool LevelFolderHolds(const std::string& name);
// Copies a level that only the archive holds into the level folder; true when the folder
// holds it afterwards.
bool CopyLevelIntoFolder(const std::string& name);

// The number before the first "." of a level file name; 0 when it is not a number.
int32_t LevelNumberOf(const std::string& name);
bool LevelExists(int32_t number);
// The levels 1, 2, ... that exist without a gap, at most kMaxEditorLevels.
int32_t CountLevels();
// Whether a level can be added after levelCount levels: never beside exactly one full page
// (the panel then shows eight levels and no "New"), nor past kMaxEditorLevels.
bool CanAddLevel(int32_t levelCount);

enum class ELevelLoad {
    Loaded,    // the file as it is
    Cleaned,   // loaded; balls with codes out of range or outside the field were emptied,
               // or bytes past the level ignored; the original is kept as ".bad" on saving
    Missing,   // no such file: the field keeps what it holds
    Refused,   // shorter than a level or unreadable: the field is empty
};
// Reads a level for editing as the game reads it (CBoard::LoadJudgedBytes), refusing or
// cleaning a damaged file with a log line.
ELevelLoad LoadEditorLevel(CBoard& board, const std::string& name);
// Writes the field into the level folder (1040 bytes); false (logged) when it could not.
bool SaveEditorLevel(const CBoard& board, const std::string& name);
// The two levels exchange their numbers (and so their places in the pack): each is copied
// into the level folder first if only the archive holds it, then the three renames through
// "_tmp.lvl". A failed step is undone; false (logged) when nothing was exchanged.
bool ExchangeLevels(const std::string& first, const std::string& second);
// A "_tmp.lvl" left by an exchange that was cut off becomes the level after the last one,
// so nothing of it is lost. True when one was found and kept that way.
bool RecoverSwapLeftover();
