#pragma once

#include <QByteArray>

class QImage;

/**
 * The picture as PNG bytes (8-bit, with its resolution), written without row filters and
 * with a fast deflate: a printed map of flat colours compresses as well so, several times
 * faster than a general PNG writer tries its filters. A picture of at most 256 colours is
 * written with a palette, one byte a pixel; others as RGB. Empty for an empty picture.
 */
QByteArray EncodeFlatPng(const QImage& image);
