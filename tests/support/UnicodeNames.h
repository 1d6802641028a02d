// Names in many scripts, for the round trips of every kind of text: as the user types them, in
// UTF-8. Each has a first and a last name; the last one is outside the Basic Multilingual Plane.
#pragma once

struct CUnicodeName {
    const char* pszScript;
    const char* pszFirst;
    const char* pszLast;
};

const CUnicodeName kUnicodeNames[] = {
    {"Latin with diacritics", "\xC5\x81ukasz", "\xC5\xBB\xC3\xB3\xC5\x82\xC4\x87"},          // Łukasz Żółć
    {"French", "\xC3\x89mile", "Z\xC3\xB6lle \"Ch\xC3\xA9ri\""},                                // Émile Zölle "Chéri"
    {"Greek", "\xCE\xA3\xCE\xBF\xCF\x86\xCE\xAF\xCE\xB1", "\xCE\xA0\xCE\xB1\xCF\x80\xCE\xAC"}, // Σοφία Παπά
    {"Cyrillic", "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9",
     "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"},                                     // Дмитрий Иванов
    {"Hebrew", "\xD7\x93\xD7\x95\xD7\x93", "\xD7\x9B\xD7\x94\xD7\x9F"},                        // דוד כהן
    {"Arabic", "\xD9\x85\xD8\xAD\xD9\x85\xD8\xAF", "\xD8\xB9\xD9\x84\xD9\x8A"},                // محمد علي
    {"Devanagari", "\xE0\xA4\x85\xE0\xA4\xB0\xE0\xA5\x8D\xE0\xA4\x9C\xE0\xA5\x81\xE0\xA4\xA8",
     "\xE0\xA4\xB6\xE0\xA4\xB0\xE0\xA5\x8D\xE0\xA4\xAE\xE0\xA4\xBE"},                          // अर्जुन शर्मा
    {"Chinese", "\xE5\xA4\xA7\xE6\x96\x87", "\xE9\x99\xB3"},                                    // 大文 陳
    {"Japanese", "\xE5\xA4\xAA\xE9\x83\x8E", "\xE3\x82\x84\xE3\x81\xBE\xE3\x81\xA0"},          // 太郎 やまだ
    {"Korean", "\xEB\xAF\xBC\xEC\xA4\x80", "\xEA\xB9\x80"},                                     // 민준 김
    {"Emoji", "\xF0\x9F\x98\x80 Party", "\xF0\xA0\x80\x8B\xF0\x9F\x8E\x89"},                   // 😀 Party, 𠀋🎉
};
