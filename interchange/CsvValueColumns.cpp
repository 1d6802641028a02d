#include "CsvValueColumns.h"

#include "framework/core/Unicode.h"

#include <cstring>

namespace {

typedef EValueKind K;
typedef CsvValueFormat F;

const unsigned kOutlook = 1u << static_cast<int>(CsvColumns::outlook);
const unsigned kGoogle = 1u << static_cast<int>(CsvColumns::google);
const unsigned kThunderbird = 1u << static_cast<int>(CsvColumns::thunderbird);

// Of two rows of one name, reading takes the first: Outlook's date form reads Google's too.
const CCsvValueColumn g_columns[] = {
    {"Title", kOutlook, K::namePrefix, "", "", F::text, 0},
    {"Name Prefix", kGoogle, K::namePrefix, "", "", F::text, 0},
    {"Middle Name", kOutlook, K::middleName, "", "", F::text, 0},
    {"Additional Name", kGoogle, K::middleName, "", "", F::text, 0},
    {"Suffix", kOutlook, K::nameSuffix, "", "", F::text, 0},
    {"Name Suffix", kGoogle, K::nameSuffix, "", "", F::text, 0},
    {"Department", kOutlook | kThunderbird, K::department, "", "", F::text, 0},
    {"Organization 1 - Department", kGoogle, K::department, "", "", F::text, 0}, // read as its group
    {"Home Phone 2", kOutlook, K::phone, "home", "", F::text, 0},
    {"Business Phone 2", kOutlook, K::phone, "work", "", F::text, 0},
    {"Other Phone", kOutlook, K::phone, "other", "", F::text, 0},
    {"Pager", kOutlook, K::phone, "pager", "", F::text, 0},
    {"Pager Number", kThunderbird, K::phone, "pager", "", F::text, 0},
    {"Home Fax", kOutlook, K::phone, "home,fax", "", F::text, 0},
    {"Other Fax", kOutlook, K::phone, "other,fax", "", F::text, 0},
    {"Car Phone", kOutlook, K::phone, "car", "", F::text, 0},
    {"ISDN", kOutlook, K::phone, "isdn", "", F::text, 0},
    {"Company Main Phone", kOutlook, K::phone, "main", "", F::text, 0},
    {"Primary Phone", kOutlook, K::phone, "", "Primary", F::text, 0},
    {"Callback", kOutlook, K::phone, "callback", "", F::text, 0},
    {"Radio Phone", kOutlook, K::phone, "radio", "", F::text, 0},
    {"TTY/TDD Phone", kOutlook, K::phone, "textphone", "", F::text, 0},
    {"Telex", kOutlook, K::phone, "telex", "", F::text, 0},
    {"E-mail 3 Address", kOutlook, K::email, "", "", F::text, 0},
    {"Birthday", kOutlook, K::date, "birthday", "", F::outlookDate, 0},
    {"Birthday", kGoogle, K::date, "birthday", "", F::isoDate, 0},
    {"Anniversary", kOutlook, K::date, "anniversary", "", F::outlookDate, 0},
    {"Birth Year", kThunderbird, K::date, "birthday", "", F::birthYear, 0},
    {"Birth Month", kThunderbird, K::date, "birthday", "", F::birthMonth, 0},
    {"Birth Day", kThunderbird, K::date, "birthday", "", F::birthDay, 0},
    {"Categories", kOutlook, K::group, "", "", F::categories, 0},
    {"Group Membership", kGoogle, K::group, "", "", F::googleGroups, 0},
    {"Spouse", kOutlook, K::related, "spouse", "", F::text, 0},
    {"Manager's Name", kOutlook, K::related, "manager", "", F::text, 0},
    {"Assistant's Name", kOutlook, K::related, "assistant", "", F::text, 0},
    {"Children", kOutlook, K::related, "child", "", F::text, 0},
    {"Referred By", kOutlook, K::related, "", "Referred By", F::text, 0},
    {"Screen Name", kThunderbird, K::messaging, "aim", "", F::text, 0},
    {"Other Address PO Box", kOutlook, K::address, "other", "", F::addressPart, addressPostOfficeBox},
    {"Other Street", kOutlook, K::address, "other", "", F::addressPart, addressStreet},
    {"Other Street 2", 0, K::address, "other", "", F::addressPart, addressStreet},
    {"Other Street 3", 0, K::address, "other", "", F::addressPart, addressStreet},
    {"Other City", kOutlook, K::address, "other", "", F::addressPart, addressLocality},
    {"Other State", kOutlook, K::address, "other", "", F::addressPart, addressRegion},
    {"Other Postal Code", kOutlook, K::address, "other", "", F::addressPart, addressPostalCode},
    {"Other Country/Region", kOutlook, K::address, "other", "", F::addressPart, addressCountry},
    // Columns of the user's own: a custom value of the column's name goes there and comes back.
    {"User 1", kOutlook, K::custom, "", "User 1", F::text, 0},
    {"User 2", kOutlook, K::custom, "", "User 2", F::text, 0},
    {"User 3", kOutlook, K::custom, "", "User 3", F::text, 0},
    {"User 4", kOutlook, K::custom, "", "User 4", F::text, 0},
    {"Custom 1", kThunderbird, K::custom, "", "Custom 1", F::text, 0},
    {"Custom 2", kThunderbird, K::custom, "", "Custom 2", F::text, 0},
    {"Custom 3", kThunderbird, K::custom, "", "Custom 3", F::text, 0},
    {"Custom 4", kThunderbird, K::custom, "", "Custom 4", F::text, 0},
};

const CGoogleGroupKind g_groupKinds[] = {
    {"E-mail", K::email, 2, "Value"},
    {"IM", K::messaging, 0, "Service|Value"},
    {"Phone", K::phone, 4, "Value"},
    {"Address", K::address, 2, "Formatted|Street|City|PO Box|Region|Postal Code|Country|Extended Address"},
    {"Organization", K::custom, 1, ""},
    {"Relation", K::related, 0, "Value"},
    {"Website", K::web, 2, "Value"},
    {"Event", K::date, 0, "Value"},
    {"Custom Field", K::custom, 0, "Value"},
};

// The words of a Type cell, as Google writes them, and the types they stand for.
struct CGoogleWord {
    EValueKind kind;
    const char* pszWord;
    const char* pszType;
};
const CGoogleWord g_words[] = {
    {K::phone, "Home", "home"},         {K::phone, "Work", "work"},
    {K::phone, "Mobile", "mobile"},     {K::phone, "Work Fax", "work,fax"},
    {K::phone, "Home Fax", "home,fax"}, {K::phone, "Pager", "pager"},
    {K::phone, "Other", "other"},       {K::phone, "Main", "main"},
    {K::email, "Home", "home"},         {K::email, "Work", "work"},
    {K::email, "Other", "other"},       {K::web, "Home Page", "home"},
    {K::web, "Home", "home"},           {K::web, "Work", "work"},
    {K::web, "Other", "other"},         {K::address, "Home", "home"},
    {K::address, "Work", "work"},       {K::address, "Other", "other"},
    {K::related, "Spouse", "spouse"},   {K::related, "Child", "child"},
    {K::related, "Mother", "mother"},   {K::related, "Father", "father"},
    {K::related, "Parent", "parent"},   {K::related, "Brother", "brother"},
    {K::related, "Sister", "sister"},   {K::related, "Friend", "friend"},
    {K::related, "Relative", "relative"}, {K::related, "Partner", "partner"},
    {K::related, "Manager", "manager"}, {K::related, "Assistant", "assistant"},
    {K::date, "Anniversary", "anniversary"}, {K::date, "Other", "other"},
};

const char* const g_services[][2] = {
    {"googletalk", "Google Talk"}, {"aim", "AIM"}, {"yahoo", "Yahoo"}, {"skype", "Skype"},
    {"qq", "QQ"},                  {"msn", "MSN"}, {"icq", "ICQ"},     {"jabber", "Jabber"},
};

bool IsDigits(const std::string& str, size_t nMin, size_t nMax) {
    if (str.size() < nMin || str.size() > nMax) {
        return false;
    }
    for (char c : str) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::string TwoDigits(const std::string& str) { return str.size() == 1 ? "0" + str : str; }

// Month and day, each one or two digits, a day the month can have (the 29th of February too,
// which a date without a year may be).
bool ValidMonthDay(std::string& strMonth, std::string& strDay) {
    if (!IsDigits(strMonth, 1, 2) || !IsDigits(strDay, 1, 2)) {
        return false;
    }
    static const int s_monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int nMonth = std::stoi(strMonth);
    const int nDay = std::stoi(strDay);
    if (nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > s_monthDays[nMonth - 1]) {
        return false;
    }
    strMonth = TwoDigits(strMonth);
    strDay = TwoDigits(strDay);
    return true;
}

std::vector<std::string> SplitOn(const std::string& str, char c) {
    std::vector<std::string> parts(1);
    for (char ch : str) {
        if (ch == c) {
            parts.emplace_back();
        } else {
            parts.back() += ch;
        }
    }
    return parts;
}

std::string Unpadded(const std::string& str) { return str.size() == 2 && str[0] == '0' ? str.substr(1) : str; }

} // namespace

const CCsvValueColumn* FindCsvValueColumn(const std::string& strName) {
    const std::string strLower = LowerUtf8(strName);
    for (const CCsvValueColumn& column : g_columns) {
        if (LowerUtf8(column.pszName) == strLower) {
            return &column;
        }
    }
    for (const CCsvValueColumn& column : LocalisedOutlookValueColumns()) {
        if (LowerUtf8(column.pszName) == strLower) {
            return &column;
        }
    }
    return nullptr;
}

std::vector<const CCsvValueColumn*> CsvValueColumnsOf(CsvColumns set) {
    std::vector<const CCsvValueColumn*> columns;
    for (const CCsvValueColumn& column : g_columns) {
        if (column.nSets & (1u << static_cast<int>(set))) {
            columns.push_back(&column);
        }
    }
    return columns;
}

bool ReadCsvDate(CsvValueFormat format, const std::string& strCell, std::string& strDate) {
    // The ISO forms, which Google writes and a date's own text is in.
    if (strCell.size() == 10 && strCell[4] == '-' && strCell[7] == '-') {
        std::string strYear = strCell.substr(0, 4), strMonth = strCell.substr(5, 2), strDay = strCell.substr(8);
        if (IsDigits(strYear, 4, 4) && ValidMonthDay(strMonth, strDay)) {
            strDate = strYear + "-" + strMonth + "-" + strDay;
            return true;
        }
    }
    if (strCell.size() == 7 && strCell.compare(0, 2, "--") == 0 && strCell[4] == '-') {
        std::string strMonth = strCell.substr(2, 2), strDay = strCell.substr(5);
        if (ValidMonthDay(strMonth, strDay)) {
            strDate = "--" + strMonth + "-" + strDay;
            return true;
        }
    }
    if (format != CsvValueFormat::outlookDate) {
        return false;
    }
    // Outlook's month first; only a year of four digits says which century it is.
    std::vector<std::string> parts = SplitOn(strCell, '/');
    if ((parts.size() != 2 && parts.size() != 3) || (parts.size() == 3 && !IsDigits(parts[2], 4, 4)) ||
        !ValidMonthDay(parts[0], parts[1])) {
        return false;
    }
    strDate = (parts.size() == 3 ? parts[2] : "-") + "-" + parts[0] + "-" + parts[1];
    return true;
}

std::string WriteCsvDate(CsvValueFormat format, const std::string& strDate) {
    std::string strCheck;
    if (!ReadCsvDate(CsvValueFormat::isoDate, strDate, strCheck) || strCheck != strDate) {
        return std::string();
    }
    if (format != CsvValueFormat::outlookDate) {
        return strDate;
    }
    // A date without a year goes out as month and day alone, "6/15": Outlook writes no such
    // date of its own, and a year made up for it (some programs take 1604) would come back as
    // a year the user never gave.
    const bool bNoYear = strDate.compare(0, 2, "--") == 0;
    const size_t nMonth = bNoYear ? 2 : 5;
    const std::string strMonthDay =
        Unpadded(strDate.substr(nMonth, 2)) + "/" + Unpadded(strDate.substr(nMonth + 3, 2));
    return bNoYear ? strMonthDay : strMonthDay + "/" + strDate.substr(0, 4);
}

const std::vector<CGoogleGroupKind>& GoogleGroupKinds() {
    static const std::vector<CGoogleGroupKind> s_kinds(std::begin(g_groupKinds), std::end(g_groupKinds));
    return s_kinds;
}

std::vector<std::string> GoogleGroupParts(const CGoogleGroupKind& kind) {
    std::vector<std::string> parts = SplitOn(kind.pszParts, '|');
    return parts.size() == 1 && parts[0].empty() ? std::vector<std::string>() : parts;
}

const CGoogleGroupKind* FindGoogleGroupKind(const std::string& strName) {
    const std::string strLower = LowerUtf8(strName);
    for (const CGoogleGroupKind& kind : g_groupKinds) {
        if (LowerUtf8(kind.pszName) == strLower) {
            return &kind;
        }
    }
    return nullptr;
}

void ReadGoogleType(EValueKind kind, std::string strCell, std::string& strType, std::string& strLabel) {
    if (strCell.compare(0, 2, "* ") == 0) {
        strCell.erase(0, 2);
    }
    strType.clear();
    strLabel.clear();
    if (kind != EValueKind::custom && kind != EValueKind::messaging) {
        const std::string strLower = LowerUtf8(strCell);
        for (const CGoogleWord& word : g_words) {
            if (word.kind == kind && LowerUtf8(word.pszWord) == strLower) {
                strType = word.pszType;
                return;
            }
        }
    }
    strLabel = strCell;
}

bool WriteGoogleType(EValueKind kind, const std::string& strType, const std::string& strLabel,
                     std::string& strCell) {
    strCell = strLabel;
    if (strLabel.empty() && kind != EValueKind::messaging) {
        for (const CGoogleWord& word : g_words) {
            if (word.kind == kind && strType == word.pszType && strCell.empty()) {
                strCell = word.pszWord;
            }
        }
    }
    std::string strTypeBack, strLabelBack;
    ReadGoogleType(kind, strCell, strTypeBack, strLabelBack);
    const bool bTypeInCell = kind != EValueKind::messaging; // a handle's type is its service
    return strLabelBack == strLabel && (!bTypeInCell || strTypeBack == strType);
}

std::string GoogleService(const std::string& strType) {
    for (const auto& service : g_services) {
        if (strType == service[0]) {
            return service[1];
        }
    }
    return strType;
}

std::string ServiceOfGoogle(const std::string& strCell) {
    for (const auto& service : g_services) {
        if (LowerUtf8(strCell) == LowerUtf8(service[1])) {
            return service[0];
        }
    }
    return strCell;
}
