#include "RecommendationText.h"

#include "Maker.h"

CString RecommendationSubject() {
    return "Tovano Address Book";
}

CString RecommendationBody() {
    CString strBody = "Hi!\r\n\r\n";
    strBody += "Just found this cool free software  Tovano Address Book by ";
    strBody += kMakerName;
    strBody += ".\r\n";
    strBody += "Might be interesting for you, too. Here is the link:\r\n";
    strBody += kHomePageUrl;
    strBody += "\r\n\r\n";
    return strBody;
}
