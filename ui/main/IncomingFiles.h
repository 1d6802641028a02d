// CIncomingFiles: files that come to the main window to be imported: those the program was
// started with, those a later start hands over ("Open with" while it runs), and those dropped
// on the window. They wait until the window is free (its book loaded and any trouble with it
// told, no command or dialog running) and are then imported together, as one change. The names
// that came from another process (a start's command line, a hand-over) may be anyone's choice,
// and opening a path on another computer hands it the user's logon: before any of them is
// opened, the user is asked, with each file and the computer it is on named. A drop is the
// user's own doing and is not asked about. User-interface thread only.
#pragma once

#include "data/ContactBook.h"
#include "framework/win/Dialog.h"
#include "ui/main/ExitCoordinator.h"
#include "ui/main/InterchangeCommands.h"
#include "ui/shell/FileHandOver.h"

#include <vector>

class CIncomingFiles : public CCmdTarget {
    TBOOK_DECLARE_MESSAGE_TABLE()

public:
    CIncomingFiles(CDialog& window, const CContactBook& book, CExitCoordinator& exit, CInterchangeCommands& importer)
        : m_window(window), m_book(book), m_exit(exit), m_importer(importer) {}
    CIncomingFiles(const CIncomingFiles&) = delete;
    CIncomingFiles& operator=(const CIncomingFiles&) = delete;

    // Lets later starts find the window and files be dropped on it; false when later starts
    // cannot hand files over.
    bool Open();
    // Files another process named (the command line, a hand-over), to import once the window is
    // free and the user agreed to their being opened.
    void Add(const std::vector<CString>& files);

private:
    // A later start's hand-over; TRUE when it was one.
    LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
    BOOL OnTimer(WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    struct CIncomingFile {
        CString strPath;
        bool bAsk; // named by another process: asked about before it is opened
    };

    void Add(const std::vector<CString>& files, bool bAsk);
    bool IsWindowFree() const;
    void ImportWhenFree();
    // Whether the user agrees to the files being opened; asked with each one named.
    bool AgreesToOpen(const std::vector<CString>& files) const;

    CDialog& m_window;
    const CContactBook& m_book;
    CExitCoordinator& m_exit;
    CInterchangeCommands& m_importer;
    CWindowBeacon m_beacon;
    std::vector<CIncomingFile> m_files;
};
