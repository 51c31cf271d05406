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
