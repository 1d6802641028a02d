// Who makes the program and where it lives on the web: the one place that names them, read by
// the resources (the About dialog) and by the code alike.
#pragma once

#define TBOOK_MAKER_NAME "TovanoSoft"
#define TBOOK_MAKER_HOST "tovano.example"
#define TBOOK_SUPPORT_ADDRESS "support@tovano.example"
#define TBOOK_HOME_PAGE_URL "http://" TBOOK_MAKER_HOST "/tbook/index.html"
