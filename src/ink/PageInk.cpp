#include "PageInk.h"

#include <QPainter>
#include <algorithm>

namespace {

// Steps kept per page; the oldest go first.
constexpr std::size_t kMaxSteps = 200;

}  // namespace

void PageInk::step() {
    undo_.push_back(strokes_);
    if (undo_.size() > kMaxSteps) undo_.erase(undo_.begin());
    redo_.clear();
    ++revision_;
}

void PageInk::add(InkStroke stroke) {
    if (stroke.points.empty()) return;
    erasing_ = false;
    stroke.updateBounds();
    step();
    strokes_.push_back(std::make_shared<const InkStroke>(std::move(stroke)));
}

bool PageInk::eraseAt(QPointF at, double radius) {
    Strokes kept;
    kept.reserve(strokes_.size());
    for (const auto& stroke : strokes_)
        if (!stroke->touches(at, radius)) kept.push_back(stroke);
    if (kept.size() == strokes_.size()) return false;
    if (erasing_) {
        ++revision_;
    } else {
        step();
        erasing_ = true;
    }
    strokes_ = std::move(kept);
    return true;
}

bool PageInk::clear() {
    erasing_ = false;
    if (strokes_.empty()) return false;
    step();
    strokes_.clear();
    return true;
}

bool PageInk::undo() {
    erasing_ = false;
    if (undo_.empty()) return false;
    redo_.push_back(std::move(strokes_));
    strokes_ = std::move(undo_.back());
    undo_.pop_back();
    ++revision_;
    return true;
}

bool PageInk::redo() {
    erasing_ = false;
    if (redo_.empty()) return false;
    undo_.push_back(std::move(strokes_));
    strokes_ = std::move(redo_.back());
    redo_.pop_back();
    ++revision_;
    return true;
}

void PageInk::restore(Strokes strokes) {
    strokes_ = std::move(strokes);
    undo_.clear();
    redo_.clear();
    erasing_ = false;
    ++revision_;
}

void paintStrokesOf(QPainter& painter, const PageInk::Strokes& strokes, bool highlighter,
                    const QRectF& area) {
    for (const auto& stroke : strokes)
        if ((stroke->tool == InkTool::Highlighter) == highlighter &&
            (area.isNull() || stroke->bounds.intersects(area)))
            paintStroke(painter, *stroke, area);
}

void paintStrokes(QPainter& painter, const PageInk::Strokes& strokes, const QRectF& area) {
    paintStrokesOf(painter, strokes, true, area);
    paintStrokesOf(painter, strokes, false, area);
}
