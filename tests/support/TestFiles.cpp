#include "tests/support/TestFiles.h"

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool PathExists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(path)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

CTempFolder::CTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) {
        m_path = pattern;
    }
}

CTempFolder::~CTempFolder() {
    if (!m_path.empty()) {
        std::error_code ignored;
        // A test may have made parts of it read-only.
        ::chmod(m_path.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
             !ignored && it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored)) {
                ::chmod(it->path().c_str(), 0700);
            }
        }
        std::filesystem::remove_all(m_path, ignored);
    }
}

CFileSizeLimit::CFileSizeLimit(rlim_t limit) {
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lowered = m_old;
    lowered.rlim_cur = limit;
    m_applied = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

CFileSizeLimit::~CFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
}

int RunAsPlainUser(const std::function<int()>& body) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (::geteuid() == 0) {
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                ::_exit(255);
            }
        }
        const int result = body();
        ::_exit(result & 0xFF);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    const int code = WEXITSTATUS(status);
    return code == 255 ? -1 : code;
}

bool MakeReadOnlyForAll(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    // The folders above it must let the plain user through.
    for (fs::path up = fs::path(path).parent_path(); !up.empty() && up != up.root_path(); up = up.parent_path()) {
        struct stat info {};
        if (::stat(up.c_str(), &info) == 0 && (info.st_mode & S_IXOTH) == 0) {
            ::chmod(up.c_str(), info.st_mode | S_IXOTH | S_IROTH);
        }
    }
    for (auto it = fs::recursive_directory_iterator(path, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        ::chmod(it->path().c_str(), it->is_directory() ? 0555 : 0444);
    }
    return !error && ::chmod(path.c_str(), 0555) == 0;
}
