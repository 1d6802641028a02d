// CXMLParser: reads a document from a file into a CXML tree (XML.h), through the tokenizer of
// XMLReader.h.
//
// The parser does not validate. On malformed input it reports one of two warnings to the
// caller's sink and carries on; it never stops early and never fails on any input.
#pragma once

#include "XML.h"
#include "framework/core/File.h"
#include "framework/core/String.h"

#include <cstdint>
#include <string>
#include <string_view>

// The offset of a warning about a value rather than a tag: its text names the value's contact.
const int64_t kNoOffset = -1;

// Receives the parser's warnings, in document order, each with the byte offset in the file of
// the tag it is about.
class CXMLWarningSink {
public:
    virtual ~CXMLWarningSink() = default;
    virtual void OnWarning(const CString& strText, int64_t nOffset) = 0;
};

class CXMLParser {
public:
    // Reads one document from the file's current position into root: declarations, processing
    // instructions and comments before the root are skipped, and the first start tag named
    // strName (any tag when strName is empty) becomes root. Returns 1 when a root element was
    // found, 0 when the file ended first.
    static int Load(CXML& root, CFile& file, const CString& strName, CXMLWarningSink* pSink = nullptr);
    // Builds node from a start tag and, unless it closes itself, from the content that follows
    // in the file, up to its end tag or the end of the file.
    static void ParseElement(CXML& node, const CString& strToken, CFile& file, CXMLWarningSink* pSink = nullptr);
    // Returns the next tag in the file (empty at the end); character data before it is added
    // to node's text.
    static CString ReadToken(CXML& node, CFile& file);

    static int IsStartTag(const CString& strToken, const CString& strName);
    static CString DecodeEntities(const CString& strText);
    static const char* const kWarningUnmatchedEnd;
    static const char* const kWarningIncomplete;

private:
    static void ParseFrom(CXML& top, std::string_view token, CXMLReader& reader, CXMLWarningSink* pSink);
    // Sets the node's name and attributes from a tag; returns true when content follows.
    static bool BuildFromTag(CXML& node, std::string_view token, int64_t nOffset, CXMLWarningSink* pSink);
    static void SetSortedAttributes(CXML& node, std::string_view attributes);
    static bool IsEndTag(const CXML& node, const std::string& token);
    static void FinishContent(CXML& node);
};

// The text with every control byte (below 0x20, and 0x7F) written as \xHH, so that a warning
// shows the bytes a damaged file holds; printable text is left exactly as it is.
CString EscapeControlBytes(const CString& strText);
