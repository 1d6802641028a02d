#include "ListLogic.h"

#include "data/PendingChanges.h"
#include "data/UpcomingDates.h"
#include "ui/main/CommandLogic.h"

#include <algorithm>
#include <climits>
#include <string>
#include <unordered_map>
#include <unordered_set>

void CShownOrder::ShowAll(int nCount) {
    m_rowContacts.resize(static_cast<size_t>(nCount > 0 ? nCount : 0));
    for (size_t r = 0; r < m_rowContacts.size(); ++r) {
        m_rowContacts[r] = static_cast<int>(r);
    }
}

int CShownOrder::ContactAt(int nRow) const {
    return nRow >= 0 && nRow < GetCount() ? m_rowContacts[static_cast<size_t>(nRow)] : -1;
}

std::vector<int> CShownOrder::RowsShowing(const std::vector<int>& contacts) const {
    const std::unordered_set<int> wanted(contacts.begin(), contacts.end());
    std::vector<int> rows;
    for (size_t r = 0; r < m_rowContacts.size(); ++r) {
        if (wanted.count(m_rowContacts[r])) {
            rows.push_back(static_cast<int>(r));
        }
    }
    return rows;
}

bool CShownOrder::RemoveRow(int nRow) {
    int nContact = ContactAt(nRow);
    if (nContact < 0) {
        return false;
    }
    m_rowContacts.erase(m_rowContacts.begin() + nRow);
    ReindexRowContacts(m_rowContacts, nContact);
    return true;
}

std::vector<int> RowsAfterRemoval(const std::vector<int>& rows, int nRemovedRow) {
    std::vector<int> after;
    after.reserve(rows.size());
    for (int nRow : rows) {
        if (nRow != nRemovedRow) {
            after.push_back(nRow > nRemovedRow ? nRow - 1 : nRow);
        }
    }
    return after;
}

int FindRowByText(const CContactArray& contacts, const std::vector<int>& rowContacts, const CString& strText,
                  bool bPartial, int nStart, bool bWrap) {
    int nCount = static_cast<int>(rowContacts.size());
    if (nCount == 0 || strText.IsEmpty()) {
        return -1;
    }
    CString strWanted = strText;
    strWanted.MakeLower();
    if (nStart < 0 || nStart >= nCount) {
        nStart = 0;
    }
    int nEnd = bWrap ? nStart + nCount : nCount;
    for (int i = nStart; i < nEnd; ++i) {
        int nRow = i % nCount;
        CString strShown = contacts.ElementAt(rowContacts[static_cast<size_t>(nRow)]).DisplayText(CContact::fieldLastName);
        // Lowered before it is cut, so that the cut falls after whole characters of the match.
        strShown.MakeLower();
        if ((bPartial ? strShown.Left(strWanted.GetLength()) : strShown) == strWanted) {
            return nRow;
        }
    }
    return -1;
}

int FindJumpRow(const CContactArray& contacts, const std::vector<int>& rowContacts, char chLetter) {
    if (rowContacts.empty()) {
        return -1;
    }
    int nTarget = 0;
    for (size_t r = 0; r < rowContacts.size(); ++r) {
        CString strInitial = contacts.ElementAt(rowContacts[r]).lastname.Left(1);
        strInitial.MakeUpper();
        if (strInitial == CString(chLetter, 1)) {
            return static_cast<int>(r);
        }
        // The initial's first byte is compared as the sort compares names, so that on any rows
        // shown the jump lands just before where the letter would be: names in other scripts
        // or with an accented initial (UTF-8 lead bytes, 0x80 and above) sort after Z and so
        // count above every letter.
        unsigned char chInitial = strInitial.IsEmpty() ? 0 : static_cast<unsigned char>(strInitial[0]);
        if (chInitial < static_cast<unsigned char>(chLetter)) {
            nTarget = static_cast<int>(r);
        }
    }
    return nTarget;
}

