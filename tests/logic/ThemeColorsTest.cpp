#include "framework/core/ThemeColors.h"
#include "ui/controls/ArtLogic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Two palettes a user might have set, every role in a colour of its own.
const CSystemColors kClassic = {
    MakeThemeColor(240, 240, 240), MakeThemeColor(0, 0, 0),       MakeThemeColor(255, 255, 255),
    MakeThemeColor(0, 0, 0),       MakeThemeColor(109, 109, 109), MakeThemeColor(0, 120, 215),
    MakeThemeColor(255, 255, 255), MakeThemeColor(255, 255, 225),
};
const CSystemColors kHighContrastBlack = {
    MakeThemeColor(0, 0, 0),     MakeThemeColor(255, 255, 254), MakeThemeColor(1, 1, 1),
    MakeThemeColor(255, 255, 0), MakeThemeColor(63, 242, 63),   MakeThemeColor(26, 235, 255),
    MakeThemeColor(2, 2, 2),     MakeThemeColor(3, 3, 3),
};

// The pairs of a face that carry text, each with its background.
std::vector<std::pair<ThemeColor, ThemeColor>> TextPairs(const CThemeColors& colors) {
    return {{colors.text, colors.face},
            {colors.windowText, colors.window},
            {colors.selectionText, colors.selection},
            {colors.noteText, colors.noteBack}};
}

} // namespace

TEST(ThemeColorsTest, HighContrastWinsAndOnlyADarkAppsValueIsDark) {
    const struct {
        bool bHighContrast;
        bool bHasValue;
        uint32_t nValue;
        ETheme expected;
    } cases[] = {
        {false, false, 0, ETheme::light},      {false, true, 1, ETheme::light},
        {false, true, 0, ETheme::dark},        {false, true, 2, ETheme::light},
        {true, true, 0, ETheme::highContrast}, {true, false, 0, ETheme::highContrast},
        {true, true, 1, ETheme::highContrast},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ChooseTheme(c.bHighContrast, c.bHasValue, c.nValue))
            << c.bHighContrast << " " << c.bHasValue << " " << c.nValue;
    }
}

// High contrast is the system's colours only, the note and accents too; the light face is the
// system's with the note's own yellow and blue, and accents stay as they are.
TEST(ThemeColorsTest, HighContrastAndTheLightFaceKeepTheSystemsColours) {
    const CSystemColors& hc = kHighContrastBlack;
    const CSystemColors& cl = kClassic;
    const ThemeColor accent = MakeThemeColor(60, 60, 220);
    const struct {
        ETheme theme;
        const CSystemColors& system;
        std::vector<ThemeColor> expected; // face to note text, as below
        ThemeColor accent;
    } cases[] = {
        {ETheme::highContrast, hc,
         {hc.face, hc.text, hc.window, hc.windowText, hc.grayText, hc.highlight, hc.highlightText, hc.window,
          hc.windowText},
         hc.text},
        {ETheme::light, cl,
         {cl.face, cl.text, cl.window, cl.windowText, cl.grayText, cl.highlight, cl.highlightText, cl.infoBack,
          MakeThemeColor(68, 54, 235)},
         accent},
    };
    for (const auto& t : cases) {
        const CThemeColors c = ThemeColorsFor(t.theme, t.system);
        EXPECT_EQ(t.expected, (std::vector<ThemeColor>{c.face, c.text, c.window, c.windowText, c.grayText, c.selection,
                                                       c.selectionText, c.noteBack, c.noteText}));
        EXPECT_EQ(t.accent, AccentOnFace(t.theme, c, accent));
    }
}

// The dark face is the program's own whatever the system's colours, its background is the one the
// dark pictures were drawn on, and every text on it reads well.
TEST(ThemeColorsTest, DarkFaceIsItsOwnAndEveryTextOnItReadsWell) {
    const CThemeColors dark = ThemeColorsFor(ETheme::dark, kClassic);
    const CThemeColors other = ThemeColorsFor(ETheme::dark, kHighContrastBlack);
    EXPECT_EQ(0, std::memcmp(&dark, &other, sizeof dark));
    EXPECT_EQ(MakeThemeColor(kArtDarkFace >> 16, kArtDarkFace >> 8 & 0xFF, kArtDarkFace & 0xFF), dark.face);
    for (const auto& pair : TextPairs(dark)) {
        EXPECT_GE(ContrastRatio(pair.first, pair.second), 4.5)
            << std::hex << pair.first << " on " << pair.second;
        EXPECT_LT(ContrastRatio(pair.second, kDarkFace), 3.0) << std::hex << pair.second << " is not dark";
    }
    EXPECT_GE(ContrastRatio(dark.grayText, dark.face), 3.0);
    EXPECT_LT(ContrastRatio(dark.grayText, dark.face), ContrastRatio(dark.text, dark.face));
}

// The About box's accents on the dark face: lightened just enough to read, each still its own hue.
TEST(ThemeColorsTest, DarkAccentsAreLightenedToReadAndKeepTheirHue) {
    const CThemeColors dark = ThemeColorsFor(ETheme::dark, kClassic);
    const ThemeColor accents[] = {MakeThemeColor(60, 60, 220), MakeThemeColor(190, 60, 60),
                                  MakeThemeColor(100, 100, 220), MakeThemeColor(0, 0, 0)};
    for (ThemeColor accent : accents) {
        SCOPED_TRACE(accent);
        const ThemeColor shown = AccentOnFace(ETheme::dark, dark, accent);
        EXPECT_GE(ContrastRatio(shown, dark.face), 4.5);
        EXPECT_GE(RedOf(shown), RedOf(accent));
        EXPECT_GE(BlueOf(shown), BlueOf(accent));
        if (accent != MakeThemeColor(0, 0, 0)) {
            EXPECT_NE(dark.text, shown);
            // The strongest channel stays the strongest.
            EXPECT_EQ(BlueOf(accent) > RedOf(accent), BlueOf(shown) > RedOf(shown));
        }
    }
    // A colour that reads already is left alone.
    EXPECT_EQ(MakeThemeColor(255, 200, 120), AccentOnFace(ETheme::dark, dark, MakeThemeColor(255, 200, 120)));
}
