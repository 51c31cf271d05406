#include "resources/FolderLock.h"

#include "core/Log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

EFolderLock CFolderLock::Acquire(const std::string& folder) {
    Release();
    const std::string path = folder + "/" + kFolderLockName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        // A folder that cannot be written may still hold the lock file of another copy; when
        // it holds none, the reason is the one the lock file could not be made for.
        const int createError = errno;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            errno = createError;
        }
    }
    if (fd < 0) {
        CLog::Get().Write("CFolderLock::Acquire FAILED, %s (%s)", path.c_str(), std::strerror(errno));
        return EFolderLock::Unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            CLog::Get().Write("CFolderLock::Acquire FAILED, another copy holds %s", path.c_str());
            return EFolderLock::HeldByOther;
        }
        CLog::Get().Write("CFolderLock::Acquire FAILED, %s (%s)", path.c_str(), std::strerror(error));
        return EFolderLock::Unavailable;
    }
    m_fd = fd;
    return EFolderLock::Held;
}

void CFolderLock::Release() {
    if (m_fd >= 0) {
        ::close(m_fd);   // closing the only descriptor drops the lock
        m_fd = -1;
    }
}

int ProbeWriteFolder(const std::string& folder) {
    // A few kilobytes: a full disk often still takes an empty file.
    constexpr size_t kProbeBytes = 8192;
    std::string path = folder + "/pellora-probe.tmp-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) {
        return errno;
    }
    const std::vector<char> bytes(kProbeBytes, 0);
    int error = 0;
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        error = errno != 0 ? errno : ENOSPC;
    } else if (::fsync(fd) != 0) {
        error = errno;
    }
    ::close(fd);
    ::unlink(path.c_str());
    return error;
}
