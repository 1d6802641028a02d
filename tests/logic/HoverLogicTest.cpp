#include "ui/controls/HoverLogic.h"

#include <gtest/gtest.h>

#include <vector>

TEST(HoverLogicTest, StateIsPressedThenHoverThenEnabledOrDisabled) {
    struct Case {
        bool bPressed, bHover, bEnabled;
        EHoverState expected;
    };
    const Case cases[] = {
        {false, false, true, kHoverStateNormal},  {false, false, false, kHoverStateDisabled},
        {false, true, true, kHoverStateHover},    {false, true, false, kHoverStateHover},
        {true, false, true, kHoverStatePressed},  {true, true, true, kHoverStatePressed},
        {true, false, false, kHoverStatePressed}, {true, true, false, kHoverStatePressed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bPressed << c.bHover << c.bEnabled);
        EXPECT_EQ(c.expected, ChooseHoverState(c.bPressed, c.bHover, c.bEnabled));
    }
}

TEST(HoverLogicTest, StateSizeDividesTheStackedSideByFourAndRejectsTooSmallStrips) {
    struct Case {
        int nWidth, nHeight;
        bool bHorizontal;
        int nStateWidth, nStateHeight;
    };
    const Case cases[] = {
        {55, 220, false, 55, 55}, {220, 55, true, 55, 55}, {55, 223, false, 55, 55}, {223, 40, true, 55, 40},
        {55, 3, false, 0, 0},     {3, 55, true, 0, 0},     {0, 220, false, 0, 0},    {-55, 220, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.nWidth << " x " << c.nHeight << (c.bHorizontal ? " across" : ""));
        CStripLayout layout = MakeStripLayout(c.nWidth, c.nHeight, c.bHorizontal);
        EXPECT_EQ(c.nStateWidth, layout.nStateWidth);
        EXPECT_EQ(c.nStateHeight, layout.nStateHeight);
    }
}

TEST(HoverLogicTest, StripLargerThanItsResourceIsRefused) {
    EXPECT_TRUE(StripFitsResource(55, 220, 48400));
    EXPECT_TRUE(StripFitsResource(55, 220, 50000));
    EXPECT_FALSE(StripFitsResource(55, 220, 48399));
    EXPECT_FALSE(StripFitsResource(55, 0, 48400));
    EXPECT_FALSE(StripFitsResource(-55, -220, 48400));
    EXPECT_FALSE(StripFitsResource(65536, 65536, 48400)) << "the product must not wrap";
}

// Hand-computed: each channel (B * (255 - A) + S * A) >> 8, truncated.
TEST(HoverLogicTest, BlendGivesTheTruncatedWeightedSumPerChannel) {
    struct Case {
        uint8_t rgba[4];
        uint32_t nBackground, expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 0}, 0xFF112233, 0xFF112233},      // invisible: the snapshot as it was
        {{255, 255, 255, 255}, 0xFF000000, 0xFFFEFEFE}, // opaque white loses one
        {{255, 255, 255, 128}, 0xFF000000, 0x807F7F7F}, {{255, 255, 255, 1}, 0xFFFFFFFF, 0x01FEFEFE},
        {{200, 100, 50, 255}, 0xFFF0F0F0, 0xFFC76331}, // red stays red: the bytes are swapped
        {{255, 0, 128, 64}, 0xFF102030, 0x404B1743},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.expected);
        EXPECT_EQ(c.expected, BlendStripPixel(c.rgba, c.nBackground));
    }
}

TEST(HoverLogicTest, CompositeTakesTheStatesRowsFromEitherLayout) {
    // Strip pixel i is opaque with red i + 1, which blends to ((i + 1) * 255) >> 8 == i: the
    // blended pixel tells which strip pixel it came from.
    auto MakeStrip = [](int nPixels) {
        std::vector<uint8_t> strip;
        for (int i = 0; i < nPixels; ++i)
            strip.insert(strip.end(), {uint8_t(i + 1), uint8_t(0), uint8_t(0), uint8_t(255)});
        return strip;
    };
    struct Case {
        int nWidth, nHeight;
        bool bHorizontal;
        int nState;
        std::vector<int> expected; // strip pixel indexes of the state image, row by row
    };
    const Case cases[] = {
        {2, 8, false, 2, {8, 9, 10, 11}}, // stacked: rows 4 and 5
        {8, 2, true, 2, {4, 5, 12, 13}},  // side by side: skips 6 pixels after each row
        {8, 2, true, 3, {6, 7, 14, 15}},
        {2, 9, false, 3, {12, 13, 14, 15}}, // the ninth row is never shown
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nWidth << " x " << c.nHeight << " state " << c.nState);
        CStripLayout layout = MakeStripLayout(c.nWidth, c.nHeight, c.bHorizontal);
        std::vector<uint8_t> strip = MakeStrip(c.nWidth * c.nHeight);
        std::vector<uint32_t> background(4, 0xFF000000), out(4, 0);
        ASSERT_TRUE(CompositeState(strip.data(), layout, c.nState, background.data(), out.data()));
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_EQ(0xFF000000u | uint32_t(c.expected[i]) << 16, out[i]) << "pixel " << i;
    }
    CStripLayout layout = MakeStripLayout(2, 8, false);
    std::vector<uint8_t> strip = MakeStrip(16);
    std::vector<uint32_t> background(4, 0xFF000000), out(4, 7);
    EXPECT_FALSE(CompositeState(strip.data(), layout, 4, background.data(), out.data()));
    EXPECT_FALSE(
        CompositeState(strip.data(), MakeStripLayout(2, 3, false), 0, background.data(), out.data()));
    EXPECT_EQ(std::vector<uint32_t>(4, 7), out);
}
