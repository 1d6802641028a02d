#include "XmlEvents.h"

#include <expat.h>

#include <climits>
#include <memory>
#include <utility>

namespace {

// Names arrive as "URI<separator>local". A control character can never be part of a namespace
// URI in XML 1.0 (not even as a character reference), so it splits them unambiguously.
const char kNamespaceSeparator = '\x01';

struct CParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

struct CReadState {
    XML_Parser parser = nullptr;
    IXmlHandler* pHandler = nullptr;
    int nDepth = 0;
    std::string strRefusal; // why the reader stopped a well-formed document
};

void Refuse(CReadState& state, const char* pszWhy) {
    if (state.strRefusal.empty()) {
        state.strRefusal = pszWhy;
    }
    XML_StopParser(state.parser, XML_FALSE);
}

// Splits an expanded name into its namespace URI and local name.
std::pair<std::string, std::string> SplitName(const XML_Char* pszName) {
    std::string strName(pszName);
    size_t nSeparator = strName.find(kNamespaceSeparator);
    if (nSeparator == std::string::npos) {
        return {std::string(), strName};
    }
    return {strName.substr(0, nSeparator), strName.substr(nSeparator + 1)};
}

void XMLCALL OnStart(void* pUser, const XML_Char* pszName, const XML_Char** ppAttributes) {
    CReadState& state = *static_cast<CReadState*>(pUser);
    if (++state.nDepth > kMaxXmlDepth) {
        Refuse(state, "the document nests too deeply");
        return;
    }
    auto name = SplitName(pszName);
    state.pHandler->StartElement(name.first, name.second);
    // In namespace mode expat keeps the xmlns declarations to itself.
    for (const XML_Char** ppPair = ppAttributes; ppPair[0] != nullptr; ppPair += 2) {
        auto attribute = SplitName(ppPair[0]);
        state.pHandler->Attribute(attribute.first, attribute.second, ppPair[1]);
    }
}

void XMLCALL OnEnd(void* pUser, const XML_Char* /*pszName*/) {
    CReadState& state = *static_cast<CReadState*>(pUser);
    --state.nDepth;
    state.pHandler->EndElement();
}

void XMLCALL OnText(void* pUser, const XML_Char* pchText, int nLength) {
    CReadState& state = *static_cast<CReadState*>(pUser);
    state.pHandler->Text(std::string(pchText, static_cast<size_t>(nLength)));
}

void XMLCALL OnDoctype(void* pUser, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    Refuse(*static_cast<CReadState*>(pUser), "the document has a DTD");
}

} // namespace

bool ReadXmlEvents(const std::string& strXml, IXmlHandler& handler, std::string& strError) {
    strError.clear();
    if (strXml.size() > kMaxXmlSize || strXml.size() > static_cast<size_t>(INT_MAX)) {
        strError = "the document is too large";
        return false;
    }
    std::unique_ptr<XML_ParserStruct, CParserDeleter> parser(
        XML_ParserCreateNS(nullptr, kNamespaceSeparator));
    if (!parser) {
        strError = "out of memory";
        return false;
    }
    CReadState state;
    state.parser = parser.get();
    state.pHandler = &handler;
    XML_SetUserData(parser.get(), &state);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.get(), OnText);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
    // No external entity or DTD is ever fetched.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);

    XML_Status status = XML_Parse(parser.get(), strXml.data(), static_cast<int>(strXml.size()), XML_TRUE);
    if (!state.strRefusal.empty()) {
        strError = state.strRefusal;
        return false;
    }
    if (status != XML_STATUS_OK) {
        strError = std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) + " at line " +
                   std::to_string(XML_GetCurrentLineNumber(parser.get()));
        return false;
    }
    return true;
}
