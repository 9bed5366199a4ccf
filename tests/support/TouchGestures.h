#pragma once

// Touch gestures a teacher makes on the board, sent as touch events to `client`.
#include <QtTest>

// Fingers 0 and 1, down about `at`, move to 160 pixels apart and lift.
inline void spreadAndLift(QWidget* client, QPointingDevice* device, QPoint at) {
    QTest::touchEvent(client, device).move(0, at - QPoint(80, 0), client).move(1, at + QPoint(80, 0), client);
    QTest::touchEvent(client, device)
        .release(0, at - QPoint(80, 0), client)
        .release(1, at + QPoint(80, 0), client);
}

// Two fingers spread from 100 to 160 pixels apart around `at`: a 1.6x pinch.
inline void spreadTwoFingers(QWidget* client, QPointingDevice* device, QPoint at) {
    QTest::touchEvent(client, device)
        .press(0, at - QPoint(50, 0), client)
        .press(1, at + QPoint(50, 0), client);
    spreadAndLift(client, device, at);
}
