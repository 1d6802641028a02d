// Who makes the program and where it lives on the web: the one place that names them.
#pragma once

#define TBOOK_MAKER_HOST "www.tovanosoft.example"

inline constexpr char kMakerName[] = "TovanoSoft";
inline constexpr char kMakerHost[] = TBOOK_MAKER_HOST;
inline constexpr char kSupportAddress[] = "support@tovanosoft.example";
inline constexpr char kHomePageUrl[] = "http://" TBOOK_MAKER_HOST "/tbook/index.html";
inline constexpr char kMoreProgramsUrl[] = "http://" TBOOK_MAKER_HOST "/tbook/tstats.html";
