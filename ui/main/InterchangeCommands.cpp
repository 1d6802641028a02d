#include "InterchangeCommands.h"

#include "framework/base/FileError.h"
#include "interchange/ContactFiles.h"
#include "res/resource.h"
#include "ui/interchange/ContactClipboard.h"
#include "ui/interchange/FileDialogs.h"
#include "ui/interchange/ProgressDlg.h"
#include "ui/main/CommandLogic.h"
#include "ui/main/CommandScope.h"
#include "ui/shell/Globals.h"

#include <algorithm>

namespace {

// Warnings a summary shows; the rest are counted.
const size_t kShownWarnings = 8;

CString FileNameOf(const CString& strPath) {
    int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    return strPath.Mid(nSlash + 1);
}

// "a.vcf", "a.vcf and b.csv", "a.vcf, b.csv and 3 more files"
CString NamesOf(const std::vector<CString>& names) {
    CString strNames = names.empty() ? CString() : names[0];
    if (names.size() == 2) {
        strNames += " and " + names[1];
    } else if (names.size() > 2) {
        strNames += ", " + names[1] + " and " + CountOf(names.size() - 2, "more file", "more files");
    }
    return strNames;
}

// The first warnings, one per line, and how many more there are.
CString WarningLines(const std::vector<CString>& warnings) {
    CString strLines;
    for (size_t i = 0; i < warnings.size() && i < kShownWarnings; ++i) {
        strLines += warnings[i] + "\n";
    }
    if (warnings.size() > kShownWarnings) {
        strLines += "... and " + CountOf(warnings.size() - kShownWarnings, "more", "more") + "\n";
    }
    return strLines;
}

} // namespace

const CMessageTable* CInterchangeCommands::GetThisMessageTable() {
    static const CMessageEntry entries[] = {
        OnCommand<&CInterchangeCommands::OnImport>(ID_IMPORT),
        OnCommand<&CInterchangeCommands::OnExport>(ID_EXPORT),
        OnCommand<&CInterchangeCommands::OnCopy>(ID_COPY),
        OnCommand<&CInterchangeCommands::OnPaste>(ID_PASTE),
    };
    static const CMessageTable table = {CCmdTarget::GetThisMessageTable(), entries, std::size(entries)};
    return &table;
}

int CInterchangeCommands::Ask(const CString& strText, UINT nType) const {
    return m_window.MessageBox(strText, kSystemCaption, nType);
}

void CInterchangeCommands::OnImport() {
    CCommandScope command(m_exit, m_window);
    std::vector<CString> files = AskFilesToImport(m_window.m_hWnd);
    if (!files.empty()) {
        ImportFiles(files);
    }
}

void CInterchangeCommands::ImportFiles(const std::vector<CString>& files) {
    std::vector<CSource> sources;
    for (const CString& strPath : files) {
        sources.push_back({strPath, FileNameOf(strPath), std::string()});
    }
    Import(std::move(sources));
}

void CInterchangeCommands::OnPaste() {
    std::string strCards = VCardTextOnClipboard(m_window.m_hWnd);
    if (strCards.empty()) {
        ::MessageBeep(MB_OK); // nothing there that is a contact
        return;
    }
    Import({{CString(), "the clipboard", std::move(strCards)}});
}

