#include "CsvColumns.h"

#include "data/Contact.h"
#include "framework/core/Unicode.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

namespace {

typedef CContact C;

const char* const g_outlookHeader[] = {
    "Title",
    "First Name",
    "Middle Name",
    "Last Name",
    "Suffix",
    "Company",
    "Department",
    "Job Title",
    "Business Street",
    "Business Street 2",
    "Business Street 3",
    "Business City",
    "Business State",
    "Business Postal Code",
    "Business Country/Region",
    "Home Street",
    "Home Street 2",
    "Home Street 3",
    "Home City",
    "Home State",
    "Home Postal Code",
    "Home Country/Region",
    "Other Street",
    "Other Street 2",
    "Other Street 3",
    "Other City",
    "Other State",
    "Other Postal Code",
    "Other Country/Region",
    "Assistant's Phone",
    "Business Fax",
    "Business Phone",
    "Business Phone 2",
    "Callback",
    "Car Phone",
    "Company Main Phone",
    "Home Fax",
    "Home Phone",
    "Home Phone 2",
    "ISDN",
    "Mobile Phone",
    "Other Fax",
    "Other Phone",
    "Pager",
    "Primary Phone",
    "Radio Phone",
    "TTY/TDD Phone",
    "Telex",
    "Account",
    "Anniversary",
    "Assistant's Name",
    "Billing Information",
    "Birthday",
    "Business Address PO Box",
    "Categories",
    "Children",
    "Directory Server",
    "E-mail Address",
    "E-mail Type",
    "E-mail Display Name",
    "E-mail 2 Address",
    "E-mail 2 Type",
    "E-mail 2 Display Name",
    "E-mail 3 Address",
    "E-mail 3 Type",
    "E-mail 3 Display Name",
    "Gender",
    "Government ID Number",
    "Hobby",
    "Home Address PO Box",
    "Initials",
    "Internet Free Busy",
    "Keywords",
    "Language",
    "Location",
    "Manager's Name",
    "Mileage",
    "Notes",
    "Office Location",
    "Organizational ID Number",
    "Other Address PO Box",
    "Priority",
    "Private",
    "Profession",
    "Referred By",
    "Sensitivity",
    "Spouse",
    "User 1",
    "User 2",
    "User 3",
    "User 4",
    "Web Page",
};

const CCsvWriteColumn g_outlookValues[] = {
    {"First Name", C::fieldFirstName, nullptr},
    {"Last Name", C::fieldLastName, nullptr},
    {"Company", C::fieldCompany, nullptr},
    {"Job Title", C::fieldJobTitle, nullptr},
    {"Business Street", C::fieldOfficeAddress, nullptr},
    {"Home Street", C::fieldHomeAddress, nullptr},
    {"Business Fax", C::fieldOfficeFax, nullptr},
    {"Business Phone", C::fieldOfficePhone, nullptr},
    {"Home Phone", C::fieldHomePhone, nullptr},
    {"Mobile Phone", C::fieldMobile, nullptr},
    {"E-mail Address", C::fieldHomeEMail, nullptr},
    {"E-mail Type", C::fieldHomeEMail, "SMTP"},
    {"E-mail 2 Address", C::fieldOfficeEMail, nullptr},
    {"E-mail 2 Type", C::fieldOfficeEMail, "SMTP"},
    {"Notes", C::fieldNote, nullptr},
    {"Web Page", C::fieldHomeWWW, nullptr},
};

std::vector<CCsvWriteColumn> Expand(const char* const* ppHeader, size_t nCount,
                                    const CCsvWriteColumn* pValues, size_t nValues) {
    std::vector<CCsvWriteColumn> columns;
    for (size_t i = 0; i < nCount; ++i) {
        CCsvWriteColumn column = {ppHeader[i], kAlways, nullptr};
        for (size_t k = 0; k < nValues; ++k) {
            if (CString(ppHeader[i]) == pValues[k].pszName) {
                column = pValues[k];
            }
        }
        columns.push_back(column);
    }
    return columns;
}

const CCsvWriteColumn g_google[] = {
    {"Name", kDisplayName, nullptr},
    {"Given Name", C::fieldFirstName, nullptr},
    {"Additional Name", kAlways, nullptr},
    {"Family Name", C::fieldLastName, nullptr},
    {"Yomi Name", kAlways, nullptr},
    {"Given Name Yomi", kAlways, nullptr},
    {"Additional Name Yomi", kAlways, nullptr},
    {"Family Name Yomi", kAlways, nullptr},
    {"Name Prefix", kAlways, nullptr},
    {"Name Suffix", kAlways, nullptr},
    {"Initials", kAlways, nullptr},
    {"Nickname", C::fieldNickname, nullptr},
    {"Short Name", kAlways, nullptr},
    {"Maiden Name", kAlways, nullptr},
    {"Birthday", kAlways, nullptr},
    {"Gender", kAlways, nullptr},
    {"Location", kAlways, nullptr},
    {"Billing Information", kAlways, nullptr},
    {"Directory Server", kAlways, nullptr},
    {"Mileage", kAlways, nullptr},
    {"Occupation", kAlways, nullptr},
    {"Hobby", kAlways, nullptr},
    {"Sensitivity", kAlways, nullptr},
    {"Priority", kAlways, nullptr},
    {"Subject", kAlways, nullptr},
    {"Notes", C::fieldNote, nullptr},
    {"Language", kAlways, nullptr},
    {"Photo", kAlways, nullptr},
    {"Group Membership", kAlways, "* myContacts"},
    {"E-mail 1 - Type", C::fieldHomeEMail, "Home"},
    {"E-mail 1 - Value", C::fieldHomeEMail, nullptr},
    {"E-mail 2 - Type", C::fieldOfficeEMail, "Work"},
    {"E-mail 2 - Value", C::fieldOfficeEMail, nullptr},
    {"Phone 1 - Type", C::fieldHomePhone, "Home"},
    {"Phone 1 - Value", C::fieldHomePhone, nullptr},
    {"Phone 2 - Type", C::fieldMobile, "Mobile"},
    {"Phone 2 - Value", C::fieldMobile, nullptr},
    {"Phone 3 - Type", C::fieldOfficePhone, "Work"},
    {"Phone 3 - Value", C::fieldOfficePhone, nullptr},
    {"Phone 4 - Type", C::fieldOfficeFax, "Work Fax"},
    {"Phone 4 - Value", C::fieldOfficeFax, nullptr},
    {"Address 1 - Type", C::fieldHomeAddress, "Home"},
    {"Address 1 - Formatted", C::fieldHomeAddress, nullptr},
    {"Address 1 - Street", C::fieldHomeAddress, nullptr},
    {"Address 1 - City", kAlways, nullptr},
    {"Address 1 - PO Box", kAlways, nullptr},
    {"Address 1 - Region", kAlways, nullptr},
    {"Address 1 - Postal Code", kAlways, nullptr},
    {"Address 1 - Country", kAlways, nullptr},
    {"Address 1 - Extended Address", kAlways, nullptr},
    {"Address 2 - Type", C::fieldOfficeAddress, "Work"},
    {"Address 2 - Formatted", C::fieldOfficeAddress, nullptr},
    {"Address 2 - Street", C::fieldOfficeAddress, nullptr},
    {"Address 2 - City", kAlways, nullptr},
    {"Address 2 - PO Box", kAlways, nullptr},
    {"Address 2 - Region", kAlways, nullptr},
    {"Address 2 - Postal Code", kAlways, nullptr},
    {"Address 2 - Country", kAlways, nullptr},
    {"Address 2 - Extended Address", kAlways, nullptr},
    {"Organization 1 - Type", kAlways, nullptr},
    {"Organization 1 - Name", C::fieldCompany, nullptr},
    {"Organization 1 - Yomi Name", kAlways, nullptr},
    {"Organization 1 - Title", C::fieldJobTitle, nullptr},
    {"Organization 1 - Department", kAlways, nullptr},
    {"Organization 1 - Symbol", kAlways, nullptr},
    {"Organization 1 - Location", kAlways, nullptr},
    {"Organization 1 - Job Description", kAlways, nullptr},
    {"Website 1 - Type", C::fieldHomeWWW, "Home Page"},
    {"Website 1 - Value", C::fieldHomeWWW, nullptr},
    {"Website 2 - Type", C::fieldOfficeWWW, "Work"},
    {"Website 2 - Value", C::fieldOfficeWWW, nullptr},
};

const CCsvWriteColumn g_thunderbird[] = {
    {"First Name", C::fieldFirstName, nullptr},
    {"Last Name", C::fieldLastName, nullptr},
    {"Display Name", kDisplayName, nullptr},
    {"Nickname", C::fieldNickname, nullptr},
    {"Primary Email", C::fieldHomeEMail, nullptr},
    {"Secondary Email", C::fieldOfficeEMail, nullptr},
    {"Work Phone", C::fieldOfficePhone, nullptr},
    {"Home Phone", C::fieldHomePhone, nullptr},
    {"Fax Number", C::fieldOfficeFax, nullptr},
    {"Pager Number", kAlways, nullptr},
    {"Mobile Number", C::fieldMobile, nullptr},
    {"Home Address", C::fieldHomeAddress, nullptr},
    {"Home Address 2", kAlways, nullptr},
    {"Home City", kAlways, nullptr},
    {"Home State", kAlways, nullptr},
    {"Home ZipCode", kAlways, nullptr},
    {"Home Country", kAlways, nullptr},
    {"Work Address", C::fieldOfficeAddress, nullptr},
    {"Work Address 2", kAlways, nullptr},
    {"Work City", kAlways, nullptr},
    {"Work State", kAlways, nullptr},
    {"Work ZipCode", kAlways, nullptr},
    {"Work Country", kAlways, nullptr},
    {"Job Title", C::fieldJobTitle, nullptr},
    {"Department", kAlways, nullptr},
    {"Organization", C::fieldCompany, nullptr},
    {"Web Page 1", C::fieldOfficeWWW, nullptr},
    {"Web Page 2", C::fieldHomeWWW, nullptr},
    {"Birth Year", kAlways, nullptr},
    {"Birth Month", kAlways, nullptr},
    {"Birth Day", kAlways, nullptr},
    {"Custom 1", kAlways, nullptr},
    {"Custom 2", kAlways, nullptr},
    {"Custom 3", kAlways, nullptr},
    {"Custom 4", kAlways, nullptr},
    {"Notes", C::fieldNote, nullptr},
    {"Screen Name", kAlways, nullptr},
};

const CCsvReadColumn g_read[] = {
    {"First Name", CsvTarget::field, C::fieldFirstName, 0, nullptr},
    {"Given Name", CsvTarget::field, C::fieldFirstName, 0, nullptr},
    {"Last Name", CsvTarget::field, C::fieldLastName, 0, nullptr},
    {"Family Name", CsvTarget::field, C::fieldLastName, 0, nullptr},
    {"Surname", CsvTarget::field, C::fieldLastName, 0, nullptr},
    {"Middle Name", CsvTarget::middleName, 0, 0, nullptr},
    {"Additional Name", CsvTarget::middleName, 0, 0, nullptr},
    {"Display Name", CsvTarget::displayName, 0, 0, nullptr},
    {"Name", CsvTarget::displayName, 0, 0, nullptr},
    {"Nickname", CsvTarget::field, C::fieldNickname, 0, nullptr},
    {"Company", CsvTarget::field, C::fieldCompany, 0, nullptr},
    {"Organization", CsvTarget::field, C::fieldCompany, 0, nullptr},
    {"Organization 1 - Name", CsvTarget::field, C::fieldCompany, 0, nullptr},
    {"Job Title", CsvTarget::field, C::fieldJobTitle, 0, nullptr},
    {"Organization 1 - Title", CsvTarget::field, C::fieldJobTitle, 0, nullptr},
    {"Home Phone", CsvTarget::field, C::fieldHomePhone, 0, nullptr},
    {"Mobile Phone", CsvTarget::field, C::fieldMobile, 0, nullptr},
    {"Mobile Number", CsvTarget::field, C::fieldMobile, 0, nullptr},
    {"Business Phone", CsvTarget::field, C::fieldOfficePhone, 0, nullptr},
    {"Work Phone", CsvTarget::field, C::fieldOfficePhone, 0, nullptr},
    {"Business Fax", CsvTarget::field, C::fieldOfficeFax, 0, nullptr},
    {"Fax Number", CsvTarget::field, C::fieldOfficeFax, 0, nullptr},
    {"E-mail Address", CsvTarget::field, C::fieldHomeEMail, 0, nullptr},
    {"Primary Email", CsvTarget::field, C::fieldHomeEMail, 0, nullptr},
    {"E-mail 2 Address", CsvTarget::field, C::fieldOfficeEMail, 0, nullptr},
    {"Secondary Email", CsvTarget::field, C::fieldOfficeEMail, 0, nullptr},
    {"Web Page", CsvTarget::field, C::fieldHomeWWW, 0, nullptr},
    {"Personal Web Page", CsvTarget::field, C::fieldHomeWWW, 0, nullptr},
    {"Web Page 2", CsvTarget::field, C::fieldHomeWWW, 0, nullptr},
    {"Business Web Page", CsvTarget::field, C::fieldOfficeWWW, 0, nullptr},
    {"Web Page 1", CsvTarget::field, C::fieldOfficeWWW, 0, nullptr},
    {"Notes", CsvTarget::field, C::fieldNote, 0, nullptr},
    {"Home Street", CsvTarget::addressPart, C::fieldHomeAddress, 2, nullptr},
    {"Home Street 2", CsvTarget::addressPart, C::fieldHomeAddress, 2, nullptr},
    {"Home Street 3", CsvTarget::addressPart, C::fieldHomeAddress, 2, nullptr},
    {"Home Address", CsvTarget::addressText, C::fieldHomeAddress, 2, nullptr},
    {"Home Address 2", CsvTarget::addressText, C::fieldHomeAddress, 2, nullptr},
    {"Home Address PO Box", CsvTarget::addressPart, C::fieldHomeAddress, 0, nullptr},
    {"Home City", CsvTarget::addressPart, C::fieldHomeAddress, 3, nullptr},
    {"Home State", CsvTarget::addressPart, C::fieldHomeAddress, 4, nullptr},
    {"Home Postal Code", CsvTarget::addressPart, C::fieldHomeAddress, 5, nullptr},
    {"Home ZipCode", CsvTarget::addressPart, C::fieldHomeAddress, 5, nullptr},
    {"Home Country/Region", CsvTarget::addressPart, C::fieldHomeAddress, 6, nullptr},
    {"Home Country", CsvTarget::addressPart, C::fieldHomeAddress, 6, nullptr},
    {"Business Street", CsvTarget::addressPart, C::fieldOfficeAddress, 2, nullptr},
    {"Business Street 2", CsvTarget::addressPart, C::fieldOfficeAddress, 2, nullptr},
    {"Business Street 3", CsvTarget::addressPart, C::fieldOfficeAddress, 2, nullptr},
    {"Work Address", CsvTarget::addressText, C::fieldOfficeAddress, 2, nullptr},
    {"Business Address", CsvTarget::addressText, C::fieldOfficeAddress, 2, nullptr},
    {"Work Address 2", CsvTarget::addressText, C::fieldOfficeAddress, 2, nullptr},
    {"Business Address PO Box", CsvTarget::addressPart, C::fieldOfficeAddress, 0, nullptr},
    {"Business City", CsvTarget::addressPart, C::fieldOfficeAddress, 3, nullptr},
    {"Work City", CsvTarget::addressPart, C::fieldOfficeAddress, 3, nullptr},
    {"Business State", CsvTarget::addressPart, C::fieldOfficeAddress, 4, nullptr},
    {"Work State", CsvTarget::addressPart, C::fieldOfficeAddress, 4, nullptr},
    {"Business Postal Code", CsvTarget::addressPart, C::fieldOfficeAddress, 5, nullptr},
    {"Work ZipCode", CsvTarget::addressPart, C::fieldOfficeAddress, 5, nullptr},
    {"Business Country/Region", CsvTarget::addressPart, C::fieldOfficeAddress, 6, nullptr},
    {"Work Country", CsvTarget::addressPart, C::fieldOfficeAddress, 6, nullptr},
    // Values some programs write for every contact, which say nothing.
    {"E-mail Type", CsvTarget::ignoredDefault, 0, 0, "SMTP"},
    {"E-mail 2 Type", CsvTarget::ignoredDefault, 0, 0, "SMTP"},
    {"E-mail 3 Type", CsvTarget::ignoredDefault, 0, 0, "SMTP"},
    {"Priority", CsvTarget::ignoredDefault, 0, 0, "Normal"},
    {"Sensitivity", CsvTarget::ignoredDefault, 0, 0, "Normal"},
    {"Private", CsvTarget::ignoredDefault, 0, 0, "False"},
    {"Gender", CsvTarget::ignoredDefault, 0, 0, "Unspecified"},
};

} // namespace

