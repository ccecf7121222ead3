#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

// Picture files made on the spot for the tests.

// A placeable Windows Metafile of width x height pixels at 96 dots per inch
// that fills a rectangle with a solid brush of the given colour.
QByteArray smallMetafile(int width, int height, QColor fill = Qt::red);

// The smallest whole GIF: one white pixel.
QByteArray onePixelGif();

// Writes bytes to path; false when the file could not be written.
bool writeBytes(const QString& path, const QByteArray& bytes);

// Saves a picture of the given size in the format its name ends with (bmp,
// jpg, png); the picture is a gradient, so lossy formats have work to do.
bool writePicture(const QString& path, QSize size);

// A PNG of width x height black pixels, greyscale of 8 bits unless told
// otherwise (colourType 2: colour, 6: colour with alpha); one too large to
// hold whole holds only its first rows, which is all a decoder reads before
// it decides how much to allocate.
QByteArray claimedPng(quint32 width, quint32 height, int bits = 8, int colourType = 0);