void CInterchangeCommands::Import(std::vector<CSource> sources) {
    CCommandScope command(m_exit, m_window);
    std::vector<CString> names;
    for (const CSource& source : sources) {
        names.push_back(source.strName);
    }
    CString strFrom = NamesOf(names);
    CContactArray imported;
    CImportSources from; // each contact's file, for the warnings that name it
    CImportReport report;
    std::vector<CString> failures;
    bool bRead = CProgressDlg::Run(
        "Reading contacts from " + strFrom + "...",
        [&](CWorkProgress& progress) {
            for (CSource& source : sources) {
                CString strError;
                if (progress.IsCancelled()) {
                    return;
                }
                from.Add(imported.GetSize(), source.strName);
                if (!source.strPath.IsEmpty() && !ReadImportFile(source.strPath, source.strData, strError)) {
                    failures.push_back(strError);
                } else if (!ReadContacts(source.strData, source.strName, ContactFileFormat::unknown, imported,
                                         report, strError, &progress)) {
                    failures.push_back(strError); // it names the file
                }
                source.strData = std::string(); // the text is in the contacts now
            }
        },
        m_nProgressDelayMs);
    if (!bRead || m_exit.IsEndPending()) {
        // Asked to end meanwhile: nobody may be there to answer the question.
        SetStatus("Import cancelled. The address book was not changed.");
        return;
    }
    if (imported.GetSize() == 0) {
        Ask("Nothing was imported from " + strFrom + ":\n\n" + WarningLines(failures) +
                WarningLines(report.warnings),
            MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString strQuestion = "Import " +
                          CountOf(static_cast<size_t>(imported.GetSize()), "contact", "contacts") + " from " +
                          strFrom + " into your address book?";
    if (Ask(strQuestion, MB_YESNO | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    CBookChange change = AddImportedContacts(m_book, std::move(imported), false, from, report);
    if (change.bChanged) {
        m_search.ShowAll(change.placed);
        m_commands.Commit(change);
    }
    CString strSummary = (change.bChanged ? "Imported from " : "Nothing new to import from ") + strFrom +
                         ": " + report.Summary() + ".";
    std::vector<CString> problems = failures;
    problems.insert(problems.end(), report.warnings.begin(), report.warnings.end());
    if (!problems.empty()) {
        strSummary += "\n\n" + WarningLines(problems);
    }
    if (change.bChanged) {
        strSummary += "\nUndo (Ctrl+Z) takes the import back.";
        SetStatus("Imported from " + strFrom + ". Undo (Ctrl+Z) takes the import back.");
    }
    Ask(strSummary, MB_OK | (problems.empty() ? MB_ICONINFORMATION : MB_ICONEXCLAMATION));
    if (change.bChanged) {
        // The new contacts are selected; the list takes the focus so that the selection shows and
        // the keys act on them, wherever the focus was when the import began (the tray menu
        // leaves it on whatever the window last had).
        m_window.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
    }
}

std::vector<int> CInterchangeCommands::SelectedRows() const {
    std::vector<int> rows;
    for (int nRow = m_list.GetNextItem(-1, LVNI_SELECTED); nRow != -1;
         nRow = m_list.GetNextItem(nRow, LVNI_SELECTED)) {
        rows.push_back(nRow);
    }
    return rows;
}

CContactArray CInterchangeCommands::ContactsOfRows(const std::vector<int>& rows) const {
    CContactArray contacts;
    contacts.Reserve(static_cast<int>(rows.size()));
    for (int nRow : rows) {
        contacts.Add(m_book.Contacts()[m_list.RowContact(nRow)]);
    }
    return contacts;
}

void CInterchangeCommands::OnExport() {
    CCommandScope command(m_exit, m_window);
    std::vector<int> rows = SelectedRows();
    if (rows.size() <= 1) {
        rows.clear();
        for (int nRow = 0; nRow < m_list.GetItemCount(); ++nRow) {
            rows.push_back(nRow);
        }
    }
    if (rows.empty()) {
        Ask("There are no contacts to export.", MB_OK | MB_ICONINFORMATION);
        return;
    }
    CExportTarget target;
    if (!AskExportTarget(m_window.m_hWnd, "Contacts", target)) {
        return;
    }
    CContactArray contacts = ContactsOfRows(rows);
    CFileException error;
    bool bWritten = false;
    CString strName = FileNameOf(target.strPath);
    CString strCount = CountOf(static_cast<size_t>(contacts.GetSize()), "contact", "contacts");
    CString strText = "Exporting " + strCount + " to " + strName + "...";
    CProgressDlg::Run(
        strText,
        [&](CWorkProgress& progress) {
            std::string strData = BuildExport(contacts, target.kind, &m_book.Photos());
            if (!progress.IsCancelled()) {
                bWritten = WriteFileAtomically(target.strPath, strData, error);
            }
        },
        m_nProgressDelayMs);
    if (bWritten) {
        SetStatus("Exported " + strCount + " to " + strName + ".");
    } else if (error.m_cause != CFileException::none) {
        ReportFileError(error);
    } else {
        SetStatus("Export cancelled. No file was written.");
    }
}

void CInterchangeCommands::OnCopy() {
    std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        ::MessageBeep(MB_OK);
        return;
    }
    SetStatus(CopyContactsToClipboard(m_window.m_hWnd, ContactsOfRows(rows))
                             ? "Copied " + CountOf(rows.size(), "contact", "contacts") + "."
                             : CString("The clipboard is in use by another program. Try again in a moment."));
}
