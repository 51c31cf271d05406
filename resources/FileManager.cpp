#include "resources/FileManager.h"

#include "core/Log.h"
#include "resources/FileSystemZip.h"

#include <cerrno>
#include <cstring>

CFileManager& CFileManager::Get() {
    static CFileManager manager;
    return manager;
}

CFileManager::~CFileManager() {
    UnmountAll();
}

void CFileManager::MountFileSystem(const std::string& path) {
    CLog::Get().Write("CFileManager::MountFileSystem %s", path.c_str());
    const bool isArchive = path.find(".zip") != std::string::npos || path.find(".nuf") != std::string::npos;
    if (isArchive) {
        std::unique_ptr<CFileSystemBase> archive = std::make_unique<CFileSystemZip>();
        if (!archive->Mount(path)) {
            CLog::Get().Write("CFileManager::MountFileSystem (CFileSystemZip) FAILED, file %s doesn't exist", path.c_str());
            return;
        }
        m_fileSystems.push_back(std::move(archive));
        return;
    }
    std::unique_ptr<CFileSystemBase> folder = std::make_unique<CFileSystem>();
    if (!folder->Mount(path)) {
        CLog::Get().Write("CFileManager::MountFileSystem (CFileSystem) FAILED, dir %s doesn't exist", path.c_str());
        folder->Unmount();
        return;
    }
    m_fileSystems.push_back(std::move(folder));
}

void CFileManager::UnmountAll() {
    for (std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        fileSystem->Unmount();
        fileSystem.reset();
    }
    m_fileSystems.clear();
    m_unreadable.clear();
    m_damaged.clear();
    m_writesRefused = false;
}

void CFileManager::ProtectUnreadable(const std::string& name) {
    CLog::Get().Write("CFileManager: %s could not be read; it is kept as it is and not written", name.c_str());
    m_unreadable.insert(name);
}

void CFileManager::MarkDamaged(const std::string& name) {
    m_damaged.insert(name);
}

void CFileManager::ReportFailure(const std::string& name, int error) {
    if (m_failureHandler != nullptr) {
        m_failureHandler(name, error);
    }
}

bool CFileManager::KeepDamagedCopy(const std::string& name) {
    constexpr uint32_t kLargestCopy = 16u << 20;
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (!fileSystem->IsFolder() || !fileSystem->Exists(name)) {
            continue;
        }
        // The copy goes into the folder that holds the damaged file.
        std::vector<uint8_t> bytes;
        CFileHandle in(fileSystem->OpenFile(name, kFileRead));
        const bool read = in && in->GetSize() <= kLargestCopy && in->ReadAll(bytes);
        in.Close();
        const std::string copyName = name + ".bad";
        CFileHandle out(read ? fileSystem->OpenFile(copyName, kFileWrite) : nullptr);
        const int openError = errno;
        const bool written = out && (bytes.empty() || out->Write(bytes.data(), static_cast<uint32_t>(bytes.size())));
        const int writeError = out ? out->LastError() : openError;
        const bool closed = out.Close() && written;
        if (!closed) {
            CLog::Get().Write("CFileManager::KeepDamagedCopy FAILED, %s not kept (%s)", name.c_str(),
                              std::strerror(writeError != 0 ? writeError : EIO));
            errno = writeError != 0 ? writeError : EIO;
            return false;
        }
        CLog::Get().Write("CFileManager: the damaged %s is kept as %s", name.c_str(), copyName.c_str());
        return true;
    }
    return true;  // nothing of ours to keep (an archive is never changed)
}

bool CFileManager::MayChange(const std::string& name) {
    if (m_writesRefused) {
        CLog::Get().Write("CFileManager FAILED, %s not written: another copy of the game uses the folder", name.c_str());
        ReportFailure(name, kWriteRefusedByOtherCopy);
        return false;
    }
    if (m_unreadable.count(name) != 0) {
        CLog::Get().Write("CFileManager FAILED, %s not written: it could not be read and is kept", name.c_str());
        ReportFailure(name, kWriteRefusedUnreadable);
        return false;
    }
    if (m_damaged.count(name) != 0) {
        if (!KeepDamagedCopy(name)) {
            ReportFailure(name, errno);
            return false;
        }
        m_damaged.erase(name);
    }
    return true;
}

CFile* CFileManager::OpenFile(const std::string& name, int32_t mode) {
    return OpenFile(std::string(), name, mode);
}

