// Opening pages with the recording browser (built beside the test programs) registered as the
// HTTP class's command in the test's own prefix. Under Wine the classes live in
// HKLM\Software\Classes: HKCU\Software\Classes does not reach HKEY_CLASSES_ROOT.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

extern const char kHttpKey[];
extern const char kTestSchemeKey[];

std::string ProgramFolder();
// Sets the default value of a key under HKEY_LOCAL_MACHINE, making the key.
void SetDefault(const std::string& strPath, const std::string& strValue);
// Makes the class key (under HKEY_LOCAL_MACHINE) a URL scheme opened by this command.
void RegisterScheme(const std::string& strKey, const std::string& strDescription, const std::string& strCommand);

struct CLaunch {
    std::string strProcess;
    std::string strArguments;
    // The arguments without the quotes around the whole, as a program would read one argument.
    std::string Unquoted() const {
        bool bQuoted = strArguments.size() >= 2 && strArguments.front() == '"' && strArguments.back() == '"';
        return bQuoted ? strArguments.substr(1, strArguments.size() - 2) : strArguments;
    }
};

// While alive, pages opened through the HTTP class's commands set up with SetVerbCommand (or
// all of them, after RegisterForHttp) reach the recording browser, which logs each start.
class CRecordingBrowser {
public:
    CRecordingBrowser();
    ~CRecordingBrowser();
    CRecordingBrowser(const CRecordingBrowser&) = delete;
    CRecordingBrowser& operator=(const CRecordingBrowser&) = delete;

    void SetVerbCommand(const char* pszVerb, const std::string& strCommand);
    // Every page opens in the recording browser, the page as its one argument.
    void RegisterForHttp() { SetVerbCommand("open", "\"" + m_strBrowser + "\" %1"); }
    // The launches recorded so far, once there are nCount of them (the browser starts on its own).
    std::vector<CLaunch> WaitForLaunches(size_t nCount);

    std::string m_strLog;
    std::string m_strBrowser;
};

class RecordingBrowserTest : public testing::Test, protected CRecordingBrowser {};
