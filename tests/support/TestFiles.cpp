#include "TestFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

CTempFolder::CTempFolder() {
    static std::atomic<int> s_nCounter{0};
    auto nTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        fs::path folder = fs::temp_directory_path() /
                          ("tbook-test-" + std::to_string(nTicks) + "-" + std::to_string(s_nCounter++));
        if (fs::create_directory(folder)) {
            m_strFolder = folder.string();
            return;
        }
    }
}

namespace {

// Removes the folder and what it holds, leaving whatever cannot be removed. A file another thread
// still holds open (the lock of a sync left to end on its own) made the library's remove_all
// under Windows try again forever.
void RemoveTree(const fs::path& folder) {
    std::error_code listing;
    for (fs::directory_iterator it(folder, listing), end; !listing && it != end; it.increment(listing)) {
        std::error_code ignored;
        if (it->is_directory(ignored)) {
            RemoveTree(it->path());
        } else {
            fs::remove(it->path(), ignored);
        }
    }
    std::error_code ignored;
    fs::remove(folder, ignored);
}

} // namespace

CTempFolder::~CTempFolder() { RemoveTree(m_strFolder); }

std::string CTempFolder::Path(const std::string& strName) const { return (fs::path(m_strFolder) / strName).string(); }

void WriteBytes(const std::string& strPath, const std::string& bytes) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool FileExists(const std::string& strPath) { return fs::exists(strPath); }

std::vector<std::string> CTempFolder::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_strFolder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void SetReadOnly(const std::string& strPath, bool bReadOnly) {
    namespace fs = std::filesystem;
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(strPath, bReadOnly ? write : fs::perms::owner_write,
                    bReadOnly ? fs::perm_options::remove : fs::perm_options::add);
}
