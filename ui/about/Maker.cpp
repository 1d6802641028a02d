#include "Maker.h"

#define TBOOK_MAKER_HOST "www.tovanosoft.example"

const char kMakerName[] = "TovanoSoft";
const char kMakerHost[] = TBOOK_MAKER_HOST;
const char kSupportAddress[] = "support@tovanosoft.example";
const char kHomePageUrl[] = "http://" TBOOK_MAKER_HOST "/tbook/index.html";
const char kMoreProgramsUrl[] = "http://" TBOOK_MAKER_HOST "/tbook/tstats.html";
