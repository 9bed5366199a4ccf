// The main window on a real X desktop: Xvfb with openbox, whose margins leave a work area
// smaller than the screen, as a panel does.
#include <QtTest>

#include <QApplication>
#include <QScreen>

#include "DataModule.h"
#include "ScriptedClassroom.h"
#include "XvfbTestMain.h"
#include "main/TFmMain.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

namespace {

constexpr int kPanelHeight = 48;

}  // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private slots:
    void theDecoratedFrameCoversTheWorkAreaOnceAndAMoveIsKept() {
        ScriptedClassroom service;
        service.reply("LmvInclass_GetBookList", "<NewDataSet/>");
        const auto dm = dataModule(service.host());
        TFmMain window(*dm);
        QScreen* screen = window.screen();
        const QRect workArea = screen->availableGeometry();
        QCOMPARE(workArea.height(), screen->geometry().height() - kPanelHeight);

        // A title bar from the window manager, and with it the whole frame over the work area,
        // not one title bar taller with its bottom under the panel.
        QTRY_VERIFY(window.frameGeometry().height() > window.height());
        QTRY_COMPARE(window.frameGeometry(), workArea);

        // Fitted once: a window moved afterwards stays where it was put.
        const QPoint moved = workArea.topLeft() + QPoint(60, 40);
        window.move(moved);
        QTRY_COMPARE(window.frameGeometry().topLeft(), moved);
        window.resize(window.size() - QSize(100, 100));
        QTest::qWait(300);
        QCOMPARE(window.frameGeometry().topLeft(), moved);
    }
};

int main(int argc, char** argv) {
    return RunOnXvfbDesktop<TestWindowManager>(argc, argv, kPanelHeight);
}

#include "test_window_manager.moc"
