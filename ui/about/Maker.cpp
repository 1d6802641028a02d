#include "Maker.h"

#include "res/MakerNames.h"

const char kMakerName[] = TBOOK_MAKER_NAME;
const char kMakerHost[] = TBOOK_MAKER_HOST;
const char kSupportAddress[] = TBOOK_SUPPORT_ADDRESS;
const char kHomePageUrl[] = TBOOK_HOME_PAGE_URL;
const char kMoreProgramsUrl[] = "http://" TBOOK_MAKER_HOST "/tbook/tstats.html";
