#include "RasterPicture.h"

#include <QBuffer>
#include <QImageReader>

namespace RasterPicture {

namespace {

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);
const QByteArray JpegSignature("\xff\xd8\xff", 3);

QByteArray formatName(Format format)
{
    return format == Format::Png ? QByteArrayLiteral("png") : QByteArrayLiteral("jpeg");
}

// Qt's limit is the process's: it is set once, and holds for every image the program
// reads (its own are far smaller).
void limitDecoding()
{
    static const bool limited = [] {
        QImageReader::setAllocationLimit(MostDecodedMegabytes);
        return true;
    }();
    Q_UNUSED(limited);
}

bool isRestart(quint8 marker)
{
    return marker >= 0xd0 && marker <= 0xd7;
}

// Whether the JPEG's segments run from its start to its end marker, with at most
// MostJpegScans scans. The JPEG decoder makes up the rest of a picture cut short
// (grey, and a warning) and says it read it whole, so the end is looked for here.
bool jpegIsWhole(const QByteArray &bytes)
{
    const auto at = [&bytes](qsizetype i) { return quint8(bytes.at(i)); };
    int scans = 0;
    qsizetype i = 2; // after the start marker
    while (i + 1 < bytes.size()) {
        if (at(i) != 0xff)
            return false;
        const quint8 marker = at(i + 1);
        if (marker == 0xff) { // a fill byte before a marker
            ++i;
            continue;
        }
        i += 2;
        if (marker == 0xd9) // the end
            return true;
        if (isRestart(marker) || marker == 0x01) // markers without a segment
            continue;
        if (i + 1 >= bytes.size())
            return false;
        const int length = at(i) << 8 | at(i + 1);
        if (length < 2)
            return false;
        i += length;
        if (marker != 0xda)
            continue;
        // A scan: its coded data runs to the next marker (0xff 0x00 is a coded 0xff).
        if (++scans > MostJpegScans)
            return false;
        while (i + 1 < bytes.size() && (at(i) != 0xff || at(i + 1) == 0x00 || isRestart(at(i + 1))))
            ++i;
    }
    return false;
}

} // namespace

Format format(const QByteArray &bytes)
{
    if (bytes.startsWith(PngSignature))
        return Format::Png;
    if (bytes.startsWith(JpegSignature))
        return Format::Jpeg;
    return Format::None;
}

Decoded decode(const QByteArray &bytes)
{
    const Format found = format(bytes);
    if (found == Format::None)
        return {Decoded::Outcome::Damaged, {}, {}};
    if (!QImageReader::supportedImageFormats().contains(formatName(found)))
        return {Decoded::Outcome::NoDecoder, {}, {}};
    if (found == Format::Jpeg && !jpegIsWhole(bytes))
        return {Decoded::Outcome::Damaged, {}, {}};
    limitDecoding();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, formatName(found));
    reader.setDecideFormatFromContent(false);
    // A phone's photo is stored as the camera held it, and says how to turn it.
    reader.setAutoTransform(true);
    Decoded result;
    result.size = reader.size();
    if (!result.size.isValid())
        return {Decoded::Outcome::Damaged, {}, {}};
    if (result.size.width() > MostSide || result.size.height() > MostSide) {
        result.outcome = Decoded::Outcome::TooLarge;
        return result;
    }
    if (!reader.read(&result.image))
        return {Decoded::Outcome::Damaged, {}, result.size};
    result.outcome = Decoded::Outcome::Decoded;
    return result;
}

} // namespace RasterPicture
