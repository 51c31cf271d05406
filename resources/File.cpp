#include "resources/File.h"

#include "core/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The folder part of a path ("." when it has none), for the fsync after a rename.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    if (slash == 0) {
        return "/";
    }
    return path.substr(0, slash);
}

// Makes a rename inside folder durable; a failure here only weakens crash safety.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Opens path for reading only when it is a regular file: a FIFO, a device or a folder of
// that name would block the program or give no data. O_NONBLOCK keeps the open of a FIFO
// from waiting for a writer; it is cleared again once the file is known to be regular.
FILE* OpenRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        CLog::Get().Write("CFile::Open FAILED, not a regular file: %s", path.c_str());
        errno = EINVAL;
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return stream;
}

bool CopyStream(FILE* from, FILE* to) {
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        const size_t got = std::fread(chunk.data(), 1, chunk.size(), from);
        if (got > 0 && std::fwrite(chunk.data(), 1, got, to) != got) {
            return false;
        }
        if (got < chunk.size()) {
            return !std::ferror(from);
        }
    }
}

}  // namespace

CFile::CFile() = default;

CFile::~CFile() {
    if (IsWriting()) {
        DiscardWrite();
    } else if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
}

void CFile::DiscardWrite() {
    if (m_stream) {
        std::fclose(m_stream);
        m_stream = nullptr;
    }
    if (!m_tempPath.empty()) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

bool CFile::Open(const std::string& path, int32_t mode) {
    if (m_stream) {
        return false;
    }
    m_sizeKnown = false;
    m_startOffset = 0;
    m_failed = false;
    m_eof = false;
    m_error = 0;
    switch (mode) {
        case kFileRead:
            m_stream = OpenRegularFile(path);
            return m_stream != nullptr;
        case kFileWrite:
        case kFileWriteNew:
            return OpenForWriting(path, false);
        case kFileAppend:
            return OpenForWriting(path, true);
        default:
            return false;
    }
}

bool CFile::OpenForWriting(const std::string& path, bool keepContent) {
    std::string pattern = path + ".tmp-XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    // mkstemp creates the file private to the user; give it the usual data file rights.
    ::fchmod(fd, 0644);
    m_stream = ::fdopen(fd, "w+b");
    if (!m_stream) {
        m_error = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    m_tempPath = pattern;
    m_targetPath = path;
    if (keepContent) {
        FILE* old = OpenRegularFile(path);
        if (!old && errno != ENOENT) {
            m_error = errno;
            DiscardWrite();
            return false;
        }
        if (old) {
            const bool copied = CopyStream(old, m_stream);
            std::fclose(old);
            if (!copied) {
                m_error = errno != 0 ? errno : EIO;
                DiscardWrite();
                return false;
            }
        }
    }
    return true;
}

bool CFile::Close() {
    if (!IsWriting()) {
        if (m_stream) {
            std::fclose(m_stream);
            m_stream = nullptr;
        }
        return true;
    }
    bool complete = !m_failed && m_stream != nullptr;
    if (complete) {
        complete = std::fflush(m_stream) == 0 && ::fsync(::fileno(m_stream)) == 0;
        if (!complete) {
            m_error = errno;
        }
    }
    if (m_stream) {
        const bool closed = std::fclose(m_stream) == 0;
        if (!closed && complete) {
            m_error = errno;
        }
        complete = closed && complete;
        m_stream = nullptr;
    }
    if (complete && std::rename(m_tempPath.c_str(), m_targetPath.c_str()) == 0) {
        m_tempPath.clear();
        SyncFolder(FolderOf(m_targetPath));
        return true;
    }
    if (complete) {
        m_error = errno;
    }
    if (m_error == 0) {
        m_error = EIO;
    }
    CLog::Get().Write("CFile::Close FAILED, file not written: %s (%s)", m_targetPath.c_str(), std::strerror(m_error));
    DiscardWrite();
    return false;
}

bool CFile::IsEof() const {
    return m_eof || (m_stream && std::feof(m_stream));
}

int32_t CFile::Tell() {
    if (!m_stream || m_failed) {
        return -1;
    }
    const long position = std::ftell(m_stream);
    if (position < 0 || position > INT32_MAX) {
        return -1;
    }
    return static_cast<int32_t>(position);
}

bool CFile::Read(void* buffer, uint32_t count) {
    if (!m_stream || m_failed) {
        return false;
    }
    const size_t got = std::fread(buffer, 1, count, m_stream);
    if (got != count) {
        m_eof = true;
        return false;
    }
    return !std::ferror(m_stream);
}

bool CFile::ReadLine(char* buffer, uint32_t capacity) {
    if (capacity == 0) {
        return false;
    }
    buffer[0] = '\0';
    if (!m_stream || m_failed) {
        return false;
    }
    uint32_t stored = 0;
    bool good = true;
    for (;;) {
        const int c = std::fgetc(m_stream);
        if (c == EOF) {
            m_eof = true;
            good = false;
            break;
        }
        if (c == '\n') {
            break;
        }
        if (stored == capacity - 1) {
            // Longer than the buffer: leave the character for the next read.
            std::ungetc(c, m_stream);
            good = false;
            break;
        }
        buffer[stored++] = static_cast<char>(c);
    }
    buffer[stored] = '\0';
    buffer[std::strcspn(buffer, "\r\n")] = '\0';
    return good;
}

void CFile::Rewind() {
    if (m_stream) {
        m_eof = false;
        std::clearerr(m_stream);
        std::fseek(m_stream, static_cast<long>(m_startOffset), SEEK_SET);
    }
}

void CFile::Skip(int32_t count) {
    if (m_stream) {
        m_eof = false;
        std::clearerr(m_stream);
        std::fseek(m_stream, count, SEEK_CUR);
    }
}

void CFile::SetSize(uint32_t size) {
    m_size = size;
    m_sizeKnown = true;
}

void CFile::SetStartOffset(uint32_t offset) {
    m_startOffset = offset;
}

uint32_t CFile::GetSize() {
    if (m_sizeKnown || !m_stream) {
        return m_size;
    }
    const long position = std::ftell(m_stream);
    if (position < 0 || std::fseek(m_stream, 0, SEEK_END) != 0) {
        return 0;
    }
    const long end = std::ftell(m_stream);
    std::fseek(m_stream, position, SEEK_SET);
    if (end < 0 || end > static_cast<long>(UINT32_MAX)) {
        return 0;
    }
    SetSize(static_cast<uint32_t>(end));
    return m_size;
}

bool CFile::Write(const void* buffer, uint32_t count) {
    if (!m_stream || !IsWriting() || m_failed) {
        return false;
    }
    if (std::fwrite(buffer, 1, count, m_stream) != count || std::ferror(m_stream)) {
        m_error = errno != 0 ? errno : EIO;
        m_failed = true;
        return false;
    }
    return true;
}

bool CFile::ReadAll(std::vector<uint8_t>& out, uint32_t limit) {
    Rewind();
    out.resize(std::min(GetSize(), limit));
    if (!out.empty() && !Read(out.data(), static_cast<uint32_t>(out.size()))) {
        out.clear();
        return false;
    }
    return true;
}

bool ReadFileAtPath(const std::string& path, std::vector<uint8_t>& out) {
    CFile file;
    out.clear();
    return file.Open(path, kFileRead) && file.ReadAll(out);
}

bool WriteFileAtPath(const std::string& path, const void* bytes, size_t size) {
    CFile file;
    if (size > UINT32_MAX || !file.Open(path, kFileWrite)) {
        return false;
    }
    const bool written = size == 0 || file.Write(bytes, static_cast<uint32_t>(size));
    return file.Close() && written;
}
