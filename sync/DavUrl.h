// The URLs of synchronisation: a server names resources by hrefs (full URLs, absolute paths or
// paths relative to the request) and spells the same resource in more than one way. These turn
// an href into the URL to request and decide whether two spellings name one resource. Portable,
// pure functions of their texts.
#pragma once

#include <string>

// The absolute URL of an href (absolute URL, absolute path or relative path) against the URL it
// came from, dot segments removed.
std::string ResolveHref(const std::string& strBaseUrl, const std::string& strHref);
// Whether two hrefs or URLs name the same resource: scheme/host case, default port,
// percent-encoding of unreserved characters and a trailing slash ignored. When either is a bare
// path, only the paths are compared.
bool IsSameResource(const std::string& a, const std::string& b);
// The path part of a URL ("/dav/anna/contacts/"; "/" for none), without query or fragment.
std::string UrlPath(const std::string& strUrl);
// The origin of a URL ("https://host:8443"): scheme and host in lower case, the port as written,
// no user information; empty for a URL without a host.
std::string UrlOrigin(const std::string& strUrl);
// Whether two URLs (or origins) belong to one origin: the same scheme and host, compared without
// case, and the same port, where a port that is the scheme's default (80, 443) equals none. False
// when either has no scheme or no host.
bool IsSameOrigin(const std::string& a, const std::string& b);
// A URL as a person reads it: escapes of UTF-8 text and of blanks decoded ("My%20Contacts" as
// "My Contacts"); those that would change its meaning (/ ? # %) or hide a control character stay.
// Only for showing: requests keep the URL as the server gave it.
std::string DisplayUrl(const std::string& strUrl);
// An address as the user typed it, trimmed; one without its scheme ("dav.example.com/anna") is
// taken as https.
std::string CompleteAddress(const std::string& strTyped);
