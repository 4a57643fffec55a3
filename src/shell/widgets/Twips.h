#pragma once

namespace quorvel {

// Window geometry is designed in twips; a logical pixel is 15 twips.
inline constexpr int kTwipsPerPixel = 15;

// Rounded to the nearest pixel, halves away from zero.
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace quorvel
