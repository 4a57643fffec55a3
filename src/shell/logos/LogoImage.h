#pragma once

#include <QImage>
#include <QSize>

#include <string>

namespace quorvel {

// Pictures larger than this are refused from their header, before any pixel is decoded.
inline constexpr int kMaxLogoSide = 4096;
inline constexpr qint64 kMaxLogoPixels = 4 * 1024 * 1024;

// A logo's bytes as a picture, or a null image when they are none: a raster format only
// (PNG, JPEG, GIF, WebP, BMP, ICO), its size read from the header and refused past the
// limits above, decoded under an allocation limit, and a picture larger than any place it
// shows in decoded smaller where the format can. Safe on any thread.
QImage DecodeLogo(const std::string& bytes);

// The picture scaled, aspect kept, to fit `box`. Centred on a transparent image of exactly
// `box` when `pad` is set, so that every row's text starts at the same place.
enum class LogoFit { Tight, Padded };
QImage FitLogo(const QImage& image, QSize box, LogoFit fit);

}  // namespace quorvel
