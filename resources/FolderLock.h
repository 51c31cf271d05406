#pragma once
// One copy of Pellora writes into a folder at a time: the first to start holds an advisory
// lock (flock) on "pellora.lock" in the write folder for as long as it runs; a second copy
// finds it held, is told so, and runs without writing anything. The system drops the lock
// when the holder ends, however it ends, so a crash never leaves the folder locked.
#include <string>

constexpr const char* kFolderLockName = "pellora.lock";

enum class EFolderLock {
    Held,         // this copy holds the folder
    HeldByOther,  // another copy holds it
    Unavailable,  // no lock file can be opened there (the folder cannot be written either)
};

class CFolderLock {
public:
    CFolderLock() = default;
    ~CFolderLock() { Release(); }
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    EFolderLock Acquire(const std::string& folder);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Tries a small write into folder (a file of its own, named as a temporary file so that a
// probe cut off is cleared at the next mount, and removed again). The system's error
// number, 0 when the folder takes files.
int ProbeWriteFolder(const std::string& folder);
