// The synchronisation under Wine, through WinHTTP, against a real radicale on this machine: a
// first sync that sends 1,000 contacts to an empty address book, and a sync with nothing to do,
// each beside a plain PROPFIND of the same 1,000 cards in the same run. The servers come from
// the env file that tests/sync/dav_servers.py writes; the script that runs this starts them.
#include "BenchContacts.h"
#include "BenchWin.h"
#include "sync/DavXml.h"
#include "sync/HttpClient.h"
#include "sync/SyncEngine.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>

namespace {

const int kContacts = 1000;

std::map<std::string, std::string> ReadSettings(const char* pszPath) {
    std::map<std::string, std::string> settings;
    std::ifstream file(pszPath);
    std::string strLine;
    while (std::getline(file, strLine)) {
        size_t nEquals = strLine.find('=');
        if (nEquals != std::string::npos) {
            settings[strLine.substr(0, nEquals)] = strLine.substr(nEquals + 1);
        }
    }
    return settings;
}

bool MakeBook(IHttpTransport& http, const std::string& strUrl) {
    CHttpRequest request{"MKCOL", strUrl, {{"Content-Type", "application/xml; charset=utf-8"}},
                         "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:mkcol xmlns:D=\"DAV:\" "
                         "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype>"
                         "<D:collection/><C:addressbook/></D:resourcetype></D:prop></D:set></D:mkcol>"};
    return http.Send(request).nStatus == 201;
}

} // namespace

int main(int argc, char** argv) {
    int nRepetitions = 3;
    const char* pszServers = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--reps") == 0) {
            nRepetitions = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--servers") == 0) {
            pszServers = argv[i + 1];
        }
    }
    std::map<std::string, std::string> settings = pszServers ? ReadSettings(pszServers) : std::map<std::string, std::string>();
    if (settings["RADICALE_BOOK"].empty()) {
        std::fprintf(stderr, "usage: sync_bench --servers DAV_SERVERS_ENV [--reps N]\n");
        return 2;
    }
    CHttpOptions options;
    options.strUser = settings["DAV_USER"];
    options.strPassword = settings["DAV_PASSWORD"];
    std::unique_ptr<IHttpTransport> http = MakeHttpTransport(options);
    const std::string strHome = settings["RADICALE_BOOK"].substr(0, settings["RADICALE_BOOK"].rfind('/', settings["RADICALE_BOOK"].size() - 2) + 1);
    CContactArray contacts = GenerateContacts(kContacts, kBenchSeed);

    std::vector<double> firstSync, idleSync, propfind;
    for (int nRep = 0; nRep < nRepetitions; ++nRep) {
        std::string strBook = strHome + "bench-" + std::to_string(::GetTickCount()) + "-" + std::to_string(nRep) + "/";
        if (!MakeBook(*http, strBook)) {
            std::fprintf(stderr, "sync_bench: cannot make the address book %s\n", strBook.c_str());
            return 2;
        }
        CStopwatch watch;
        CSyncOutcome first = Synchronise(contacts, CSyncState(), *http, strBook, options.strUser);
        firstSync.push_back(watch.ElapsedMs());
        if (!first.bOk || first.summary.nSent != kContacts) {
            std::fprintf(stderr, "sync_bench: the first sync failed: %s\n", first.strError.c_str());
            return 2;
        }
        watch.Restart();
        CSyncOutcome idle = Synchronise(contacts, first.state, *http, strBook, options.strUser);
        idleSync.push_back(watch.ElapsedMs());
        if (!idle.bOk || idle.summary.nSent + idle.summary.nReceived != 0) {
            std::fprintf(stderr, "sync_bench: the second sync had work: %s\n", idle.strError.c_str());
            return 2;
        }
        watch.Restart();
        CHttpResponse listing = http->Send({"PROPFIND", strBook, {{"Depth", "1"}, {"Content-Type", "application/xml"}},
                                            PropfindEtagsBody()});
        propfind.push_back(watch.ElapsedMs());
        if (listing.nStatus != 207) {
            std::fprintf(stderr, "sync_bench: PROPFIND answered %d\n", listing.nStatus);
            return 2;
        }
        http->Send({"DELETE", strBook, {}, ""});
    }
    double dPropfind = Median(propfind);
    std::printf("%-44s %10s %10s\n", "case (1,000 contacts, radicale, WinHTTP)", "median ms", "x PROPFIND");
    std::printf("%-44s %10.1f %10s\n", "PROPFIND Depth 1 of the book (reference)", dPropfind, "1.00");
    std::printf("%-44s %10.1f %10.2f\n", "first sync: all 1,000 sent", Median(firstSync), Median(firstSync) / dPropfind);
    std::printf("%-44s %10.1f %10.2f\n", "sync with nothing to do", Median(idleSync), Median(idleSync) / dPropfind);
    return 0;
}
