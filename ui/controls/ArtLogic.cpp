#include "ui/controls/ArtLogic.h"

#include <algorithm>
#include <cmath>
#include <vector>

const int kArtScales[kArtScaleCount] = {100, 125, 150, 175, 200, 250};

namespace {

const int kBaseDpi = 96;
// Of the alpha a pixel keeps in the dark face's disabled ball, in percent.
const int kDarkDisabledOpacity = 55;
// A resampled keyed pixel with less alpha than this is left clear, as the pictures are drawn.
const float kKeyedCoverage = 24.0f;

int ScaleDpi(int nScale) { return kBaseDpi * kArtScales[nScale] / 100; }

// The source pixels one destination pixel is made of, and their weights (summing to 1).
struct CTaps {
    int nFirst;
    std::vector<float> weights;
};

std::vector<CTaps> MakeTaps(int nSrc, int nDst) {
    const double dScale = double(nSrc) / nDst;
    // A tent one source pixel wide when enlarging, as wide as the reduction when reducing, so
    // that every source pixel counts.
    const double dSupport = std::max(1.0, dScale);
    std::vector<CTaps> taps(static_cast<size_t>(nDst));
    for (int i = 0; i < nDst; ++i) {
        const double dCentre = (i + 0.5) * dScale;
        const int nFirst = std::max(0, static_cast<int>(std::floor(dCentre - dSupport)));
        const int nLast = std::min(nSrc - 1, static_cast<int>(std::ceil(dCentre + dSupport)));
        CTaps& tap = taps[static_cast<size_t>(i)];
        tap.nFirst = nFirst;
        double dSum = 0;
        for (int k = nFirst; k <= nLast; ++k) {
            double w = std::max(0.0, 1.0 - std::fabs(k + 0.5 - dCentre) / dSupport);
            tap.weights.push_back(static_cast<float>(w));
            dSum += w;
        }
        for (float& w : tap.weights)
            w = static_cast<float>(w / dSum);
    }
    return taps;
}

uint8_t ToByte(float f) { return static_cast<uint8_t>(std::min(255.0f, std::max(0.0f, f + 0.5f))); }

} // namespace

int ScaledSide(int nSide100, int nPercent) { return (nSide100 * nPercent + 50) / 100; }

CArtChoice ChooseArt(int nSide100, int nDpi) {
    if (nDpi <= 0)
        nDpi = kBaseDpi;
    int nBest = 0;
    for (int i = 1; i < kArtScaleCount; ++i) {
        if (std::abs(nDpi - ScaleDpi(i)) <= std::abs(nDpi - ScaleDpi(nBest)))
            nBest = i;
    }
    const int nLast = kArtScaleCount - 1;
    if (nDpi > ScaleDpi(nLast)) {
        // Rounded half up, as the window's other lengths are scaled.
        int nSide = static_cast<int>((static_cast<long long>(nSide100) * nDpi + kBaseDpi / 2) / kBaseDpi);
        return {nLast, nSide, nSide != ScaledSide(nSide100, kArtScales[nLast])};
    }
    return {nBest, ScaledSide(nSide100, kArtScales[nBest]), false};
}

int ArtResourceId(int nPictureId, int nScale, EArtLayer layer) {
    return nPictureId * 100 + nScale * 10 + layer;
}

void LayOver(uint8_t* pBase, const uint8_t* pLayer, size_t nPixels) {
    for (size_t i = 0; i < nPixels; ++i, pBase += 4, pLayer += 4) {
        const uint32_t a = pLayer[3];
        if (a == 0)
            continue;
        const uint32_t b = pBase[3] * (255 - a); // the base's share, in 255ths of 255ths
        const uint32_t nTotal = a * 255 + b;
        for (int c = 0; c < 3; ++c)
            pBase[c] = static_cast<uint8_t>((pLayer[c] * a * 255 + pBase[c] * b + nTotal / 2) / nTotal);
        pBase[3] = static_cast<uint8_t>((nTotal + 127) / 255);
    }
}

void MakeDarkDisabled(const uint8_t* pNormal, uint8_t* pOut, size_t nPixels) {
    for (size_t i = 0; i < nPixels; ++i, pNormal += 4, pOut += 4) {
        if (pNormal[3] == 0) {
            pOut[0] = pOut[1] = pOut[2] = pOut[3] = 0;
            continue;
        }
        const uint8_t grey =
            static_cast<uint8_t>((299 * pNormal[0] + 587 * pNormal[1] + 114 * pNormal[2] + 500) / 1000);
        pOut[0] = pOut[1] = pOut[2] = grey;
        pOut[3] = static_cast<uint8_t>((pNormal[3] * kDarkDisabledOpacity + 50) / 100);
    }
}

