#include "InkStroke.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The thinnest a pressure-sensitive line gets, as a share of its full width.
constexpr double kLightestShare = 0.3;

double widthAt(const InkStroke& stroke, float pressure) {
    if (stroke.tool != InkTool::Pen) return stroke.width;
    return stroke.width * (kLightestShare + (1 - kLightestShare) * std::clamp(double(pressure), 0.0, 1.0));
}

QPointF at(const InkPoint& point) {
    return QPointF(point.x, point.y);
}

double segmentDistance(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double length = QPointF::dotProduct(ab, ab);
    const double t = length > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

QPen penFor(const InkStroke& stroke, double width) {
    QPen pen{QColor::fromRgba(stroke.colour)};
    pen.setWidthF(width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace

void InkStroke::updateBounds() {
    if (points.empty()) {
        bounds = QRectF();
        return;
    }
    float left = points.front().x, right = left, top = points.front().y, bottom = top;
    for (const InkPoint& point : points) {
        left = std::min(left, point.x);
        right = std::max(right, point.x);
        top = std::min(top, point.y);
        bottom = std::max(bottom, point.y);
    }
    const double margin = width / 2 + 1;
    bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).adjusted(-margin, -margin, margin, margin);
}

bool InkStroke::touches(QPointF point, double radius) const {
    if (points.empty() || !bounds.adjusted(-radius, -radius, radius, radius).contains(point)) return false;
    const double reach = radius + width / 2;
    if (points.size() == 1) return segmentDistance(point, at(points[0]), at(points[0])) <= reach;
    for (std::size_t i = 1; i < points.size(); ++i)
        if (segmentDistance(point, at(points[i - 1]), at(points[i])) <= reach) return true;
    return false;
}

QPainterPath smoothedPath(const std::vector<InkPoint>& points) {
    QPainterPath path;
    if (points.empty()) return path;
    path.moveTo(at(points[0]));
    if (points.size() == 1) {
        path.lineTo(at(points[0]));
        return path;
    }
    if (points.size() == 2) {
        path.lineTo(at(points[1]));
        return path;
    }
    path.lineTo((at(points[0]) + at(points[1])) / 2);
    for (std::size_t i = 1; i + 1 < points.size(); ++i)
        path.quadTo(at(points[i]), (at(points[i]) + at(points[i + 1])) / 2);
    path.lineTo(at(points.back()));
    return path;
}

void paintStroke(QPainter& painter, const InkStroke& stroke, const QRectF& area) {
    const std::vector<InkPoint>& points = stroke.points;
    if (points.empty()) return;
    painter.setBrush(Qt::NoBrush);
    const bool opaque = qAlpha(stroke.colour) == 255;
    const bool even =
        stroke.tool != InkTool::Pen || std::all_of(points.begin(), points.end(), [&](const InkPoint& point) {
            return point.pressure == points[0].pressure;
        });
    if ((even && (area.isNull() || !opaque)) || points.size() < 3) {
        painter.setPen(penFor(stroke, widthAt(stroke, points[0].pressure)));
        painter.drawPath(smoothedPath(points));
        return;
    }
    // Each piece runs from one midpoint to the next around its point, at that point's width.
    QPointF from = at(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const bool last = i + 1 == points.size();
        const QPointF to = last ? at(points[i]) : (at(points[i]) + at(points[i + 1])) / 2;
        if (!area.isNull()) {
            const double margin = stroke.width / 2 + 1;
            const QRectF reach = QRectF(from, to).normalized().united(QRectF(at(points[i]), QSizeF(0, 0)));
            if (!reach.adjusted(-margin, -margin, margin, margin).intersects(area)) {
                from = to;
                continue;
            }
        }
        QPainterPath piece(from);
        if (last)
            piece.lineTo(to);
        else
            piece.quadTo(at(points[i]), to);
        painter.setPen(penFor(stroke, widthAt(stroke, points[i].pressure)));
        painter.drawPath(piece);
        from = to;
    }
}
