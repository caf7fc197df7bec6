#include "testimages.h"

#include <QBuffer>
#include <QImageWriter>
#include <QList>
#include <QRandomGenerator>

#include <cmath>

namespace {

QByteArray encode(const QImage &image, const char *format, int quality = -1)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        qWarning("TestImages: cannot write %s: %s", format, qPrintable(writer.errorString()));
    return out;
}

QImage noise(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) * 2654435761u + 1);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = 0xff000000u | (random.generate() & 0xffffffu);
    }
    return image;
}

void putLe16(QByteArray &out, int value)
{
    out += char(value & 0xff);
    out += char((value >> 8) & 0xff);
}

// Packs LZW codes least significant bit first, as GIF wants.
class BitWriter
{
public:
    void put(int code, int width)
    {
        m_bits |= quint32(code) << m_count;
        m_count += width;
        while (m_count >= 8) {
            m_bytes += char(m_bits & 0xff);
            m_bits >>= 8;
            m_count -= 8;
        }
    }
    QByteArray finish()
    {
        if (m_count > 0)
            m_bytes += char(m_bits & 0xff);
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_bits = 0;
    int m_count = 0;
};

// LZW without compression: only literal codes, with a clear code before the
// decoder's table would grow far enough to widen the codes. Valid for every
// decoder and simple enough to trust.
QByteArray lzwLiterals(const QByteArray &indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    const int width = minCodeSize + 1;
    const int run = qMax(1, clear - 3);
    BitWriter bits;
    int sinceClear = run;
    for (const char index : indices) {
        if (sinceClear == run) {
            bits.put(clear, width);
            sinceClear = 0;
        }
        bits.put(quint8(index), width);
        ++sinceClear;
    }
    bits.put(end, width);
    const QByteArray data = bits.finish();

    QByteArray out;
    out += char(minCodeSize);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        out += char(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

// Every frame must be Format_Indexed8 with the first frame's colour table.
QByteArray encodeGif(const QList<QImage> &frames, int delayCentiseconds)
{
    const QImage &first = frames.first();
    QList<QRgb> colors = first.colorTable();
    int bits = 1;
    while ((1 << bits) < colors.size())
        ++bits;
    colors.resize(1 << bits, qRgb(0, 0, 0));

    QByteArray out = "GIF89a";
    putLe16(out, first.width());
    putLe16(out, first.height());
    out += char(0x80 | ((bits - 1) << 4) | (bits - 1));
    out += '\0'; // background colour index
    out += '\0'; // pixel aspect ratio
    for (const QRgb c : std::as_const(colors)) {
        out += char(qRed(c));
        out += char(qGreen(c));
        out += char(qBlue(c));
    }
    const bool animated = frames.size() > 1;
    if (animated) {
        out += QByteArray("\x21\xff\x0bNETSCAPE2.0\x03\x01", 16);
        putLe16(out, 0); // loop for ever
        out += '\0';
    }
    for (const QImage &frame : frames) {
        if (animated) {
            out += QByteArray("\x21\xf9\x04\x04", 4); // graphic control: keep the frame
            putLe16(out, delayCentiseconds);
            out += '\0'; // no transparent colour
            out += '\0';
        }
        out += '\x2c';
        putLe16(out, 0);
        putLe16(out, 0);
        putLe16(out, frame.width());
        putLe16(out, frame.height());
        out += '\0'; // no local colour table, not interlaced
        QByteArray indices;
        indices.reserve(qsizetype(frame.width()) * frame.height());
        for (int y = 0; y < frame.height(); ++y)
            indices.append(reinterpret_cast<const char *>(frame.constScanLine(y)), frame.width());
        out += lzwLiterals(indices, qMax(2, bits));
    }
    out += '\x3b';
    return out;
}

QImage indexed(const QImage &image, const QList<QRgb> &colors)
{
    if (colors.isEmpty())
        return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    return image.convertToFormat(QImage::Format_Indexed8, colors, Qt::ThresholdDither | Qt::AvoidDither);
}

} // namespace

namespace TestImages {

QImage drawing(int width, int height, int seed)
{
    QImage image(qMax(1, width), qMax(1, height), QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed) * 2246822519u + 7);
    const int hue = int(random.bounded(360));
    struct Disc
    {
        double x, y, r;
        QRgb color;
    };
    QList<Disc> discs;
    for (int i = 0; i < 4; ++i) {
        const QColor c = QColor::fromHsv((hue + 60 + int(random.bounded(240))) % 360, 200, 230);
        discs.append({random.bounded(1.0) * image.width(), random.bounded(1.0) * image.height(),
                      (0.1 + random.bounded(0.25)) * qMin(image.width(), image.height()) + 1, c.rgb()});
    }
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int value = 90 + 140 * (x + y) / (image.width() + image.height());
            QRgb pixel = QColor::fromHsv(hue, 120, value).rgb();
            for (const Disc &d : std::as_const(discs)) {
                if (std::hypot(x - d.x, y - d.y) < d.r)
                    pixel = d.color;
            }
            line[x] = pixel;
        }
    }
    return image;
}

