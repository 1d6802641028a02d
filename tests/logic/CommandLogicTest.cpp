#include "data/ContactArray.h"
#include "ui/main/CommandLogic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CContactArray Named(const std::vector<std::string>& names) {
    CContactArray contacts;
    for (const std::string& name : names) {
        CContact c;
        c.lastname = name.c_str();
        contacts.Add(c);
    }
    return contacts;
}

std::vector<std::string> Shown(const CContactArray& contacts, const std::vector<int>& rowContacts) {
    std::vector<std::string> names;
    for (int nContact : rowContacts) {
        names.push_back(contacts[nContact].lastname.GetStdString());
    }
    return names;
}

} // namespace

// Deleting any row of a search result, or of the full list, leaves every other row on the
// contact it showed before.
TEST(CommandLogicTest, RowsKeepTheirContactsWhenOneIsDeleted) {
    const std::vector<std::string> names = {"Adams", "Baker", "Clark", "Dunn", "Evans"};
    const std::vector<std::vector<int>> shownLists = {{0, 1, 2, 3, 4}, {1, 3, 4}, {4}};
    for (const std::vector<int>& shown : shownLists) {
        for (size_t nRow = 0; nRow < shown.size(); ++nRow) {
            CContactArray contacts = Named(names);
            std::vector<int> rows = shown;
            std::vector<std::string> expected = Shown(contacts, rows);
            expected.erase(expected.begin() + static_cast<long>(nRow));
            int nIndex = rows[nRow];
            contacts.RemoveAt(nIndex);
            rows.erase(rows.begin() + static_cast<long>(nRow));
            ReindexRowContacts(rows, nIndex);
            EXPECT_EQ(expected, Shown(contacts, rows)) << "row " << nRow << " of " << shown.size();
        }
    }
}
