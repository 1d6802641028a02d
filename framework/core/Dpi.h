// Lengths across screen scalings. The program's sizes are given at 96 dpi (100%), and so are the
// lengths it stores (column widths), so that settings move between screens of any scaling.
#pragma once

const int kBaseDpi = 96;

// nLength given at nFromDpi, at nToDpi, rounded to the nearest pixel (halves away from zero).
inline int ScaleBetweenDpi(int nLength, int nFromDpi, int nToDpi) {
    if (nFromDpi <= 0 || nToDpi <= 0 || nFromDpi == nToDpi) {
        return nLength;
    }
    const long long nScaled = static_cast<long long>(nLength) * nToDpi;
    const long long nHalf = nFromDpi / 2;
    return static_cast<int>(nScaled >= 0 ? (nScaled + nHalf) / nFromDpi : -((-nScaled + nHalf) / nFromDpi));
}

// A length given at 96 dpi, at nDpi.
inline int ScaleToDpi(int nLength, int nDpi) { return ScaleBetweenDpi(nLength, kBaseDpi, nDpi); }

// A length seen at nDpi, as it would be at 96 dpi: what is stored. At 96 dpi and above, a stored
// length shown and stored again comes back unchanged.
inline int UnscaleFromDpi(int nLength, int nDpi) { return ScaleBetweenDpi(nLength, nDpi, kBaseDpi); }
