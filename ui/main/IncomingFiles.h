// CIncomingFiles: files that come to the main window to be imported: those the program was
// started with, those a later start hands over ("Open with" while it runs), and those dropped
// on the window. They wait until the window is free (its book loaded and any trouble with it
// told, no command or dialog running) and are then imported together, as one change.
// User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Dialog.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/shell/FileHandOver.h"

#include <functional>
#include <vector>

class CIncomingFiles {
public:
    using Import = std::function<void(const std::vector<CString>& files)>;

    CIncomingFiles(CDialog& window, const CContactBook& book, const CExitCoordinator& exit, Import import)
        : m_window(window), m_book(book), m_exit(exit), m_import(std::move(import)) {}
    CIncomingFiles(const CIncomingFiles&) = delete;
    CIncomingFiles& operator=(const CIncomingFiles&) = delete;

    // Lets later starts find the window and files be dropped on it; false when later starts
    // cannot hand files over.
    bool Open();
    // Files to import once the window is free.
    void Add(const std::vector<CString>& files);
    // A later start's hand-over; TRUE when it was one.
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);

private:
    bool IsWindowFree() const;
    void ImportWhenFree();

    CDialog& m_window;
    const CContactBook& m_book;
    const CExitCoordinator& m_exit;
    Import m_import;
    CWindowBeacon m_beacon;
    std::vector<CString> m_files;
};
