#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A PNG or JPEG picture in hand, as a lesson brings it: recognised by its content and
// decoded within fixed limits, so that a stranger's file can neither take the memory
// nor the time of the program. The lesson reader checks a picture with it, and the
// windows draw it with it, under the same limits.
namespace RasterPicture {

enum class Format { None, Png, Jpeg };

// A picture is at most this many pixels wide and high, and decodes into at most
// MostDecodedMegabytes (Qt refuses a larger image before it allocates it).
inline constexpr int MostSide = 4096;
inline constexpr int MostDecodedMegabytes = 64;
// A progressive JPEG passes over every pixel once per scan; a picture needs a dozen.
inline constexpr int MostJpegScans = 64;

// PNG and JPEG by their signatures; None for anything else (SVG among them).
Format format(const QByteArray &bytes);

struct Decoded
{
    enum class Outcome {
        Decoded,
        NoDecoder, // Qt's plugin for the format is not installed
        TooLarge,  // `size` is beyond MostSide
        Damaged,   // cut short, or not what its signature says
    };
    Outcome outcome = Outcome::Damaged;
    QImage image; // when decoded
    QSize size;   // as its header gives it, when it gives one
};

// Decodes a PNG or JPEG picture. Its size is read from its header first, and a picture
// too large is never decoded.
Decoded decode(const QByteArray &bytes);

} // namespace RasterPicture
