#include "resources/FileManager.h"

#include "core/Log.h"
#include "resources/FileSystemZip.h"

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
}

CFile* CFileManager::OpenFile(const std::string& name, int32_t mode) {
    return OpenFile(std::string(), name, mode);
}

CFile* CFileManager::OpenFile(const std::string& filter, const std::string& name, int32_t mode) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (!fileSystem->PathContains(filter)) {
            continue;
        }
        CFile* file = fileSystem->OpenFile(name, mode);
        if (file) {
            return file;
        }
    }
    CLog::Get().Write("CFileManager::OpenFile FAILED, file: %s", name.c_str());
    return nullptr;
}

bool CFileManager::Exists(const std::string& name) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(name)) {
            return true;
        }
    }
    return false;
}

bool CFileManager::Delete(const std::string& name) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(name)) {
            return fileSystem->Delete(name);
        }
    }
    return false;
}

bool CFileManager::Rename(const std::string& oldName, const std::string& newName) {
    for (const std::unique_ptr<CFileSystemBase>& fileSystem : m_fileSystems) {
        if (fileSystem->Exists(oldName)) {
            return fileSystem->Rename(oldName, newName);
        }
    }
    return false;
}

bool CFileManager::CloseFile(CFile*& file) {
    if (!file) {
        return true;
    }
    const bool closed = file->Close();
    delete file;
    file = nullptr;
    return closed;
}

bool CFileManager::LoadWholeFile(const std::string& name, std::vector<uint8_t>& out) {
    out.clear();
    CFile* file = OpenFile(name, kFileRead);
    if (!file) {
        return false;
    }
    const uint32_t size = file->GetSize();
    out.resize(size);
    const bool read = size == 0 || file->Read(out.data(), size);
    CloseFile(file);
    if (!read) {
        out.clear();
        CLog::Get().Write("CFileManager::LoadWholeFile FAILED, short read: %s", name.c_str());
    }
    return read;
}
