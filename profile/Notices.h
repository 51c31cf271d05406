#pragma once
// What the player is told about his or her files, whatever screen is up: a write that did
// not happen (and why), a file that could not be read. A notice is two short lines in the
// current language; the screens show the oldest one for a while (gui/NoticeBar.h), so a
// notice outlives the screen that caused it.
#include "profile/TextTable.h"

#include <cstdint>
#include <string>

struct Notice {
    std::string first;    // what happened
    std::string second;   // why, or what follows
};

// Queues a notice; one equal to the last queued one is dropped (a failing save tends to
// fail at more than one file). At most kMaxNotices wait; older ones make room.
constexpr int32_t kMaxNotices = 4;
void PostNotice(const std::string& first, const std::string& second);
// The oldest waiting notice, null when none.
const Notice* CurrentNotice();
void DropCurrentNotice();
void ClearNotices();

// The notice of a write of fileName (a plain name or a path) that failed with error: a
// system error number or one of the file layer's reasons (resources/FileManager.h).
Notice WriteFailureNotice(const std::string& fileName, int error);
// Tells the player of a failed write: the notice on screen, and the same in English with
// the file's name on stderr and in the log.
void ReportWriteFailure(const std::string& fileName, int error);
// Every failed write of the file layer is reported so from now on.
void InstallWriteFailureNotices();
// At start: the write folder does not take files (error: the system's error number), or
// another copy of the program holds it.
void ReportWriteFolderProblem(int error);
void ReportOtherCopy();
// Tells the player that something could not be read: on screen in the current language,
// on stderr and in the log in English with the file's name.
// A null second getter leaves the second line empty.
using TextGetter = const char* (CTextTable::*)() const;
void ReportUnreadable(TextGetter first, TextGetter second, const std::string& fileName);