CFile* CFileManager::OpenFile(const std::string& filter, const std::string& name, int32_t mode) {
    const bool writing = mode != kFileRead;
    if (writing && !MayChange(name)) {
        return nullptr;
    }
    int folderError = 0;
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (!fileSystem->PathContains(filter)) {
            continue;
        }
        CFile* file = fileSystem->OpenFile(name, mode);
        if (file) {
            return file;
        }
        if (folderError == 0 && fileSystem->IsFolder()) {
            folderError = errno;
        }
    }
    CLog::Get().Write("CFileManager::OpenFile FAILED, file: %s", name.c_str());
    if (writing) {
        const size_t slash = name.rfind('/');
        const auto folder = slash == std::string::npos ? m_folderErrors.end() : m_folderErrors.find(name.substr(0, slash));
        if ((folderError == 0 || folderError == ENOENT) && folder != m_folderErrors.end()) {
            folderError = folder->second;
        }
        ReportFailure(name, folderError != 0 ? folderError : ENOENT);
    }
    return nullptr;
}

CFile* CFileManager::OpenFileAfter(const std::string& filter, const std::string& name, int32_t skip) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (!fileSystem->PathContains(filter) || !fileSystem->Exists(name)) {
            continue;
        }
        if (skip-- > 0) {
            continue;
        }
        return fileSystem->OpenFile(name, kFileRead);
    }
    return nullptr;
}

int32_t CFileManager::CountCopies(const std::string& filter, const std::string& name) {
    int32_t copies = 0;
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->PathContains(filter) && fileSystem->Exists(name)) {
            ++copies;
        }
    }
    return copies;
}

bool CFileManager::Exists(const std::string& name) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(name)) {
            return true;
        }
    }
    return false;
}

bool CFileManager::MakeFolder(const std::string& name) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->IsFolder()) {
            if (m_writesRefused) {
                return false;
            }
            if (fileSystem->MakeFolder(name)) {
                m_folderErrors.erase(name);
                return true;
            }
            const int error = errno;
            m_folderErrors[name] = error;
            CLog::Get().Write("CFileManager::MakeFolder FAILED, folder: %s (%s)", name.c_str(), std::strerror(error));
            return false;
        }
    }
    return false;
}

bool CFileManager::Delete(const std::string& name) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(name)) {
            if (!MayChange(name)) {
                return false;
            }
            if (fileSystem->Delete(name)) {
                return true;
            }
            if (fileSystem->IsFolder() && errno != ENOENT) {
                ReportFailure(name, errno);
            }
            return false;
        }
    }
    return false;
}

bool CFileManager::Rename(const std::string& oldName, const std::string& newName) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(oldName)) {
            if (!MayChange(oldName) || !MayChange(newName)) {
                return false;
            }
            if (fileSystem->Rename(oldName, newName)) {
                return true;
            }
            if (fileSystem->IsFolder()) {
                ReportFailure(oldName, errno);
            }
            return false;
        }
    }
    return false;
}

bool CFileManager::CloseFile(CFile*& file) {
    if (!file) {
        return true;
    }
    const bool writing = file->IsWriting();
    const bool closed = file->Close();
    if (writing && !closed) {
        // The file layer keeps the name only inside the file; the handler wants a name.
        ReportFailure(file->TargetName(), file->LastError());
    }
    delete file;
    file = nullptr;
    return closed;
}

bool CFileManager::LoadWholeFile(const std::string& name, std::vector<uint8_t>& out, uint32_t limit) {
    return LoadWholeFile(std::string(), name, out, limit);
}

bool CFileManager::LoadWholeFile(const std::string& filter, const std::string& name, std::vector<uint8_t>& out,
                                 uint32_t limit) {
    out.clear();
    CFileHandle file(OpenFile(filter, name, kFileRead));
    if (!file) {
        return false;
    }
    if (!file->ReadAll(out, limit)) {
        CLog::Get().Write("CFileManager::LoadWholeFile FAILED, short read: %s", name.c_str());
        return false;
    }
    return true;
}

bool CFileManager::SaveWholeFile(const std::string& name, const void* bytes, size_t size) {
    return SaveWholeFile(std::string(), name, bytes, size);
}

bool CFileManager::SaveWholeFile(const std::string& filter, const std::string& name, const void* bytes, size_t size) {
    return CFileHandle(OpenFile(filter, name, kFileWrite)).WriteAndClose(bytes, size);
}

CFileHandle& CFileHandle::operator=(CFileHandle&& other) noexcept {
    if (this != &other) {
        Close();
        m_file = other.m_file;
        other.m_file = nullptr;
    }
    return *this;
}

bool CFileHandle::WriteAndClose(const void* bytes, size_t size) {
    if (m_file == nullptr) {
        return false;
    }
    if (size > UINT32_MAX) {
        // Too large to write: dropped unclosed, so the target stays as it was.
        delete m_file;
        m_file = nullptr;
        return false;
    }
    // A failed Write makes Close discard the temporary file and keep the target.
    const bool written = size == 0 || m_file->Write(bytes, static_cast<uint32_t>(size));
    const bool closed = Close();
    return written && closed;
}