const std::vector<CCsvWriteColumn>& OutlookColumns() {
    static const std::vector<CCsvWriteColumn> s_columns =
        Expand(g_outlookHeader, sizeof g_outlookHeader / sizeof g_outlookHeader[0], g_outlookValues,
               sizeof g_outlookValues / sizeof g_outlookValues[0]);
    return s_columns;
}

const std::vector<CCsvWriteColumn>& GoogleColumns() {
    static const std::vector<CCsvWriteColumn> s_columns(std::begin(g_google), std::end(g_google));
    return s_columns;
}

const std::vector<CCsvWriteColumn>& ThunderbirdColumns() {
    static const std::vector<CCsvWriteColumn> s_columns(std::begin(g_thunderbird), std::end(g_thunderbird));
    return s_columns;
}

bool IsProgramColumn(const std::string& strName) {
    static const std::set<std::string> s_names = [] {
        std::set<std::string> names;
        for (const auto* pColumns : {&OutlookColumns(), &GoogleColumns(), &ThunderbirdColumns()}) {
            for (const CCsvWriteColumn& column : *pColumns) {
                names.insert(LowerUtf8(column.pszName));
            }
        }
        return names;
    }();
    return s_names.count(LowerUtf8(strName)) > 0;
}

const CCsvReadColumn* FindCsvColumn(const std::string& strName) {
    // Looked up once per column of a header that may have thousands; the first of two columns
    // that share a name wins, the English one before those of other languages.
    typedef std::map<std::string, const CCsvReadColumn*> Index;
    static const Index s_index = [] {
        Index index;
        for (const CCsvReadColumn& column : g_read) {
            index.emplace(LowerUtf8(column.pszName), &column);
        }
        for (const CCsvReadColumn& column : LocalisedOutlookColumns()) {
            index.emplace(LowerUtf8(column.pszName), &column);
        }
        return index;
    }();
    auto found = s_index.find(LowerUtf8(strName));
    return found == s_index.end() ? nullptr : found->second;
}
