// Files and folders for tests: a fresh folder per test, removed afterwards, and whole-file
// reads and writes.
#pragma once

#include <string>
#include <vector>

class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The path of a file in the folder, in the system's form.
    std::string Path(const std::string& strName) const;
    const std::string& Folder() const { return m_strFolder; }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

private:
    std::string m_strFolder;
};

void WriteBytes(const std::string& strPath, const std::string& bytes);
std::string ReadBytes(const std::string& strPath);
bool FileExists(const std::string& strPath);
// Marks a file read-only (no write permission; Windows' read-only attribute) or writable again.
void SetReadOnly(const std::string& strPath, bool bReadOnly);

// Runs fn on a new thread whose stack holds nBytes and waits for it; false when no thread started.
bool RunWithStack(size_t nBytes, void (*fn)(void*), void* pContext);
