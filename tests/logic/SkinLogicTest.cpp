#include "ui/controls/SkinLogic.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream& operator<<(std::ostream& os, const CRectI& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
static bool operator==(const CRectI& a, const CRectI& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SkinLogicTest, ToggleDrawsPressedWhileCheckedAndPicksColoursAndImage) {
    struct Case {
        bool bCheckBox, bChecked, bSelected, bFocus;
        bool bPressed;
        ESkinColors colors;
        ESkinImage image; // with both images set
    };
    const Case cases[] = {
        {true, false, false, false, false, kSkinColorsNormal, kSkinImageOut},
        {true, true, false, false, true, kSkinColorsActive, kSkinImageIn},
        {true, false, false, true, false, kSkinColorsFocused, kSkinImageOut},
        {true, true, false, true, true, kSkinColorsActive, kSkinImageIn},
        {false, true, false, false, false, kSkinColorsNormal, kSkinImageOut}, // a push button ignores checks
        {false, false, true, true, true, kSkinColorsActive, kSkinImageIn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bCheckBox << c.bChecked << c.bSelected << c.bFocus);
        CSkinDrawState state = ChooseSkinDrawState(c.bCheckBox, c.bChecked, c.bSelected, c.bFocus);
        EXPECT_EQ(c.bPressed, state.bPressed);
        EXPECT_EQ(c.bFocus, state.bFocused);
        EXPECT_EQ(c.colors, ChooseSkinColors(state.bPressed, state.bFocused));
        EXPECT_EQ(c.image, ChooseSkinImage(state.bPressed, true, true));
    }
    EXPECT_EQ(kSkinImageIn, ChooseSkinImage(false, true, false));
    EXPECT_EQ(kSkinImageNone, ChooseSkinImage(true, false, false));
}

TEST(SkinLogicTest, BorderFollowsLookAndPress) {
    EXPECT_EQ(kSkinBorderRaised, ChooseSkinBorder(false, false, true));
    EXPECT_EQ(kSkinBorderFrame, ChooseSkinBorder(true, false, true));
    EXPECT_EQ(kSkinBorderNone, ChooseSkinBorder(false, true, true));
    EXPECT_EQ(kSkinBorderSunken, ChooseSkinBorder(true, true, true));
    EXPECT_EQ(kSkinBorderNone, ChooseSkinBorder(true, true, false));
}

TEST(SkinLogicTest, FocusedThreeDimensionalButtonIsFramedWithFocusFourPixelsInside) {
    const CRectI item = {0, 0, 55, 55};
    CSkinFace focused = LayoutSkinFace(item, false, false, true, false);
    EXPECT_TRUE(focused.bBlackFrame);
    EXPECT_EQ((CRectI{1, 1, 54, 54}), focused.rcFace);
    EXPECT_TRUE(focused.bFocusRect);
    EXPECT_EQ((CRectI{4, 4, 51, 51}), focused.rcFocus);

    CSkinFace byDefault = LayoutSkinFace(item, false, false, false, true);
    EXPECT_TRUE(byDefault.bBlackFrame);
    EXPECT_FALSE(byDefault.bFocusRect);

    CSkinFace flat = LayoutSkinFace(item, true, false, true, true);
    EXPECT_FALSE(flat.bBlackFrame);
    EXPECT_EQ(item, flat.rcFace);
    EXPECT_FALSE(flat.bFocusRect);
    EXPECT_TRUE(LayoutSkinFace(item, true, true, true, false).bFocusRect);
}

TEST(SkinLogicTest, RaisedBevelRunsAlongTheEdgesInDrawingOrder) {
    CBevelLine lines[kBevelLineCount];
    RaisedBevelLines({1, 1, 54, 54}, lines);
    const CBevelLine expected[kBevelLineCount] = {
        {kBevelHighlight, 1, 53, 1, 1, 54, 1},
        {kBevelLight, 2, 53, 2, 2, 54, 2},
        {kBevelDarkShadow, 1, 53, 53, 53, 53, 0},
        {kBevelShadow, 2, 52, 52, 52, 52, 1},
    };
    for (int i = 0; i < kBevelLineCount; ++i) {
        SCOPED_TRACE(i);
        const CBevelLine &a = expected[i], &b = lines[i];
        EXPECT_EQ(a.color, b.color);
        EXPECT_EQ((CRectI{a.x0, a.y0, a.x1, a.y1}), (CRectI{b.x0, b.y0, b.x1, b.y1}));
        EXPECT_EQ(a.x2, b.x2);
        EXPECT_EQ(a.y2, b.y2);
    }
}

TEST(SkinLogicTest, ImageIsCentredOrPutBesideTheCaptionWithTruncatedHalves) {
    struct Case {
        const char* pszName;
        CRectI item;
        bool bCaption;
        int w, h;
        bool bPushed;
        CRectI image, caption;
    };
    const Case cases[] = {
        {"centred", {0, 0, 55, 55}, false, 53, 53, false, {1, 1, 54, 54}, {0, 0, 55, 55}},
        {"pushed", {0, 0, 55, 55}, false, 53, 53, true, {2, 2, 55, 55}, {0, 0, 55, 55}},
        // -17 / 2 and -19 / 2: toward zero, not down.
        {"larger than the button", {0, 0, 36, 34}, false, 53, 53, false, {-8, -9, 45, 44}, {0, 0, 36, 34}},
        {"beside a caption", {10, 0, 110, 30}, true, 16, 16, false, {13, 7, 29, 23}, {29, 0, 110, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CSkinPlacement place = PlaceSkinImage(c.item, c.bCaption, c.w, c.h, 3, c.bPushed, 1, 1);
        EXPECT_EQ(c.image, place.rcImage);
        EXPECT_EQ(c.caption, place.rcCaption);
    }
    EXPECT_EQ((CRectI{20, 15, 50, 25}), CentreText({10, 10, 40, 20}, {10, 10, 61, 31}));
    EXPECT_EQ((CRectI{-1, 0, 32, 10}), CentreText({0, 0, 33, 10}, {0, 0, 30, 10}));
}

TEST(SkinLogicTest, MaskMarksTheTransparentColourAndThePictureShowsElsewhere) {
    // 17 pixels a row need two 16-bit words of mask. The colour is given as 0x00BBGGRR and
    // stored in the picture as 0x00RRGGBB; its mirror image is an ordinary colour.
    const uint32_t kKey = 0x00302010, kKeyInPicture = 0x00102030;
    uint32_t pixels[2 * 17];
    for (uint32_t& p : pixels)
        p = 0x00112233;
    pixels[0] = pixels[9] = pixels[16] = kKeyInPicture;
    pixels[1] = kKey;
    pixels[2] = 0xFF000000 | kKeyInPicture; // the unused top byte does not count
    ASSERT_EQ(4u, MaskStride(17));
    uint8_t mask[2 * 4];
    for (uint8_t& b : mask)
        b = 0xEE;
    MakeTransparencyMask(pixels, 17, 2, kKey, mask);

    const uint8_t expected[2 * 4] = {0xA0, 0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(expected[i], mask[i]) << "mask byte " << i;
    // The transparent pixels turn black, so the face shows through them; the others stay.
    for (int x : {0, 2, 9, 16}) {
        EXPECT_EQ(0u, pixels[x]) << x;
    }
    EXPECT_EQ(kKey, pixels[1]);
    EXPECT_EQ(0x00112233u, pixels[17]);
}
