#pragma once

#include <QByteArray>
#include <QImage>

// Real picture files for the test sites, made at test time so that their
// content, size and type are exactly what a test asks for. The same seed
// always gives the same bytes. Needs no display.
namespace TestImages {

// A smooth drawing (gradient and discs) that depends on the seed: it
// compresses well, so JPEGs of it stay small (a 120x90 one is 2-4 KB).
QImage drawing(int width, int height, int seed);

QByteArray jpeg(int width, int height, int seed = 0, int quality = 75);
QByteArray png(int width, int height, int seed = 0);
// GIF89a of our own making (Qt reads GIF but cannot write it).
QByteArray gif(int width, int height, int seed = 0);
// Two frames, looping.
QByteArray animatedGif(int width, int height, int seed = 0);
// A 1x1 GIF of 35 bytes, for "too small to be a picture" cases.
QByteArray tinyGif();

// A JPEG of exactly `bytes` bytes: noise, which compresses badly, at the
// size that comes closest from below, then padded with a comment segment.
// Below about 700 bytes no JPEG fits; the smallest one comes back instead.
// Reports the picture's size through `dimensions` when given.
QByteArray jpegOfSize(qsizetype bytes, int seed = 0, QSize *dimensions = nullptr);

// The same JPEG with a comment segment after its start marker: a distinct
// file with the same picture, for sites with many pictures.
QByteArray withComment(const QByteArray &jpeg, const QByteArray &comment);

} // namespace TestImages
