// The texts the scripted server writes: status lines, hrefs, error bodies and multistatus
// documents, with the prefixes real servers use (d: for DAV:, card: for CardDAV).
#pragma once

#include "sync/HttpTransport.h"

#include <functional>
#include <string>
#include <vector>

namespace ScriptedDavText {

constexpr char kMultiStatusStart[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<d:multistatus xmlns:d=\"DAV:\" xmlns:card=\"urn:ietf:params:xml:ns:carddav\">\n";
constexpr char kMultiStatusEnd[] = "</d:multistatus>\n";

std::string Trim(const std::string& str);
// "HTTP/1.1 404 Not Found"
std::string StatusLine(int nStatus);
// A response of that status and no body.
CHttpResponse Status(int nStatus);
// A response of that status whose body is a DAV:error holding the XML given.
CHttpResponse Error(int nStatus, const std::string& strInnerXml);
// A path as an href element's text: escaped for URLs and for XML.
std::string Href(const std::string& strPath);
// A path with its percent-escapes undone.
std::string Unescape(const std::string& strPath);
// A card's text as address-data: escaped for XML, carriage returns as references.
std::string CardXml(const std::string& strCard);
// The hrefs of a multistatus's responses, in their order, as written.
std::vector<std::string> ResponseHrefs(const std::string& strBody);
// Removes the responses of a multistatus whose href the function picks.
void DropResponses(std::string& strBody, const std::function<bool(const std::string& strHref)>& pick);

} // namespace ScriptedDavText
