#include "PugixmlLoader.h"

#include "data/AddressBookLoader.h"
#include "data/BookFormat.h"

#include <pugixml.hpp>

#include <climits>
#include <cstring>
#include <vector>

namespace {

const int kNoField = -1;
const int kIdField = -2;

int FieldOfElement(const char* pszName) {
    if (std::strcmp(pszName, "id") == 0) {
        return kIdField;
    }
    for (int i = 0; i < CContact::kFieldCount; ++i) {
        if (std::strcmp(pszName, CContact::FieldTag(i)) == 0) {
            return i;
        }
    }
    return kNoField;
}

class CEntryCollector {
public:
    explicit CEntryCollector(CContactArray& contacts) : m_contacts(contacts) {}

    void Enter(const pugi::xml_node& node) {
        const char* pszName = node.name();
        if (!m_openEntries.empty()) {
            int nField = FieldOfElement(pszName);
            if (nField == kIdField) {
                m_openEntries.back().id = ParseIdValue(node.attribute("value").value());
            } else if (nField != kNoField) {
                m_openEntries.back().FieldAt(nField) = node.attribute("value").value();
            }
        }
        if (std::strcmp(pszName, "entry") == 0) {
            m_openEntries.emplace_back();
        }
    }

    void Leave(const pugi::xml_node& node) {
        if (std::strcmp(node.name(), "entry") == 0) {
            m_contacts.Add(std::move(m_openEntries.back()));
            m_openEntries.pop_back();
        }
    }

private:
    CContactArray& m_contacts;
    std::vector<CContact> m_openEntries;
};

} // namespace

bool LoadWithPugixml(const char* pszPath, CContactArray& contacts) {
    pugi::xml_document doc;
    // The file declares UTF-8 but holds 1252 bytes: take them as they are, with no entity or
    // line-end processing, as the program's own reader does.
    pugi::xml_parse_result result = doc.load_file(pszPath, pugi::parse_minimal, pugi::encoding_utf8);
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error ||
        result.status == pugi::status_out_of_memory) {
        return false;
    }
    CEntryCollector collector(contacts);
    pugi::xml_node node = doc.first_child();
    while (node) {
        if (node.type() == pugi::node_element) {
            collector.Enter(node);
            if (pugi::xml_node child = node.first_child()) {
                node = child;
                continue;
            }
            collector.Leave(node);
        }
        while (!node.next_sibling()) {
            node = node.parent();
            if (node == doc) {
                return true;
            }
            collector.Leave(node);
        }
        node = node.next_sibling();
    }
    return true;
}
