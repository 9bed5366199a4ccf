#pragma once

#include <QObject>
#include <QRegion>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

// The colour key of a top-level window on X11: wherever the window's own background colour
// shows, the window has a hole, cut alike from its bounding and its input shape (the SHAPE
// extension), so the desktop shows through it and a click there reaches the window beneath,
// with or without a compositor.
//
// The holes are worked out from the widgets and their geometry, never from pixels: a page,
// picture or video is solid over its whole rectangle whatever its colours. See-through are the
// containers that draw nothing of their own (plain widgets, stacked and tab widgets, splitters,
// frames and scroll boxes without a frame, and the panels of the program's own classes that the
// owner names), unless they fill their background in a colour other than the window's; every
// other visible widget (controls, lists, pictures, players) is solid. While `holesAllowed`
// answers false the window is whole.
//
// Any change of geometry or visibility inside the window asks for one update on the next pass
// of the event loop, so a resize that moves many widgets costs one walk of the widget tree, and
// the server is told only when the outcome differs. The window must outlive this object; panels
// must live as long as the window. Make it only where Supported() is true.
class ColourKeyShape : public QObject {
    Q_OBJECT

public:
    ColourKeyShape(QWidget& window, std::function<bool()> holesAllowed);
    ~ColourKeyShape() override;

    // An X11 display whose server has the SHAPE extension with input shapes (1.1).
    static bool Supported();

    // A widget of a class of the program's own that only holds other widgets.
    void AddPanel(const QWidget* panel);
    // Asks for an update on the next pass of the event loop, once for any number of calls.
    void Invalidate();

    // The solid part of the window, in its own coordinates: what stays when the holes are cut.
    QRegion SolidRegion() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool drawsNothing(const QWidget& widget) const;
    QRegion solidPart(const QWidget& widget, QPoint origin, const QRect& clip) const;
    void update();

    QWidget& window_;
    std::function<bool()> holesAllowed_;
    QSet<const QWidget*> panels_;
    QTimer pending_;
    // What the server was last given, for which native window: the solid part in device
    // pixels, or nothing for a whole window.
    WId shapedWindow_ = 0;
    std::optional<QRegion> shaped_;
};