bool ResamplePicture(const uint8_t* pSrc, int nSrcWidth, int nSrcHeight, uint8_t* pDst, int nDstWidth,
                     int nDstHeight) {
    if (nSrcWidth <= 0 || nSrcHeight <= 0 || nDstWidth <= 0 || nDstHeight <= 0)
        return false;
    const std::vector<CTaps> across = MakeTaps(nSrcWidth, nDstWidth);
    const std::vector<CTaps> down = MakeTaps(nSrcHeight, nDstHeight);
    // Across first, into premultiplied values: a clear pixel adds nothing of its colour.
    std::vector<float> rows(static_cast<size_t>(nDstWidth) * static_cast<size_t>(nSrcHeight) * 4);
    for (int y = 0; y < nSrcHeight; ++y) {
        const uint8_t* pRow = pSrc + static_cast<size_t>(y) * static_cast<size_t>(nSrcWidth) * 4;
        float* pOut = &rows[static_cast<size_t>(y) * static_cast<size_t>(nDstWidth) * 4];
        for (int x = 0; x < nDstWidth; ++x, pOut += 4) {
            const CTaps& tap = across[static_cast<size_t>(x)];
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const uint8_t* p = pRow + (static_cast<size_t>(tap.nFirst) + k) * 4;
                const float w = tap.weights[k] * p[3];
                pOut[0] += w * p[0];
                pOut[1] += w * p[1];
                pOut[2] += w * p[2];
                pOut[3] += w;
            }
        }
    }
    for (int y = 0; y < nDstHeight; ++y) {
        const CTaps& tap = down[static_cast<size_t>(y)];
        uint8_t* pOut = pDst + static_cast<size_t>(y) * static_cast<size_t>(nDstWidth) * 4;
        for (int x = 0; x < nDstWidth; ++x, pOut += 4) {
            float sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < tap.weights.size(); ++k) {
                const float* p =
                    &rows[((static_cast<size_t>(tap.nFirst) + k) * static_cast<size_t>(nDstWidth) +
                           static_cast<size_t>(x)) *
                          4];
                for (int c = 0; c < 4; ++c)
                    sum[c] += tap.weights[k] * p[c];
            }
            const float alpha = sum[3];
            for (int c = 0; c < 3; ++c)
                pOut[c] = alpha > 0 ? ToByte(sum[c] / alpha) : 0;
            pOut[3] = ToByte(alpha);
            if (pOut[3] == 0)
                pOut[0] = pOut[1] = pOut[2] = 0;
        }
    }
    return true;
}

bool ResampleKeyedPicture(const uint8_t* pSrc, int nSrcWidth, int nSrcHeight, uint8_t* pDst, int nDstWidth,
                          int nDstHeight, uint32_t nKey, uint32_t nFace) {
    if (nSrcWidth <= 0 || nSrcHeight <= 0 || nDstWidth <= 0 || nDstHeight <= 0)
        return false;
    const uint8_t key[3] = {uint8_t(nKey >> 16), uint8_t(nKey >> 8), uint8_t(nKey)};
    const uint8_t face[3] = {uint8_t(nFace >> 16), uint8_t(nFace >> 8), uint8_t(nFace)};
    const size_t nSrcPixels = static_cast<size_t>(nSrcWidth) * static_cast<size_t>(nSrcHeight);
    std::vector<uint8_t> covered(pSrc, pSrc + nSrcPixels * 4);
    for (size_t i = 0; i < nSrcPixels; ++i) {
        uint8_t* p = &covered[i * 4];
        const bool bKey = p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
        p[3] = bKey ? 0 : 255;
    }
    if (!ResamplePicture(covered.data(), nSrcWidth, nSrcHeight, pDst, nDstWidth, nDstHeight))
        return false;
    const size_t nDstPixels = static_cast<size_t>(nDstWidth) * static_cast<size_t>(nDstHeight);
    for (size_t i = 0; i < nDstPixels; ++i) {
        uint8_t* p = pDst + i * 4;
        const float a = p[3];
        if (a < kKeyedCoverage) {
            p[0] = key[0], p[1] = key[1], p[2] = key[2];
        } else {
            for (int c = 0; c < 3; ++c)
                p[c] = ToByte((p[c] * a + face[c] * (255 - a)) / 255);
            // A drawn pixel never takes the key's colour, or it would turn clear.
            if (p[0] == key[0] && p[1] == key[1] && p[2] == key[2])
                p[0] = static_cast<uint8_t>(key[0] + 1);
        }
        p[3] = 255;
    }
    return true;
}
