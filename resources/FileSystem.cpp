#include "resources/FileSystem.h"

#include "core/Log.h"
#include "resources/File.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

bool CFileSystemBase::PathContains(const std::string& text) const {
    return m_rootPath.find(text) != std::string::npos;
}

bool CFileSystem::IsSafeName(const std::string& name) {
    if (name.empty() || name.find('\0') != std::string::npos) {
        return false;
    }
    if (name[0] == '/' || name[0] == '\\') {
        return false;
    }
    size_t partStart = 0;
    while (partStart <= name.size()) {
        size_t partEnd = name.find_first_of("/\\", partStart);
        if (partEnd == std::string::npos) {
            partEnd = name.size();
        }
        if (name.compare(partStart, partEnd - partStart, "..") == 0) {
            return false;
        }
        partStart = partEnd + 1;
    }
    return true;
}

bool CFileSystem::CheckName(const char* operation, const std::string& name) const {
    if (IsSafeName(name)) {
        return true;
    }
    CLog::Get().Write("CFileSystem::%s FAILED, name outside the folder: %s", operation, name.c_str());
    return false;
}

bool CFileSystem::Delete(const std::string& name) {
    if (!CheckName("Delete", name)) {
        return false;
    }
    return ::unlink((m_rootPath + name).c_str()) == 0;
}

bool CFileSystem::MakeFolder(const std::string& name) {
    if (!CheckName("MakeFolder", name)) {
        return false;
    }
    const std::string path = m_rootPath + name;
    if (::mkdir(path.c_str(), 0755) == 0) {
        return true;
    }
    struct stat info {};
    return errno == EEXIST && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CFileSystem::Exists(const std::string& name) {
    if (!CheckName("Exists", name)) {
        return false;
    }
    struct stat info {};
    return ::stat((m_rootPath + name).c_str(), &info) == 0;
}

bool CFileSystem::MakeUniqueName(const std::string& prefix, const std::string& suffix, std::string& out) {
    for (int32_t number = 1; number <= 99999; ++number) {
        const std::string candidate = prefix + std::to_string(number) + suffix;
        if (!Exists(candidate)) {
            out = candidate;
            return true;
        }
    }
    return false;
}

CFile* CFileSystem::OpenFile(const std::string& name, int32_t mode) {
    if (!CheckName("OpenFile", name)) {
        return nullptr;
    }
    CFile* file = new CFile();
    if (file->Open(m_rootPath + name, mode)) {
        return file;
    }
    // The caller may want to tell the player why.
    const int error = file->LastError() != 0 ? file->LastError() : errno;
    delete file;
    errno = error;
    return nullptr;
}

bool CFileSystem::Mount(const std::string& path) {
    if (!path.empty()) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            CLog::Get().Write("CFileSystem::Mount FAILED, path %s doesn't exist", path.c_str());
            return false;
        }
    }
    m_rootPath = path.empty() ? "." : path;
    if (m_rootPath.back() != '/') {
        m_rootPath += '/';
    }
    CLog::Get().Write("CFileSystem Added, path: %s", m_rootPath.c_str());
    RemoveStaleTemporaryFiles(static_cast<int64_t>(std::time(nullptr)));
    return true;
}

bool CFileSystem::IsTemporaryName(const std::string& name) {
    const std::string mark = ".tmp-";
    const size_t suffix = mark.size() + 6;
    if (name.size() <= suffix || name.compare(name.size() - suffix, mark.size(), mark) != 0) {
        return false;
    }
    for (size_t i = name.size() - 6; i < name.size(); ++i) {
        const char c = name[i];
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

int32_t CFileSystem::RemoveStaleTemporaryFiles(int64_t now) {
    return RemoveStaleTemporaryFilesIn(m_rootPath, now, kTemporarySweepDepth);
}

int32_t CFileSystem::RemoveStaleTemporaryFilesIn(const std::string& folderPath, int64_t now, int32_t depthLeft) {
    DIR* folder = ::opendir(folderPath.c_str());
    if (folder == nullptr) {
        return 0;
    }
    const uid_t self = ::getuid();
    int32_t removed = 0;
    std::vector<std::string> below;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        const std::string path = folderPath + name;
        struct stat info {};
        // Only our own plain files and folders (a link is not followed), and only files no
        // write can still be busy with.
        if (::lstat(path.c_str(), &info) != 0 || info.st_uid != self) {
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            below.push_back(path + "/");
            continue;
        }
        if (!IsTemporaryName(name) || !S_ISREG(info.st_mode) ||
            now - static_cast<int64_t>(info.st_mtime) < kStaleTemporaryAge) {
            continue;
        }
        if (::unlink(path.c_str()) == 0) {
            ++removed;
            CLog::Get().Write("CFileSystem removed the unfinished write %s", path.c_str());
        }
    }
    ::closedir(folder);
    if (depthLeft > 0) {
        for (const std::string& path : below) {
            removed += RemoveStaleTemporaryFilesIn(path, now, depthLeft - 1);
        }
    }
    return removed;
}

bool CFileSystem::Rename(const std::string& oldName, const std::string& newName) {
    if (!CheckName("Rename", oldName) || !CheckName("Rename", newName)) {
        return false;
    }
    const std::string newPath = m_rootPath + newName;
    struct stat info {};
    if (::stat(newPath.c_str(), &info) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename((m_rootPath + oldName).c_str(), newPath.c_str()) == 0;
}
