#pragma once

#include <memory>
#include <vector>

#include "InkStroke.h"

// The strokes of one page and their history. Every change (a stroke, an erasure, clearing the
// page) is one step that undo takes back; the steps keep the stroke lists, which share their
// strokes, so a step costs a list of pointers.
class PageInk {
public:
    using Strokes = std::vector<std::shared_ptr<const InkStroke>>;

    const Strokes& strokes() const { return strokes_; }
    bool empty() const { return strokes_.empty(); }
    // Counts every change, so a drawing of the strokes can tell it is out of date.
    unsigned revision() const { return revision_; }

    void add(InkStroke stroke);
    // Removes every stroke the disc touches. The erasures of one gesture (until endGesture())
    // make one step.
    bool eraseAt(QPointF at, double radius);
    void endGesture() { erasing_ = false; }
    bool clear();
    bool undo();
    bool redo();
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    // Strokes read back from the ink file: no history.
    void restore(Strokes strokes);

private:
    void step();

    Strokes strokes_;
    std::vector<Strokes> undo_;
    std::vector<Strokes> redo_;
    bool erasing_ = false;
    unsigned revision_ = 0;
};

// Draws the strokes in page-picture coordinates, the highlighter under the pen; only the strokes
// that reach `area` when it is given.
void paintStrokes(QPainter& painter, const PageInk::Strokes& strokes, const QRectF& area = QRectF());
// Only the highlighter's strokes, or only the others.
void paintStrokesOf(QPainter& painter, const PageInk::Strokes& strokes, bool highlighter,
                    const QRectF& area = QRectF());
