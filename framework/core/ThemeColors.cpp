#include "ThemeColors.h"

#include <algorithm>
#include <cmath>

namespace {

// The light face's note: the system's tooltip yellow under the note's own blue.
const ThemeColor kNoteText = MakeThemeColor(68, 54, 235);

const CThemeColors kDark = {
    kDarkFace,
    MakeThemeColor(0xE6, 0xE8, 0xEC),
    MakeThemeColor(0x1F, 0x1F, 0x1F),
    MakeThemeColor(0xF0, 0xF0, 0xF0),
    MakeThemeColor(0x9A, 0x9A, 0x9A),
    MakeThemeColor(0x2E, 0x5C, 0x8E),
    MakeThemeColor(0xFF, 0xFF, 0xFF),
    // The note's yellow and blue, darkened and lightened.
    MakeThemeColor(0x3A, 0x36, 0x1E),
    MakeThemeColor(0xA8, 0xB8, 0xFF),
};

// The minimum contrast of text against its background.
const double kTextContrast = 4.5;

double Linear(unsigned nChannel) {
    const double c = nChannel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(ThemeColor color) {
    return 0.2126 * Linear(RedOf(color)) + 0.7152 * Linear(GreenOf(color)) + 0.0722 * Linear(BlueOf(color));
}

ThemeColor MixTowardWhite(ThemeColor color, int nPercent) {
    auto mix = [nPercent](unsigned nChannel) { return nChannel + (255 - nChannel) * nPercent / 100; };
    return MakeThemeColor(mix(RedOf(color)), mix(GreenOf(color)), mix(BlueOf(color)));
}

} // namespace

ETheme ChooseTheme(bool bHighContrast, bool bHasAppsValue, uint32_t nAppsUseLightTheme) {
    if (bHighContrast) {
        return ETheme::highContrast;
    }
    return bHasAppsValue && nAppsUseLightTheme == 0 ? ETheme::dark : ETheme::light;
}

CThemeColors ThemeColorsFor(ETheme theme, const CSystemColors& system) {
    if (theme == ETheme::dark) {
        return kDark;
    }
    CThemeColors colors = {system.face,          system.text,     system.window,
                           system.windowText,    system.grayText, system.highlight,
                           system.highlightText, system.infoBack, kNoteText};
    if (theme == ETheme::highContrast) {
        // The user's colours carry the meaning there: the note is an edit like any other.
        colors.noteBack = system.window;
        colors.noteText = system.windowText;
    }
    return colors;
}

ThemeColor AccentOnFace(ETheme theme, const CThemeColors& colors, ThemeColor lightAccent) {
    switch (theme) {
    case ETheme::light: return lightAccent;
    case ETheme::highContrast: return colors.text;
    case ETheme::dark: break;
    }
    for (int nPercent = 0; nPercent <= 100; nPercent += 5) {
        const ThemeColor mixed = MixTowardWhite(lightAccent, nPercent);
        if (ContrastRatio(mixed, colors.face) >= kTextContrast) {
            return mixed;
        }
    }
    return colors.text;
}

double ContrastRatio(ThemeColor first, ThemeColor second) {
    const double a = Luminance(first), b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}
