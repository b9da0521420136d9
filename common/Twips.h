#pragma once

#include <QRect>
#include <QSize>

// Positions and sizes are designed in twips; 15 twips make one logical pixel.
// Qt's high-DPI scaling turns logical pixels into physical ones.
namespace Twips {

constexpr int PerPixel = 15;

constexpr int toPixels(int twips) { return twips / PerPixel; }

inline QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

inline QSize size(int width, int height) { return {toPixels(width), toPixels(height)}; }

} // namespace Twips
