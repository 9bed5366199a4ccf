#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <cstdint>
#include <vector>

class QPainter;

enum class InkTool : std::uint8_t { Pen = 0, Highlighter = 1, Eraser = 2 };

struct InkPoint {
    float x = 0;
    float y = 0;
    float pressure = 1;  // 0..1; a mouse or a finger presses fully
};

// One stroke, in the pixels of the page picture at its natural size, so it stays on the words it
// marks however large the page is shown.
struct InkStroke {
    InkTool tool = InkTool::Pen;
    QRgb colour = qRgba(220, 30, 30, 255);
    float width = 4;
    std::vector<InkPoint> points;
    QRectF bounds;  // the area the stroke covers, its width included

    void updateBounds();
    // Whether a disc of `radius` at `at` touches the stroke's line.
    bool touches(QPointF at, double radius) const;
};

// Quadratic curves through the midpoints of the points, with each point as the control: a fast
// hand gives a few points far apart, and the curve still bends instead of turning into corners.
QPainterPath smoothedPath(const std::vector<InkPoint>& points);

// Draws `stroke` in page-picture coordinates (the painter's transform maps them to the screen).
// Where the pressure varies the width follows it piece by piece; elsewhere the stroke is one path,
// so a translucent highlighter does not darken where its pieces meet. Given an `area`, an opaque
// pen draws only the pieces that reach it, so a long line costs little to repaint a corner of.
void paintStroke(QPainter& painter, const InkStroke& stroke, const QRectF& area = QRectF());
