#include "resources/Image.h"

#include "core/Log.h"
#include "resources/FileManager.h"

CImageLoader& CImageLoader::Get() {
    static CImageLoader loader;
    return loader;
}

CImageLoader::CImageLoader() {
    m_formats.push_back(&m_jpg);
    m_formats.push_back(&m_tga);
}

bool CImageFormat::ReadWholeFile(const char* formatClass, const std::string& fileName, std::vector<uint8_t>& bytes) {
    CFileManager& files = CFileManager::Get();
    CFile* file = files.OpenFile(fileName, kFileRead);
    if (!file) {
        CLog::Get().Write("%s::Load FAILED couldn't open file: %s", formatClass, fileName.c_str());
        return false;
    }
    bytes.resize(file->GetSize());
    const bool read = bytes.empty() || file->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    files.CloseFile(file);
    if (!read) {
        CLog::Get().Write("%s::Load FAILED couldn't read file: %s", formatClass, fileName.c_str());
        return false;
    }
    return true;
}

bool CImageLoader::LoadImage(const std::string& name, CImage& image) {
    CFileManager& files = CFileManager::Get();
    for (CImageFormat* format : m_formats) {
        const std::string fileName = name + format->GetExtension();
        if (files.Exists(fileName)) {
            return format->Load(fileName, image);
        }
    }
    CLog::Get().Write("CImageLoader::LoadImage FAILED File not found: %s", name.c_str());
    return false;
}
