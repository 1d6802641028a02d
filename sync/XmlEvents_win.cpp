#include "XmlEvents.h"

#include "framework/core/WideText.h"

// windows.h first: the others need its definitions.
#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>
#include <wrl/client.h>
#include <xmllite.h>

#include <cstdio>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The toolchain carries no import library for xmllite, so its one entry point is looked up in the
// system's copy, once per process; the module stays loaded for the process's life.
CreateXmlReaderFn XmlReaderFactory() {
    static const CreateXmlReaderFn s_pfn = [] {
        HMODULE hModule = LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return hModule ? reinterpret_cast<CreateXmlReaderFn>(
                             reinterpret_cast<void*>(GetProcAddress(hModule, "CreateXmlReader")))
                       : nullptr;
    }();
    return s_pfn;
}

std::string Utf8(const WCHAR* pwsz, UINT nLength) {
    if (nLength == 0) {
        return std::string();
    }
    CString str = FromWide(pwsz, static_cast<int>(nLength));
    return std::string(str.GetString(), static_cast<size_t>(str.GetLength()));
}

std::string Failure(const char* pszWhat, HRESULT hr, IXmlReader* pReader) {
    char szCode[16];
    std::snprintf(szCode, sizeof(szCode), "0x%08lX", static_cast<unsigned long>(hr));
    std::string str = std::string(pszWhat) + " (" + szCode + ")";
    UINT nLine = 0;
    if (pReader && SUCCEEDED(pReader->GetLineNumber(&nLine)) && nLine > 0) {
        str += " at line " + std::to_string(nLine);
    }
    return str;
}

// Where the reader stands: a conformant reader never reports two nodes at one place.
struct CNodePlace {
    UINT nLine = 0, nColumn = 0;
    bool operator==(const CNodePlace& other) const {
        return nLine == other.nLine && nColumn == other.nColumn;
    }
};

CNodePlace PlaceOf(IXmlReader* pReader) {
    CNodePlace place;
    if (FAILED(pReader->GetLineNumber(&place.nLine)) || FAILED(pReader->GetLinePosition(&place.nColumn))) {
        place = CNodePlace();
    }
    return place;
}

// Hands the attributes of the element the reader stands on to the handler, and stands on the
// element again. Namespace declarations are the reader's business, not the document's data.
bool ReportAttributes(IXmlReader* pReader, IXmlHandler& handler, std::string& strError) {
    static const wchar_t s_szXmlns[] = L"http://www.w3.org/2000/xmlns/";
    for (HRESULT hr = pReader->MoveToFirstAttribute(); hr == S_OK; hr = pReader->MoveToNextAttribute()) {
        const WCHAR* pwszNamespace = nullptr;
        const WCHAR* pwszLocal = nullptr;
        const WCHAR* pwszValue = nullptr;
        UINT nNamespace = 0, nLocal = 0, nValue = 0;
        if (FAILED(pReader->GetNamespaceUri(&pwszNamespace, &nNamespace)) ||
            FAILED(pReader->GetLocalName(&pwszLocal, &nLocal)) ||
            FAILED(pReader->GetValue(&pwszValue, &nValue))) {
            strError = Failure("an attribute cannot be read", E_FAIL, pReader);
            return false;
        }
        bool bDeclaration = std::wstring(pwszNamespace, nNamespace) == s_szXmlns ||
                            (nNamespace == 0 && std::wstring(pwszLocal, nLocal) == L"xmlns");
        if (!bDeclaration) {
            handler.Attribute(Utf8(pwszNamespace, nNamespace), Utf8(pwszLocal, nLocal), Utf8(pwszValue, nValue));
        }
    }
    pReader->MoveToElement();
    return true;
}

// Hands one element's start to the handler; an empty element gets its end at once, as XmlLite
// reports none for it. openElements holds where each open element started.
bool StartElement(IXmlReader* pReader, IXmlHandler& handler, std::vector<CNodePlace>& openElements,
                  const CNodePlace& place, std::string& strError) {
    const WCHAR* pwszNamespace = nullptr;
    const WCHAR* pwszLocal = nullptr;
    UINT nNamespace = 0, nLocal = 0;
    HRESULT hr = pReader->GetNamespaceUri(&pwszNamespace, &nNamespace);
    if (SUCCEEDED(hr)) {
        hr = pReader->GetLocalName(&pwszLocal, &nLocal);
    }
    const WCHAR* pwszQualified = nullptr;
    UINT nQualified = 0;
    if (SUCCEEDED(hr)) {
        hr = pReader->GetQualifiedName(&pwszQualified, &nQualified);
    }
    if (FAILED(hr)) {
        strError = Failure("the element's name cannot be read", hr, pReader);
        return false;
    }
    // Not every implementation refuses a prefix that no xmlns attribute declares.
    if (nQualified != nLocal && nNamespace == 0) {
        strError = "an element's prefix is not declared";
        return false;
    }
    bool bEmpty = pReader->IsEmptyElement() != FALSE;
    if (openElements.size() + 1 > static_cast<size_t>(kMaxXmlDepth)) {
        strError = "the document nests too deeply";
        return false;
    }
    handler.StartElement(Utf8(pwszNamespace, nNamespace), Utf8(pwszLocal, nLocal));
    if (!ReportAttributes(pReader, handler, strError)) {
        return false;
    }
    if (bEmpty) {
        handler.EndElement();
    } else {
        openElements.push_back(place);
    }
    return true;
}

