#pragma once

// What the benchmarks share: the pages they show, libjpeg-turbo as the reference they are
// measured against, and the median they report.
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// A scanned textbook page: paper with grain, an illustration with edges and texture, and
// paragraphs of glyph-sized marks with ragged line ends. The same seed gives the same page.
QImage makePage(std::uint32_t seed, int w, int h);

// The reference: libjpeg-turbo decoding the picture straight from the file, at 1/scaleDenom
// of its size (libjpeg's scales: 1, 2, 4 or 8). A null image when the file cannot be opened.
QImage referenceDecode(const std::string& path, unsigned scaleDenom = 1);

// The middle value (the upper one of an even count); 0 for none.
double median(std::vector<double> values);

// The value `share` (0..1) of the way up the sorted values, nearest rank; 0 for none.
double percentile(std::vector<double> values, double share);
