// The texts of the recommendation mail that "Tell a friend" prepares.
#pragma once

#include "framework/core/String.h"

CString RecommendationSubject();
// Four lines and a blank line, with CR LF line ends, ending in the product's home page.
CString RecommendationBody();