namespace {

enum class When { down, up };
enum class Need { any, yes, no };

struct CKeyRule {
    When when;
    unsigned nFirstKey, nLastKey;
    Need control;
    Need searchFocus;
    KeyAction action;
};

// The first rule that applies decides; read top to bottom it is the window's key table.
const CKeyRule kKeyTable[] = {
    {When::down, kKeyEscape, kKeyEscape, Need::any, Need::any, KeyAction::cancelSearch},
    {When::down, kKeyShift, kKeyShift, Need::any, Need::any, KeyAction::swallow},
    {When::up, kKeyShift, kKeyShift, Need::any, Need::any, KeyAction::swallow},
    {When::down, 'A', 'A', Need::yes, Need::any, KeyAction::selectAll},
    // The list menu's common commands, wherever the focus is: the search box has no use for them.
    {When::down, 'O', 'O', Need::yes, Need::any, KeyAction::importFiles},
    {When::down, 'E', 'E', Need::yes, Need::any, KeyAction::exportFiles},
    {When::down, kKeyF5, kKeyF5, Need::any, Need::any, KeyAction::syncNow},
    // In the search box these keys are the box's own.
    {When::down, 'C', 'C', Need::yes, Need::no, KeyAction::copy},
    {When::down, 'V', 'V', Need::yes, Need::no, KeyAction::paste},
    {When::down, 'Z', 'Z', Need::yes, Need::no, KeyAction::undo},
    {When::down, kKeyApps, kKeyApps, Need::any, Need::no, KeyAction::contextMenu},
    {When::up, kKeyApps, kKeyApps, Need::any, Need::no, KeyAction::swallow},
    {When::down, 'A', 'Z', Need::no, Need::no, KeyAction::jumpToLetter},
    {When::down, kKeyReturn, kKeyReturn, Need::any, Need::no, KeyAction::viewEdit},
    {When::down, kKeyReturn, kKeyReturn, Need::any, Need::yes, KeyAction::searchEnter},
    {When::down, kKeySpace, kKeySpace, Need::any, Need::any, KeyAction::viewEdit},
    {When::down, kKeyInsert, kKeyInsert, Need::any, Need::any, KeyAction::addNew},
    {When::down, kKeyDelete, kKeyDelete, Need::any, Need::no, KeyAction::deleteRows},
    // Not every system turns F1 into WM_HELP for a window that takes its own keys first.
    {When::down, kKeyF1, kKeyF1, Need::any, Need::any, KeyAction::help},
};

bool Meets(Need need, bool bValue) { return need == Need::any || (need == Need::yes) == bValue; }

} // namespace

KeyAction ChooseKeyAction(bool bDown, unsigned nKey, bool bControl, bool bSearchHasFocus) {
    for (const CKeyRule& rule : kKeyTable) {
        if ((rule.when == When::down) == bDown && nKey >= rule.nFirstKey && nKey <= rule.nLastKey &&
            Meets(rule.control, bControl) && Meets(rule.searchFocus, bSearchHasFocus)) {
            return rule.action;
        }
    }
    return KeyAction::passOn;
}

CMainLayout ComputeMainLayout(int nClientWidth, int nClientHeight, bool bStatusBar, bool bGroupBar, int nDpi,
                              int nTopRowBottom) {
    const int kMargin = ScaleToDpi(11, nDpi);
    const int kBarTop = std::max(ScaleToDpi(74, nDpi), nTopRowBottom + ScaleToDpi(8, nDpi));
    const int kListTop = kBarTop + (bGroupBar ? ScaleToDpi(kGroupBarHeight, nDpi) : 0);
    const int kStatusHeight = bStatusBar ? ScaleToDpi(24, nDpi) : 0;
    CMainLayout layout;
    layout.groupX = kMargin;
    layout.groupY = kBarTop;
    layout.groupWidth = nClientWidth - 2 * kMargin;
    layout.listX = kMargin;
    layout.listY = kListTop;
    layout.listWidth = nClientWidth - 2 * kMargin;
    layout.listHeight = nClientHeight - kListTop - kStatusHeight;
    layout.statusX = 0;
    layout.statusY = nClientHeight - kStatusHeight;
    layout.statusWidth = nClientWidth;
    layout.statusHeight = kStatusHeight;
    return layout;
}

std::vector<int> RowsShowingContacts(const CContactArray& contacts, const std::vector<int>& rowContacts,
                                     const std::vector<CContact>& wanted) {
    std::unordered_map<std::string, int> counts;
    std::unordered_map<std::string, int> lastNames; // to pass over the other rows of a large list
    for (const CContact& contact : wanted) {
        ++counts[ContactValueKey(contact)];
        ++lastNames[contact.lastname.GetStdString()];
    }
    std::vector<int> rows;
    for (size_t r = 0; r < rowContacts.size() && rows.size() < wanted.size(); ++r) {
        int nContact = rowContacts[r];
        if (nContact < 0 || nContact >= contacts.GetSize() ||
            !lastNames.count(contacts[nContact].lastname.GetStdString())) {
            continue;
        }
        auto it = counts.find(ContactValueKey(contacts[nContact]));
        if (it != counts.end() && it->second > 0) {
            --it->second;
            rows.push_back(static_cast<int>(r));
        }
    }
    return rows;
}

