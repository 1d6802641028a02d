// Helpers for parser tests: parse text held in memory, record warnings, and describe a tree
// in one line: name[attr=value,...](children) with texts left out.
#pragma once

#include "data/XMLParser.h"
#include "support/MemoryFile.h"

#include <string>
#include <vector>

class CRecordingSink : public CXMLWarningSink {
public:
    void OnWarning(const CString& strText, int64_t nOffset) override {
        m_warnings.push_back(strText.GetStdString());
        m_offsets.push_back(nOffset);
    }
    std::vector<std::string> m_warnings;
    std::vector<int64_t> m_offsets;
};

inline int ParseText(const std::string& xml, CXML& root, CXMLWarningSink* pSink = nullptr, unsigned nMaxRead = ~0u) {
    CMemoryFile file(xml);
    file.LimitReadsTo(nMaxRead);
    return CXMLParser::Load(root, file, CString(), pSink);
}

inline std::string Describe(CXML& node) {
    std::string s = node.GetName().GetStdString();
    s += "[";
    bool bFirst = true;
    for (const CAttribute* p = node.FirstAttribute(); p; p = p->NextAttribute()) {
        s += (bFirst ? "" : ",") + p->GetName().GetStdString() + "=" + p->GetValue().GetStdString();
        bFirst = false;
    }
    s += "](";
    bFirst = true;
    for (CXML* p = node.FirstChild(); p; p = p->NextSibling()) {
        s += (bFirst ? "" : ",") + Describe(*p);
        bFirst = false;
    }
    return s + ")";
}
