// The colours the windows paint in, by the look the user chose for the system: the light face
// (the system's own colours, as the program always had them), the dark face (the program's own
// dark colours) and high contrast (the system's colours and nothing else, not even the colours
// that carry meaning elsewhere). Which look applies, and its colours, are plain functions of the
// settings and the system's colours, which the caller reads; nothing here keeps state.
//
// Colours are 0x00BBGGRR, as Windows gives them.
#pragma once

#include <cstdint>

using ThemeColor = uint32_t;

constexpr ThemeColor MakeThemeColor(unsigned nRed, unsigned nGreen, unsigned nBlue) {
    return (nRed & 0xFF) | (nGreen & 0xFF) << 8 | (nBlue & 0xFF) << 16;
}
constexpr unsigned RedOf(ThemeColor color) { return color & 0xFF; }
constexpr unsigned GreenOf(ThemeColor color) { return color >> 8 & 0xFF; }
constexpr unsigned BlueOf(ThemeColor color) { return color >> 16 & 0xFF; }

enum class ETheme { light, dark, highContrast };

// High contrast wins over the apps' mode; the apps' mode is dark only when its value is there
// and 0 ("AppsUseLightTheme" missing means light, as on systems that never had the setting).
ETheme ChooseTheme(bool bHighContrast, bool bHasAppsValue, uint32_t nAppsUseLightTheme);

// The system's colours the light and high-contrast faces are made of.
struct CSystemColors {
    ThemeColor face;          // COLOR_BTNFACE
    ThemeColor text;          // COLOR_BTNTEXT
    ThemeColor window;        // COLOR_WINDOW
    ThemeColor windowText;    // COLOR_WINDOWTEXT
    ThemeColor grayText;      // COLOR_GRAYTEXT
    ThemeColor highlight;     // COLOR_HIGHLIGHT
    ThemeColor highlightText; // COLOR_HIGHLIGHTTEXT
    ThemeColor infoBack;      // COLOR_INFOBK
};

struct CThemeColors {
    ThemeColor face;          // dialogs, labels, the status bar
    ThemeColor text;          // on the face
    ThemeColor window;        // edits, lists, drop-downs
    ThemeColor windowText;    // in them
    ThemeColor grayText;      // disabled text
    ThemeColor selection;     // a selected row
    ThemeColor selectionText; // in it
    ThemeColor noteBack;      // the editor's note
    ThemeColor noteText;
};

// The dark face, on which the dark pictures were drawn.
const ThemeColor kDarkFace = MakeThemeColor(0x2B, 0x2B, 0x2B);

CThemeColors ThemeColorsFor(ETheme theme, const CSystemColors& system);

// A colour that sets a text apart on the light face (a label's accent), as it shows on the
// theme's face: itself on the light face, lightened on the dark face until it reads as well as
// ordinary text should (keeping its hue), and the face's own text colour in high contrast.
ThemeColor AccentOnFace(ETheme theme, const CThemeColors& colors, ThemeColor lightAccent);

// The contrast ratio of two colours, 1 to 21, as the accessibility guidelines define it; text
// wants 4.5 or more.
double ContrastRatio(ThemeColor first, ThemeColor second);