std::vector<CGroupEntry> GroupEntries(const CContactArray& contacts, const CGroupChoice& chosen) {
    std::vector<CGroupCount> groups = CountGroups(contacts);
    const bool bChosenNamed = chosen.Kind() == CGroupChoice::EKind::named;
    if (groups.empty() && !bChosenNamed) {
        return {};
    }
    std::vector<CGroupEntry> entries = {{CGroupChoice::All(), "All contacts"}};
    bool bChosenListed = !bChosenNamed;
    for (const CGroupCount& group : groups) {
        CGroupChoice choice = CGroupChoice::Named(group.name);
        bChosenListed = bChosenListed || choice == chosen;
        CString strText;
        strText.Format("%s (%d)", DisplayTextOf(group.name).GetString(), group.nContacts);
        entries.push_back({choice, strText});
    }
    if (!bChosenListed) {
        entries.push_back({chosen, DisplayTextOf(chosen.Name()) + " (0)"});
    }
    entries.push_back({CGroupChoice::Ungrouped(), "Not in a group"});
    return entries;
}

std::vector<int> BirthdayOrder(const CContactArray& contacts, std::vector<int> rowContacts,
                               const CValueDate& today) {
    // Each key is worked out once: a comparison that parsed the dates would do so n log n times.
    std::vector<std::pair<long, int>> keyed;
    keyed.reserve(rowContacts.size());
    for (int nContact : rowContacts) {
        CValueDate birthday;
        const bool bKnown =
            nContact >= 0 && nContact < contacts.GetSize() && FindBirthday(contacts[nContact], birthday);
        keyed.emplace_back(bKnown ? DaysBetween(today, NextComing(birthday, today)) : LONG_MAX, nContact);
    }
    std::sort(keyed.begin(), keyed.end());
    for (size_t r = 0; r < keyed.size(); ++r) {
        rowContacts[r] = keyed[r].second;
    }
    return rowContacts;
}

namespace {

// A run of one field letter of a date picture ("yyyy", "MM"), or the text between two runs.
struct CPicturePart {
    std::string text;
    char chField = '\0'; // '\0' for the text between
};

bool IsDateField(char ch) { return ch == 'd' || ch == 'M' || ch == 'y' || ch == 'g'; }

std::vector<CPicturePart> SplitPicture(const std::string& picture) {
    std::vector<CPicturePart> parts;
    bool bQuoted = false;
    for (char ch : picture) {
        const char chField = !bQuoted && IsDateField(ch) ? ch : '\0';
        if (ch == '\'') {
            bQuoted = !bQuoted;
        }
        if (parts.empty() || parts.back().chField != chField) {
            parts.push_back({std::string(), chField});
        }
        parts.back().text += ch;
    }
    return parts;
}

bool IsYear(const CPicturePart& part) { return part.chField == 'y' || part.chField == 'g'; }

} // namespace

CString MonthDayPicture(const CString& strShortDatePicture) {
    std::vector<CPicturePart> parts = SplitPicture(strShortDatePicture.GetStdString());
    for (auto it = std::find_if(parts.begin(), parts.end(), IsYear); it != parts.end();
         it = std::find_if(parts.begin(), parts.end(), IsYear)) {
        // The separator before a year that ends the date goes with it, the one after a year that
        // starts it; the year (and era) alone would leave "M/d/" or "-MM-dd".
        if (it != parts.begin() && !(it - 1)->chField) {
            it = parts.erase(it - 1);
        } else if (it + 1 != parts.end() && !(it + 1)->chField) {
            parts.erase(it + 1);
        }
        parts.erase(it);
    }
    std::string picture;
    bool bDay = false, bMonth = false;
    for (const CPicturePart& part : parts) {
        picture += part.text;
        bDay = bDay || part.chField == 'd';
        bMonth = bMonth || part.chField == 'M';
    }
    return bDay && bMonth ? CString(picture.c_str()) : CString("d MMM");
}

CDateCellFormat ChooseDateCellFormat(const CValueDate& date, const CString& strShortDatePicture) {
    CDateCellFormat format;
    format.day = date;
    if (!date.nYear) {
        format.bShortDate = false;
        format.strPicture = MonthDayPicture(strShortDatePicture);
        format.day.nYear = 2000;
    }
    return format;
}
