#pragma once

#include <QImage>

// Stretches the whole of `source` onto a new 24-bit bitmap of exactly width x height, the aspect
// ratio not kept, the way the thumbnail lists want it: every target pixel is the area-weighted
// average of the source pixels it covers, so a page shrunk to a thumbnail keeps its grey tones
// instead of the aliasing of a point sample. Any source format is accepted; alpha is ignored.
// Returns a null image when the source is null or a target side is not positive.
QImage HalftoneStretch(const QImage& source, int width, int height);