QByteArray jpeg(int width, int height, int seed, int quality)
{
    return encode(drawing(width, height, seed), "jpeg", quality);
}

QByteArray png(int width, int height, int seed)
{
    return encode(drawing(width, height, seed), "png");
}

QByteArray gif(int width, int height, int seed)
{
    return encodeGif({indexed(drawing(width, height, seed), {})}, 0);
}

QByteArray animatedGif(int width, int height, int seed)
{
    const QImage first = indexed(drawing(width, height, seed), {});
    const QImage second = indexed(drawing(width, height, seed + 1), first.colorTable());
    return encodeGif({first, second}, 50);
}

QByteArray tinyGif()
{
    QImage image(1, 1, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.setPixel(0, 0, 1);
    return encodeGif({image}, 0);
}

QByteArray withComment(const QByteArray &jpeg, const QByteArray &comment)
{
    if (!jpeg.startsWith("\xff\xd8"))
        return jpeg;
    QByteArray out = jpeg.left(2);
    for (qsizetype at = 0; at < comment.size(); at += 65533) {
        const QByteArray piece = comment.mid(at, 65533);
        out += "\xff\xfe";
        out += char(((piece.size() + 2) >> 8) & 0xff);
        out += char((piece.size() + 2) & 0xff);
        out += piece;
    }
    out += jpeg.mid(2);
    return out;
}

QByteArray jpegOfSize(qsizetype bytes, int seed, QSize *dimensions)
{
    constexpr int quality = 85;
    // A segment header costs 4 bytes and cannot be empty, so leave room
    // for the smallest padding.
    const qsizetype target = bytes - 5;
    double area = qMax<double>(64, double(target) / 1.5);
    QByteArray best;
    QSize bestSize;
    for (int attempt = 0; attempt < 12; ++attempt) {
        const int height = qMax(8, int(std::sqrt(area * 3 / 4)));
        const int width = qMax(8, height * 4 / 3);
        const QByteArray candidate = encode(noise(width, height, seed), "jpeg", quality);
        if (candidate.size() <= target && candidate.size() > best.size()) {
            best = candidate;
            bestSize = QSize(width, height);
        }
        if (best.isEmpty() && width == 8 && height == 8) {
            best = candidate;
            bestSize = QSize(width, height);
            break;
        }
        const double ratio = double(target) / double(candidate.size());
        if (candidate.size() <= target && ratio < 1.08)
            break;
        area *= ratio * (candidate.size() > target ? 0.97 : 1.0);
    }
    if (dimensions)
        *dimensions = bestSize;
    if (best.size() >= bytes)
        return best;
    // The padding goes in as one or more comment segments of at least one
    // byte each; a remainder too small for a segment is absorbed by
    // shortening the one before it.
    qsizetype missing = bytes - best.size();
    QByteArray out = best.left(2);
    while (missing > 0) {
        qsizetype payload = qMin<qsizetype>(missing - 4, 65533);
        if (missing - (payload + 4) > 0 && missing - (payload + 4) < 5)
            payload -= 5;
        out += "\xff\xfe";
        out += char(((payload + 2) >> 8) & 0xff);
        out += char((payload + 2) & 0xff);
        out += QByteArray(payload, 'x');
        missing -= payload + 4;
    }
    out += best.mid(2);
    return out;
}

} // namespace TestImages
