#pragma once

#include <QByteArray>

class QImage;

/**
 * The image's rows as PNG image data (each row filter type 0, then red, green, blue), packed
 * as a zlib stream by runs: a row equal to the one above is a few copies of it, a run of
 * pixels equal to those above or to the pixel before is a copy, the rest is written as
 * literals of the fixed codes. A printed map is mostly such runs, so this costs a pass over
 * the pixels rather than a search of every byte. Empty when the image is wider than a copy
 * can reach back (10,922 pixels) or empty.
 */
QByteArray DeflateRgbRowsByRuns(const QImage& image);
