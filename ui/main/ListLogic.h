// The rules of the contact list view that need no window: which contacts the rows show, which
// row a typed letter selects, what each key does in the main window, and where the list and the
// status bar go in the client area.
#pragma once

#include "data/ContactArray.h"
#include "data/ContactGroups.h"
#include "data/ValueDate.h"
#include "framework/core/Dpi.h"

#include <vector>

// CShownOrder: what the list shows, top to bottom, as the index of each row's contact in the
// book's sorted array: every contact, or the hits of a search. The list itself holds no rows; it
// asks for the texts of the rows it draws, and this order answers.
class CShownOrder {
public:
    // Row r shows contact r.
    void ShowAll(int nCount);
    // Row r shows rowContacts[r].
    void Show(std::vector<int> rowContacts) { m_rowContacts = std::move(rowContacts); }
    void Clear() { m_rowContacts.clear(); }

    int GetCount() const { return static_cast<int>(m_rowContacts.size()); }
    // The contact row nRow shows; -1 for a row that is not there.
    int ContactAt(int nRow) const;
    // The rows that show these contacts, in ascending order; contacts no row shows are left out.
    std::vector<int> RowsShowing(const std::vector<int>& contacts) const;
    const std::vector<int>& RowContacts() const { return m_rowContacts; }

    // The contact of nRow has left the book (the later ones moved down by one): the row goes, and
    // every other row keeps showing its own contact. Returns false for a row that is not there.
    bool RemoveRow(int nRow);

private:
    std::vector<int> m_rowContacts;
};

// The selected rows once nRemovedRow has gone: the rows below it move up by one, the removed row
// is no longer selected. rows is in ascending order, and so is the result.
std::vector<int> RowsAfterRemoval(const std::vector<int>& rows, int nRemovedRow);

// The rows' contacts in the Birthday column's order: by the days from today to each one's next
// birthday, soonest first, and those without a birthday after all the others. Contacts of one day,
// and those without, keep their name order, which is the order of their indexes in the book.
std::vector<int> BirthdayOrder(const CContactArray& contacts, std::vector<int> rowContacts,
                               const CValueDate& today);

// How a Birthday cell asks the system to write a date: one with its year in the user's short date
// format as it is; one without in strPicture, the short date's picture without the year, for a
// leap year's day so that 29 February can be written.
struct CDateCellFormat {
    bool bShortDate = true;
    CString strPicture;
    CValueDate day;
};
CDateCellFormat ChooseDateCellFormat(const CValueDate& date, const CString& strShortDatePicture);
// A short date picture without its year and the separator that joins the year to the rest
// ("M/d/yyyy" gives "M/d", "yyyy-MM-dd" gives "MM-dd"); text in quotes counts as separator. A
// picture that would lose its day or month gives "d MMM".
CString MonthDayPicture(const CString& strShortDatePicture);

// The rows that show contacts of these values (wanted, from before the book was read again), in
// ascending order: a value wanted twice finds two rows that show it. Contacts no row shows, or
// whose values changed, are not found.
std::vector<int> RowsShowingContacts(const CContactArray& contacts, const std::vector<int>& rowContacts,
                                     const std::vector<CContact>& wanted);

// The list's own type-ahead for the keys that are not letter jumps (digits, punctuation): the
// first row from nStart on whose shown last name starts with strText (bPartial) or equals it,
// either case; with bWrap the search goes on from the top up to nStart. -1 when none.
int FindRowByText(const CContactArray& contacts, const std::vector<int>& rowContacts, const CString& strText,
                  bool bPartial, int nStart, bool bWrap);

// The row to select for a typed letter ('A' to 'Z'). rowContacts[r] is the index of the
// contact shown in row r. The first row whose last name starts with the letter (in either
// case) wins; failing that, the last row whose initial has a lower code (an initial of 0x80
// or above counts as above every letter, as the list sorts it, an empty name as 0); failing
// that, row 0. -1 when there are no rows.
int FindJumpRow(const CContactArray& contacts, const std::vector<int>& rowContacts, char chLetter);

// An entry of the group drop-down above the list: what it shows and how it reads.
struct CGroupEntry {
    CGroupChoice choice;
    CString text;
};

// The group drop-down's entries: "All contacts", each group with its count in the order a person
// looks them up, and "Not in a group". A chosen group no contact is in any more stays listed, with
// no one in it, until the user chooses another. Empty when the book has no group and none is
// chosen: the drop-down is not needed then.
std::vector<CGroupEntry> GroupEntries(const CContactArray& contacts, const CGroupChoice& chosen);

struct CMainLayout {
    int groupX, groupY, groupWidth; // the group bar's row, when it is there
    int listX, listY, listWidth, listHeight;
    int statusX, statusY, statusWidth, statusHeight;
};

// The height of the group bar's row above the list, at 96 dpi.
const int kGroupBarHeight = 30;

// Places the list below the button row with margins of 11 pixels, and the 24-pixel status
// bar along the bottom, for a client area of the given size. Without a status bar the list
// reaches down to the bottom. With the group bar, the bar's row comes first and the list below.
// The lengths are those of 96 dpi, scaled to nDpi; and the list starts below nTopRowBottom, the
// lowest edge of the controls above it, whose own sizes need not follow the dpi.
CMainLayout ComputeMainLayout(int nClientWidth, int nClientHeight, bool bStatusBar = true, bool bGroupBar = false,
                              int nDpi = 96, int nTopRowBottom = 0);

// The main window's smallest outer size.
const int kMinWindowWidth = 620;
const int kMinWindowHeight = 240;

// What a key does in the main window. Keys are commands there: Escape never closes the window,
// Enter never presses a default button, and letters jump through the list instead of reaching
// the list's own incremental search.
enum class KeyAction {
    passOn,       // not ours: the dialog manager's keyboard handling (Tab, arrows, mnemonics)
    swallow,      // consumed, nothing happens
    cancelSearch, // the full list back and the search text emptied
    selectAll,
    jumpToLetter, // the key's letter
    viewEdit,
    searchEnter,  // end a shown search, or start one
    addNew,
    deleteRows,
    help,         // WM_HELP to the window, wherever the focus is in it
    undo,
    copy,         // the selected contacts to the clipboard
    paste,        // vCard text from the clipboard imported
    contextMenu,  // the list's menu, for the selected contact
    importFiles,  // Import Contacts...
    exportFiles,  // Export Contacts...
    syncNow,      // Synchronise Now
};

// The key codes the table knows, as the platform numbers them.
const unsigned kKeyReturn = 0x0D;
const unsigned kKeyShift = 0x10;
const unsigned kKeyEscape = 0x1B;
const unsigned kKeySpace = 0x20;
const unsigned kKeyInsert = 0x2D;
const unsigned kKeyDelete = 0x2E;
const unsigned kKeyApps = 0x5D;
const unsigned kKeyF1 = 0x70;
const unsigned kKeyF5 = 0x74;

// The action for a key message: bDown for a key going down, false for one coming up.
KeyAction ChooseKeyAction(bool bDown, unsigned nKey, bool bControl, bool bSearchHasFocus);
