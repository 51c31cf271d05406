#include "profile/Notices.h"

#include "core/Log.h"
#include "profile/Language.h"
#include "resources/FileManager.h"
#include "resources/FolderLock.h"

#include <cerrno>
#include <cstdio>
#include <deque>

namespace {

std::deque<Notice>& Queue() {
    static std::deque<Notice> queue;
    return queue;
}

// Which of the player's things a file holds, from its name without the folder.
enum class EFileKind { Game, Highscore, Players, Sound, Language, Level, Other };

EFileKind KindOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of('/');
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const auto startsWith = [&](const char* text) { return name.rfind(text, 0) == 0; };
    if (startsWith("ply") && (name.find(".sav") != std::string::npos || name.find(".lvl") != std::string::npos)) {
        return EFileKind::Game;
    }
    if (startsWith("hs") && name.find(".dat") != std::string::npos) {
        return EFileKind::Highscore;
    }
    if (startsWith("players.cfg")) {
        return EFileKind::Players;
    }
    if (startsWith("sound.cfg")) {
        return EFileKind::Sound;
    }
    if (startsWith("language.dat")) {
        return EFileKind::Language;
    }
    if (name.find(".lvl") != std::string::npos) {
        return EFileKind::Level;
    }
    return EFileKind::Other;
}

const char* WhatFailed(const CTextTable& texts, EFileKind kind) {
    switch (kind) {
        case EFileKind::Game: return texts.TxtSaveFailedGame();
        case EFileKind::Highscore: return texts.TxtSaveFailedHighscore();
        case EFileKind::Players: return texts.TxtSaveFailedPlayers();
        case EFileKind::Sound: return texts.TxtSaveFailedSound();
        case EFileKind::Language: return texts.TxtSaveFailedLanguage();
        case EFileKind::Level: return texts.TxtSaveFailedLevel();
        case EFileKind::Other: break;
    }
    return texts.TxtSaveFailedFile();
}

const char* Reason(const CTextTable& texts, int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return texts.TxtReasonNoSpace();
        case EACCES:
        case EPERM:
            return texts.TxtReasonNoPermission();
        case EROFS:
            return texts.TxtReasonReadOnly();
        case kWriteRefusedUnreadable:
            return texts.TxtReasonUnreadable();
        case kWriteRefusedByOtherCopy:
            return texts.TxtReasonOtherCopy();
        default:
            return texts.TxtReasonOther();
    }
}

void WriteOut(const Notice& notice, const std::string& fileName) {
    const char* gap = notice.second.empty() ? "" : " ";
    std::fprintf(stderr, "pellora: %s%s%s (%s)\n", notice.first.c_str(), gap, notice.second.c_str(), fileName.c_str());
    CLog::Get().Write("%s%s%s (%s)", notice.first.c_str(), gap, notice.second.c_str(), fileName.c_str());
}

}  // namespace

void PostNotice(const std::string& first, const std::string& second) {
    std::deque<Notice>& queue = Queue();
    if (!queue.empty() && queue.back().first == first && queue.back().second == second) {
        return;
    }
    while (queue.size() >= static_cast<size_t>(kMaxNotices)) {
        queue.pop_front();
    }
    queue.push_back(Notice{first, second});
}

const Notice* CurrentNotice() {
    return Queue().empty() ? nullptr : &Queue().front();
}

void DropCurrentNotice() {
    if (!Queue().empty()) {
        Queue().pop_front();
    }
}

void ClearNotices() {
    Queue().clear();
}

Notice WriteFailureNotice(const std::string& fileName, int error) {
    const CTextTable& texts = CLanguage::Get();
    return Notice{WhatFailed(texts, KindOf(fileName)), Reason(texts, error)};
}

void ReportWriteFailure(const std::string& fileName, int error) {
    const Notice notice = WriteFailureNotice(fileName, error);
    // stderr and the log read English whatever the player chose.
    const CEnglishTexts english;
    WriteOut(Notice{WhatFailed(english, KindOf(fileName)), Reason(english, error)}, fileName);
    PostNotice(notice.first, notice.second);
}

void InstallWriteFailureNotices() {
    CFileManager::Get().SetWriteFailureHandler(&ReportWriteFailure);
}

void ReportWriteFolderProblem(int error) {
    const CEnglishTexts english;
    WriteOut(Notice{english.TxtFolderNotWritable(), Reason(english, error)}, "the write folder");
    const CTextTable& texts = CLanguage::Get();
    PostNotice(texts.TxtFolderNotWritable(), Reason(texts, error));
}

void ReportOtherCopy() {
    ReportUnreadable(&CTextTable::TxtOtherCopyRunning, &CTextTable::TxtNothingIsKept, kFolderLockName);
}

void ReportUnreadable(TextGetter first, TextGetter second, const std::string& fileName) {
    const CEnglishTexts english;
    WriteOut(Notice{(english.*first)(), second != nullptr ? (english.*second)() : ""}, fileName);
    const CTextTable& texts = CLanguage::Get();
    PostNotice((texts.*first)(), second != nullptr ? (texts.*second)() : "");
}
