// The test servers' addresses and account, from the file tests/sync/dav_servers.py writes
// (KEY=VALUE lines); TBOOK_DAV_SERVERS_ENV names it for each test program that uses them.
#pragma once

#include <fstream>
#include <map>
#include <string>

inline std::map<std::string, std::string> ReadDavServers() {
    std::map<std::string, std::string> values;
    std::ifstream file(TBOOK_DAV_SERVERS_ENV);
    std::string strLine;
    while (std::getline(file, strLine)) {
        size_t nEquals = strLine.find('=');
        if (nEquals != std::string::npos) {
            values[strLine.substr(0, nEquals)] = strLine.substr(nEquals + 1);
        }
    }
    return values;
}
