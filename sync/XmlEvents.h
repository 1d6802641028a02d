// A namespace-aware stream of XML events for the server's responses: each element arrives as its
// namespace URI and local name, whatever prefix or default namespace the server chose, then its
// attributes (namespace declarations left out), then its text (entity and character references resolved, CDATA unwrapped), then its end. The reader is
// the platform's own (XmlLite on Windows, expat elsewhere); this interface keeps both giving the
// same answers. Documents with a DTD are refused, so no entity declared in one ever expands.
// Stateless and reentrant; the handler is called on the caller's thread.
#pragma once

#include <cstddef>
#include <string>

class IXmlHandler {
public:
    virtual ~IXmlHandler() = default;
    virtual void StartElement(const std::string& strNamespace, const std::string& strLocalName) = 0;
    // Each attribute of the element that started last, before anything inside it.
    virtual void Attribute(const std::string& /*strNamespace*/, const std::string& /*strLocalName*/,
                           const std::string& /*strValue*/) {}
    virtual void EndElement() = 0;
    virtual void Text(const std::string& strUtf8) = 0; // may come in pieces
};

// Responses nest a handful of levels; a far deeper document is hostile, and refusing it keeps
// every handler's stack small.
constexpr int kMaxXmlDepth = 256;
// A multiget of a very large address book stays well below this; anything bigger is refused
// before it is parsed.
constexpr size_t kMaxXmlSize = size_t(512) * 1024 * 1024;

// Reads the whole document, resolving prefixes to namespace URIs; false with strError for a
// document that is not well-formed, has a DTD, nests deeper than kMaxXmlDepth or is larger than
// kMaxXmlSize (the handler may have seen part of it).
[[nodiscard]] bool ReadXmlEvents(const std::string& strXml, IXmlHandler& handler, std::string& strError);
