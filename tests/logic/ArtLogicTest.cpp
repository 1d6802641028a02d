#include "ui/controls/ArtLogic.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Pixels = std::vector<uint8_t>;

Pixels Filled(int nWidth, int nHeight, std::vector<uint8_t> rgba) {
    Pixels pixels;
    for (int i = 0; i < nWidth * nHeight; ++i)
        pixels.insert(pixels.end(), rgba.begin(), rgba.end());
    return pixels;
}

std::vector<uint8_t> At(const Pixels& pixels, int nWidth, int x, int y) {
    auto p = pixels.begin() + (static_cast<ptrdiff_t>(y) * nWidth + x) * 4;
    return std::vector<uint8_t>(p, p + 4);
}

} // namespace

// The drawn scales shown as drawn, the nearest one between them (the larger at equal distance),
// the largest one resampled beyond it, and nonsense taken for 96.
TEST(ArtLogicTest, WindowShowsTheNearestDrawnScaleAndResamplesOnlyBeyondTheLargest) {
    struct Case {
        int nDpi, nSide100;
        CArtChoice expected;
    };
    const Case cases[] = {
        {96, 55, {0, 55, false}},  {120, 55, {1, 69, false}},  {144, 55, {2, 83, false}},
        {168, 55, {3, 96, false}}, {192, 55, {4, 110, false}}, {240, 55, {5, 138, false}},
        {288, 55, {5, 165, true}}, {480, 55, {5, 275, true}},  {241, 55, {5, 138, false}},
        {245, 55, {5, 140, true}}, {107, 55, {0, 55, false}},  {108, 55, {1, 69, false}},
        {132, 55, {2, 83, false}}, {131, 55, {1, 69, false}},  {216, 55, {5, 138, false}},
        {72, 55, {0, 55, false}},  {0, 55, {0, 55, false}},    {-120, 55, {0, 55, false}},
        {144, 53, {2, 80, false}}, {168, 53, {3, 93, false}},  {240, 53, {5, 133, false}},
        {120, 64, {1, 80, false}}, {288, 64, {5, 192, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nDpi << " dpi, " << c.nSide100);
        CArtChoice choice = ChooseArt(c.nSide100, c.nDpi);
        EXPECT_EQ(c.expected.nScale, choice.nScale);
        EXPECT_EQ(c.expected.nSide, choice.nSide);
        EXPECT_EQ(c.expected.bResample, choice.bResample);
    }
}

// Source over with straight alpha: nothing over anything changes nothing, anything over nothing
// is itself, opaque covers, and half over opaque blends halfway.
TEST(ArtLogicTest, CaptionsLieOverTheBallsWithStraightAlpha) {
    struct Case {
        std::vector<uint8_t> base, layer, expected;
    };
    const Case cases[] = {
        {{10, 20, 30, 200}, {255, 0, 0, 0}, {10, 20, 30, 200}},
        {{0, 0, 0, 0}, {30, 40, 230, 77}, {30, 40, 230, 77}},
        {{10, 20, 30, 255}, {200, 100, 50, 255}, {200, 100, 50, 255}},
        {{0, 0, 0, 255}, {255, 255, 255, 128}, {128, 128, 128, 255}},
        {{255, 0, 0, 128}, {0, 0, 255, 128}, {85, 0, 170, 192}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> base = c.base;
        LayOver(base.data(), c.layer.data(), 1);
        EXPECT_EQ(c.expected, base) << int(c.base[3]) << " under " << int(c.layer[3]);
    }
}

TEST(ArtLogicTest, DarkDisabledBallIsTheGreyOfTheNormalLettingTheFaceThrough) {
    const Pixels normal = {255, 0, 0, 255, 0, 255, 0, 100, 1, 2, 3, 0};
    Pixels disabled(normal.size(), 9);
    MakeDarkDisabled(normal.data(), disabled.data(), 3);
    EXPECT_EQ((Pixels{76, 76, 76, 140, 150, 150, 150, 55, 0, 0, 0, 0}), disabled);
}

// Identity at the same size, a plain colour stays plain at any size, and the colour of clear
// pixels never bleeds into the edge of what is drawn.
TEST(ArtLogicTest, ResamplingKeepsColoursAndWeighsByAlpha) {
    Pixels gradient;
    for (int i = 0; i < 6 * 5; ++i)
        gradient.insert(gradient.end(), {uint8_t(i * 8), uint8_t(255 - i), uint8_t(i), uint8_t(100 + i)});
    Pixels same(gradient.size());
    ASSERT_TRUE(ResamplePicture(gradient.data(), 6, 5, same.data(), 6, 5));
    EXPECT_EQ(gradient, same);

    const Pixels plain = Filled(7, 3, {12, 34, 56, 255});
    for (auto [nWidth, nHeight] : {std::pair{3, 2}, std::pair{17, 9}, std::pair{1, 1}}) {
        Pixels out(size_t(nWidth) * nHeight * 4);
        ASSERT_TRUE(ResamplePicture(plain.data(), 7, 3, out.data(), nWidth, nHeight));
        EXPECT_EQ(Filled(nWidth, nHeight, {12, 34, 56, 255}), out) << nWidth << " x " << nHeight;
    }

    // Left half opaque red, right half clear green.
    Pixels half;
    for (int i = 0; i < 8 * 2; ++i)
        half.insert(half.end(), i % 8 < 4 ? std::initializer_list<uint8_t>{255, 0, 0, 255}
                                          : std::initializer_list<uint8_t>{0, 255, 0, 0});
    Pixels out(size_t(13) * 3 * 4);
    ASSERT_TRUE(ResamplePicture(half.data(), 8, 2, out.data(), 13, 3));
    for (int x = 0; x < 13; ++x) {
        std::vector<uint8_t> p = At(out, 13, x, 1);
        if (p[3] != 0) {
            EXPECT_EQ((std::vector<uint8_t>{255, 0, 0}), std::vector<uint8_t>(p.begin(), p.begin() + 3)) << x;
        }
    }
    EXPECT_EQ(255, At(out, 13, 0, 1)[3]);
    EXPECT_EQ(0, At(out, 13, 12, 1)[3]);

    EXPECT_FALSE(ResamplePicture(plain.data(), 7, 3, out.data(), 0, 3));
    EXPECT_FALSE(ResamplePicture(plain.data(), 0, 3, out.data(), 3, 3));
}

// A keyed picture stays keyed: clear where nothing was drawn, never the key where something was,
// its edges blended into the face and its inside kept.
TEST(ArtLogicTest, KeyedPictureKeepsItsKeyWhenResampled) {
    const uint32_t kKey = 0xC0C0C0, kFace = 0x202020;
    // A 4 x 4 block of blue in the middle of an 8 x 8 picture of the key.
    Pixels keyed;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            keyed.insert(keyed.end(), x >= 2 && x < 6 && y >= 2 && y < 6
                                          ? std::initializer_list<uint8_t>{0, 0, 255, 7}
                                          : std::initializer_list<uint8_t>{192, 192, 192, 7});
    Pixels out(size_t(11) * 11 * 4);
    ASSERT_TRUE(ResampleKeyedPicture(keyed.data(), 8, 8, out.data(), 11, 11, kKey, kFace));
    EXPECT_EQ((std::vector<uint8_t>{192, 192, 192, 255}), At(out, 11, 0, 0));
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 255, 255}), At(out, 11, 5, 5));
    int nBlended = 0;
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) {
            std::vector<uint8_t> p = At(out, 11, x, y);
            EXPECT_EQ(255, p[3]);
            if (p == std::vector<uint8_t>{192, 192, 192, 255} || p == std::vector<uint8_t>{0, 0, 255, 255})
                continue;
            ++nBlended;
            // Between the blue and the dark face: no red or green above the face's.
            EXPECT_LE(p[0], 0x20) << x << "," << y;
            EXPECT_LE(p[1], 0x20) << x << "," << y;
        }
    }
    EXPECT_GT(nBlended, 0) << "hard edges";
}
