#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

// One screen as the window placement sees it.
struct ScreenInfo {
    QString name;
    QRect geometry;
    QRect workArea;  // the geometry less panels and docks
};

// The screen the window was last closed on.
struct RememberedScreen {
    QString name;
    QRect geometry;
    bool operator==(const RememberedScreen&) const = default;
};

// The index of the screen to open on: the remembered one by name and geometry, else by name
// alone (its resolution changed), else by geometry alone (its connector was renamed), else the
// primary one. -1 only for an empty list.
int ChooseScreen(const QList<ScreenInfo>& screens, const std::optional<RememberedScreen>& remembered,
                 int primary);

// The screen `step` places to the right (positive) or left (negative) of `current`, counting in
// the screens' order from left to right (top to bottom where they share a left edge) and
// wrapping around at either end. -1 only for an empty list.
int NeighbourScreen(const QList<ScreenInfo>& screens, int current, int step);

// The screen holding `point`, else the one nearest to it; -1 only for an empty list.
int ScreenAt(const QList<ScreenInfo>& screens, QPoint point);

// The screens as presenting sees them: mirrored outputs, which share one geometry, count as one
// (the first of them in the list stands for all).
QList<ScreenInfo> DistinctScreens(const QList<ScreenInfo>& screens);

// The screen the page goes to in presentation mode when the window is on `console`: the one
// chosen last if it is still there (matched as the window's screen is), else the largest other
// screen, the first of equals. -1 when there is no other screen.
int ProjectorScreen(const QList<ScreenInfo>& screens, int console,
                    const std::optional<RememberedScreen>& chosen);

// The screens of the desktop; tests replace them with a list of their own.
class ScreenSet {
public:
    virtual ~ScreenSet() = default;
    virtual QList<ScreenInfo> screens() const = 0;
    virtual int primary() const = 0;
};

// The screens Qt reports, in its order.
class DesktopScreens : public ScreenSet {
public:
    QList<ScreenInfo> screens() const override;
    int primary() const override;
};
