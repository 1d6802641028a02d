// The rules of the program's pictures that need no window: which of the drawn scales a window at a
// given number of dots per inch shows, and at what size; the numbers of the resources that hold
// them; and the pixel work on decoded pictures: laying a tool bar strip's captions over its balls,
// the disabled ball of the dark face, and resampling beyond the largest drawn scale. The pictures
// and these rules come from tools/assets/make_icons.py, which draws every scale from its shapes.
// Nothing here keeps state.
//
// Pixels are four bytes red, green, blue, alpha, with straight alpha, rows top to bottom, as in a
// "RAW" strip. A strip stacks its four state images top to bottom.
#pragma once

#include <cstddef>
#include <cstdint>

// The scales the pictures are drawn at, in percent of 96 dots per inch, smallest first.
const int kArtScaleCount = 6;
extern const int kArtScales[kArtScaleCount];

// The faces the pictures without alpha (the search toggle's, the About picture) were blended into,
// as 0x00RRGGBB. The search toggle paints its dark face in the dark one.
const uint32_t kArtLightFace = 0xF0F0F0;
const uint32_t kArtDarkFace = 0x2B2B2B;

// A side of the 100% picture at a scale in percent, rounded half up, as the pictures are drawn.
int ScaledSide(int nSide100, int nPercent);

// What a window at nDpi shows of a picture whose 100% side is nSide100: the drawn scale (its place
// in kArtScales) and the side in pixels it is shown at. Between two scales the nearest is shown
// as it was drawn, the larger one at equal distance (a picture a little too large loses less than
// one stretched). Beyond the largest scale its picture is resampled to the window's size, by the
// fraction that remains. A dpi of 0 or less counts as 96.
struct CArtChoice {
    int nScale;
    int nSide;
    bool bResample; // nSide is not the drawn size
};
CArtChoice ChooseArt(int nSide100, int nDpi);

// The layers of a "PNG" picture resource. A strip's picture holds its four balls without captions
// (the disabled ball for the light face); its captions come as a layer per face.
enum EArtLayer {
    kArtLayerPicture = 0,
    kArtLayerDarkPicture = 1,
    kArtLayerCaption = 2,
    kArtLayerDarkCaption = 3,
};
// The id of the "PNG" resource of a picture (named by its 100% resource id) at a scale and layer:
// id x 100 + scale x 10 + layer, as res/Pictures.rc numbers them.
int ArtResourceId(int nPictureId, int nScale, EArtLayer layer);

// Lays nPixels pixels of pLayer over those of pBase, in place (source over, straight alpha).
void LayOver(uint8_t* pBase, const uint8_t* pLayer, size_t nPixels);

// The disabled ball of the dark face made from the normal ball: its grey (the luminance, weighted
// 0.299, 0.587, 0.114), with 55% of its alpha so that the dark face shows through. A pale ball
// would stand out there more than an enabled one.
void MakeDarkDisabled(const uint8_t* pNormal, uint8_t* pOut, size_t nPixels);

// Resamples a picture of nSrcWidth x nSrcHeight pixels to nDstWidth x nDstHeight (pDst holds
// them): a tent filter as wide as the reduction, weighted by alpha, so that the colour of clear
// pixels never bleeds into the edges. False, writing nothing, for a side that is not positive.
bool ResamplePicture(const uint8_t* pSrc, int nSrcWidth, int nSrcHeight, uint8_t* pDst, int nDstWidth,
                     int nDstHeight);

// A picture with a transparent colour (nKey, 0x00RRGGBB) and soft edges blended into nFace,
// resampled: the key is treated as clear while resampling, and afterwards a pixel mostly clear
// becomes the key again and a partly covered one is blended into the face. Alpha bytes are
// ignored on the way in and 255 on the way out.
bool ResampleKeyedPicture(const uint8_t* pSrc, int nSrcWidth, int nSrcHeight, uint8_t* pDst, int nDstWidth,
                          int nDstHeight, uint32_t nKey, uint32_t nFace);
