#include "ScreenChoice.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <numeric>
#include <vector>

int ChooseScreen(const QList<ScreenInfo>& screens, const std::optional<RememberedScreen>& remembered,
                 int primary) {
    if (screens.isEmpty()) return -1;
    const int fallback = (primary >= 0 && primary < screens.size()) ? primary : 0;
    if (!remembered) return fallback;
    const auto find = [&](auto matches) {
        for (int i = 0; i < screens.size(); ++i)
            if (matches(screens.at(i))) return i;
        return -1;
    };
    const bool named = !remembered->name.isEmpty();
    for (int found : {find([&](const ScreenInfo& s) {
                          return named && s.name == remembered->name && s.geometry == remembered->geometry;
                      }),
                      find([&](const ScreenInfo& s) { return named && s.name == remembered->name; }),
                      find([&](const ScreenInfo& s) { return s.geometry == remembered->geometry; })}) {
        if (found >= 0) return found;
    }
    return fallback;
}

int NeighbourScreen(const QList<ScreenInfo>& screens, int current, int step) {
    const int count = static_cast<int>(screens.size());
    if (count == 0) return -1;
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const QPoint pa = screens.at(a).geometry.topLeft(), pb = screens.at(b).geometry.topLeft();
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    const auto at = std::find(order.begin(), order.end(), current);
    if (at == order.end()) return order.front();
    const int position = static_cast<int>(at - order.begin());
    return order[((position + step) % count + count) % count];
}

int ScreenAt(const QList<ScreenInfo>& screens, QPoint point) {
    int nearest = -1;
    qint64 best = 0;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& area = screens.at(i).geometry;
        if (area.contains(point)) return i;
        const qint64 dx =
            point.x() < area.left() ? area.left() - point.x() : std::max(0, point.x() - area.right());
        const qint64 dy =
            point.y() < area.top() ? area.top() - point.y() : std::max(0, point.y() - area.bottom());
        const qint64 distance = dx * dx + dy * dy;
        if (nearest < 0 || distance < best) nearest = i, best = distance;
    }
    return nearest;
}

QList<ScreenInfo> DistinctScreens(const QList<ScreenInfo>& screens) {
    QList<ScreenInfo> distinct;
    for (const ScreenInfo& screen : screens) {
        const bool mirrored = std::any_of(distinct.begin(), distinct.end(),
                                          [&](const ScreenInfo& s) { return s.geometry == screen.geometry; });
        if (!mirrored) distinct.append(screen);
    }
    return distinct;
}

int ProjectorScreen(const QList<ScreenInfo>& screens, int console,
                    const std::optional<RememberedScreen>& chosen) {
    QList<ScreenInfo> others;
    QList<int> indices;
    for (int i = 0; i < screens.size(); ++i) {
        if (i == console || (console >= 0 && console < screens.size() &&
                             screens.at(i).geometry == screens.at(console).geometry))
            continue;
        others.append(screens.at(i));
        indices.append(i);
    }
    if (others.isEmpty()) return -1;
    if (chosen) {
        // Matched as the window's screen is; without a match ChooseScreen answers the fallback,
        // told apart here by checking that it really matches.
        const int found = ChooseScreen(others, chosen, 0);
        const ScreenInfo& match = others.at(found);
        if ((!chosen->name.isEmpty() && match.name == chosen->name) || match.geometry == chosen->geometry)
            return indices.at(found);
    }
    int largest = 0;
    for (int i = 1; i < others.size(); ++i) {
        const QSize a = others.at(i).geometry.size(), b = others.at(largest).geometry.size();
        if (qint64(a.width()) * a.height() > qint64(b.width()) * b.height()) largest = i;
    }
    return indices.at(largest);
}

QList<ScreenInfo> DesktopScreens::screens() const {
    QList<ScreenInfo> list;
    for (QScreen* screen : QGuiApplication::screens())
        list.append({screen->name(), screen->geometry(), screen->availableGeometry()});
    return list;
}

int DesktopScreens::primary() const {
    return static_cast<int>(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen()));
}
