// Who makes the program and where it lives on the web (named in res/MakerNames.h).
#pragma once

extern const char kMakerName[];
extern const char kMakerHost[];
extern const char kSupportAddress[];
// Both on the maker's host, over plain http.
extern const char kHomePageUrl[];
extern const char kMoreProgramsUrl[];
