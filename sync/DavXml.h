// The server's WebDAV and CardDAV XML: the multistatus answers of PROPFIND and REPORT read into
// plain values, the error body of a sync token the server no longer knows, and the request bodies
// the protocol sends. Everything is read through namespace-resolved events, so any prefix or
// default namespace the server picks reads the same. Portable, stateless, reentrant.
#pragma once

#include <string>
#include <vector>

struct CDavResource {
    std::string strHref; // as the server wrote it (surrounding white space removed)
    int nStatus = 0;     // the response's own <status> (404 for a member removed, in sync-collection), or 0
    std::string strEtag; // from a propstat of 200 only, quotes kept as sent
    std::string strContentType;
    bool bCollection = false, bAddressBook = false;
    std::string strDisplayName;
    std::string strAddressData;          // the card (CARDDAV:address-data), indentation before it removed
    std::string strCurrentUserPrincipal; // href inside DAV:current-user-principal
    std::vector<std::string> addressbookHomeSet; // hrefs inside CARDDAV:addressbook-home-set
    bool bSupportsSyncCollection = false;        // DAV:supported-report-set holds DAV:sync-collection
    std::string strSyncToken;                    // DAV:sync-token as a property
    // CARDDAV:supported-address-data lists vCard 4.0: cards are asked for in it, since such a
    // server may keep them in it and hand out a lossy conversion to 3.0 otherwise.
    bool bTakesVCard4 = false;
    // The server cut its answer short here (a 507 status, or DAV:number-of-matches-within-limits).
    bool bTruncated = false;
};

struct CMultiStatus {
    std::vector<CDavResource> resources;
    std::string strSyncToken; // the multistatus's own DAV:sync-token (sync-collection)
    // Some response says the answer was cut short: what it leaves out is not known to be gone.
    bool bTruncated = false;
};

// Reads a DAV:multistatus. Properties under a propstat whose status is not 2xx are ignored. False
// with strError for a document that is not well-formed or whose root is not DAV:multistatus.
[[nodiscard]] bool ParseMultiStatus(const std::string& strBody, CMultiStatus& result, std::string& strError);

// Request bodies, UTF-8 with the XML declaration.
// PROPFIND for finding the principal, the address book homes and the address books: resourcetype,
// displayname, current-user-principal, addressbook-home-set, supported-report-set,
// supported-address-data, sync-token, getetag.
std::string PropfindDiscoveryBody();
// PROPFIND (Depth: 1 over the address book) listing the members: getetag, getcontenttype, resourcetype.
std::string PropfindEtagsBody();
// REPORT sync-collection at sync-level 1 asking getetag and getcontenttype; an empty token asks
// for the initial listing.
std::string SyncCollectionBody(const std::string& strToken);
// REPORT addressbook-multiget of the cards at the hrefs, with getetag and address-data, in vCard
// 4.0 when bVCard4 (for a server that says it takes it) and as the server likes otherwise.
std::string MultigetBody(const std::vector<std::string>& hrefs, bool bVCard4 = false);

// The text with &, <, >, " and ' written as references, for element content and attributes.
std::string EscapeXml(const std::string& str);