// A reader of the document, with the DTDs that could declare entities expanding without bound
// refused; null after saying why it cannot be had. The stream must outlive the reader.
ComPtr<IXmlReader> StartReader(const std::string& strXml, ComPtr<IStream>& stream, std::string& strError) {
    CreateXmlReaderFn pfnCreate = XmlReaderFactory();
    if (!pfnCreate) {
        strError = "the system's XML reader (xmllite.dll) is not available";
        return nullptr;
    }
    stream.Attach(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(strXml.data()), static_cast<UINT>(strXml.size())));
    if (!stream) {
        strError = "out of memory";
        return nullptr;
    }
    ComPtr<IXmlReader> reader;
    HRESULT hr = pfnCreate(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.GetAddressOf()), nullptr);
    if (SUCCEEDED(hr)) {
        hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    }
    if (SUCCEEDED(hr)) {
        hr = reader->SetInput(stream.Get());
    }
    if (FAILED(hr)) {
        strError = Failure("the system's XML reader cannot be started", hr, nullptr);
        return nullptr;
    }
    return reader;
}

// Text inside an element goes to the handler; outside the document element only white space is
// allowed.
bool ReportText(IXmlReader* pReader, XmlNodeType nodeType, bool bInElement, IXmlHandler& handler,
                std::string& strError) {
    if (!bInElement) {
        if (nodeType != XmlNodeType_Whitespace) {
            strError = "text outside the document element";
            return false;
        }
        return true;
    }
    const WCHAR* pwszValue = nullptr;
    UINT nValue = 0;
    HRESULT hr = pReader->GetValue(&pwszValue, &nValue);
    if (FAILED(hr)) {
        strError = Failure("a text cannot be read", hr, pReader);
        return false;
    }
    handler.Text(Utf8(pwszValue, nValue));
    return true;
}

} // namespace

bool ReadXmlEvents(const std::string& strXml, IXmlHandler& handler, std::string& strError) {
    strError.clear();
    if (strXml.size() > kMaxXmlSize) {
        strError = "the document is too large";
        return false;
    }
    ComPtr<IStream> stream;
    ComPtr<IXmlReader> reader = StartReader(strXml, stream, strError);
    if (!reader) {
        return false;
    }

    // Some implementations of the reader do not fail a document cut short: at its end they
    // report the last node again, or an end for an element still open, placed at its start tag.
    // Both are caught by where the nodes stand.
    std::vector<CNodePlace> openElements;
    bool bRootSeen = false;
    CNodePlace lastPlace;
    XmlNodeType lastType = XmlNodeType_None;
    XmlNodeType nodeType = XmlNodeType_None;
    HRESULT hr = S_OK;
    while ((hr = reader->Read(&nodeType)) == S_OK) {
        CNodePlace place = PlaceOf(reader.Get());
        if (place.nLine != 0 && nodeType == lastType && place == lastPlace) {
            strError = "the document ends early";
            return false;
        }
        lastType = nodeType;
        lastPlace = place;
        switch (nodeType) {
        case XmlNodeType_Element:
            if (openElements.empty() && bRootSeen) {
                strError = "junk after the document element";
                return false;
            }
            bRootSeen = true;
            if (!StartElement(reader.Get(), handler, openElements, place, strError)) {
                return false;
            }
            break;
        case XmlNodeType_EndElement:
            if (openElements.empty() || (place.nLine != 0 && openElements.back() == place)) {
                strError = "the document ends early";
                return false;
            }
            openElements.pop_back();
            handler.EndElement();
            break;
        case XmlNodeType_Text:
        case XmlNodeType_CDATA:
        case XmlNodeType_Whitespace:
            if (!ReportText(reader.Get(), nodeType, !openElements.empty(), handler, strError)) {
                return false;
            }
            break;
        case XmlNodeType_DocumentType: strError = "the document has a DTD"; return false;
        default: break; // declaration, comments, processing instructions
        }
    }
    if (FAILED(hr)) {
        strError = Failure("the document is not well-formed", hr, reader.Get());
        return false;
    }
    if (!bRootSeen || !openElements.empty()) {
        strError = "the document ends early";
        return false;
    }
    return true;
}
