// The colour key on a real X desktop (Xvfb with openbox): a click where the main window's
// background shows goes through to the window beneath it; a click on a control or a picture,
// or anywhere in presentation mode, stays with the main window. The clicks go through the X
// server, which alone decides from the window's shapes who gets them.
#include <QtTest>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>

#include "DataModule.h"
#include "DataRows.h"
#include "MainWindowControls.h"
#include "ScriptedClassroom.h"
#include "XvfbTestMain.h"
#include "main/Presenter.h"
#include "main/TFmMain.h"
#include "pages/PageScrollBox.h"
#include "pages/TextBookPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

namespace {

// The window that the application's last mouse press reached (a second press soon after at the
// same place arrives as a double click).
class PressRecorder : public QObject {
public:
    PressRecorder() { qApp->installEventFilter(this); }
    ~PressRecorder() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
            watched->isWidgetType())
            reached = static_cast<QWidget*>(watched)->window();
        return false;
    }
    QWidget* reached = nullptr;
};

// The first button pressed and released at a point of the screen, as a mouse does it.
void click(QPoint global) {
    xcb_connection_t* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    xcb_test_fake_input(x, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, static_cast<int16_t>(global.x()),
                        static_cast<int16_t>(global.y()), 0);
    xcb_test_fake_input(x, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(x, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(x);
}

}  // namespace

class TestColourKey : public QObject {
    Q_OBJECT

private:
    ScriptedClassroom service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<QWidget> beneath_;
    std::unique_ptr<TFmMain> window_;
    std::unique_ptr<PressRecorder> presses_;

    // Clicks at `global` until the press reaches `expected` (the shape follows a change on the
    // next pass of the event loop); gives up after 5 s and says who got the last press.
    QString clickReaches(QPoint global, QWidget* expected) {
        QString last = QStringLiteral("nobody");
        QDeadlineTimer deadline(5000);
        do {
            presses_->reached = nullptr;
            click(global);
            if (!QTest::qWaitFor([this] { return presses_->reached != nullptr; }, 1000)) continue;
            if (presses_->reached == expected) return {};
            last = presses_->reached->objectName();
            QTest::qWait(50);  // polled as QTRY_* does
        } while (!deadline.hasExpired());
        return QStringLiteral("the click at (%1, %2) reached %3").arg(global.x()).arg(global.y()).arg(last);
    }

private slots:
    void initTestCase() {
        service_.reply("LmvInclass_GetBookList", "<NewDataSet/>");
        dm_ = dataModule(service_.host());
        presses_ = std::make_unique<PressRecorder>();

        // Out of the window manager's hands, which would raise it over the main window when it
        // is clicked.
        beneath_ = std::make_unique<QWidget>(nullptr, Qt::X11BypassWindowManagerHint);
        beneath_->setObjectName(QStringLiteral("beneath"));
        beneath_->setGeometry(QGuiApplication::primaryScreen()->geometry());
        beneath_->show();
        QVERIFY(QTest::qWaitForWindowExposed(beneath_.get()));
        beneath_->lower();

        window_ = std::make_unique<TFmMain>(*dm_);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTRY_COMPARE(window_->frameGeometry(), window_->screen()->availableGeometry());
    }

    void cleanupTestCase() {
        window_.reset();
        beneath_.reset();
    }

    void aClickGoesThroughOnlyWhereTheBackgroundShows_data() {
        QTest::addColumn<QWidget*>("widget");
        QTest::addColumn<QPoint>("point");  // in the widget; a null point is its centre
        QTest::addColumn<bool>("through");
        TFmMain& w = *window_;
        // The screen is wider than the class panel, which is centred in the top bar.
        addRow("top bar beside the class panel", control<QWidget>(w, "Panel3"), QPoint(20, 20), true);
        addRow("class panel between its controls", control<QWidget>(w, "PanelClass"), QPoint(360, 20), true);
        addRow("logo sheet around the logo", tab(w, "TabSheetLogo"), QPoint(10, 10), true);
        addRow("check box", control<QWidget>(w, "CheckBoxDeleteFile"), QPoint(), false);
        addRow("unit drop-down's label", control<QWidget>(w, "Label114"), QPoint(), false);
        addRow("logo picture", control<QWidget>(w, "imgLogo"), QPoint(), false);
    }

    void aClickGoesThroughOnlyWhereTheBackgroundShows() {
        QFETCH(QWidget*, widget);
        QFETCH(QPoint, point);
        QFETCH(bool, through);
        const QPoint global = widget->mapToGlobal(point.isNull() ? widget->rect().center() : point);
        const QString failure = clickReaches(global, through ? beneath_.get() : window_.get());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void aControlThatHidesLeavesAHoleAndTakesItBackWhenShown() {
        QWidget* box = control<QCheckBox>(*window_, "CheckBoxDeleteFile");
        const QPoint global = box->mapToGlobal(box->rect().center());
        box->hide();
        QString failure = clickReaches(global, beneath_.get());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        box->show();
        failure = clickReaches(global, window_.get());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void presentationModeHasNoHolesAndLeavingItBringsThemBack() {
        TFmMain& w = *window_;
        const QPoint topBar = control<QWidget>(w, "Panel3")->mapToGlobal(QPoint(20, 20));
        pageControl(w)->setCurrentWidget(tab(w, "TabTextBook"));
        // Without a book the page pane is empty: the new sheet's background shows.
        PageScrollBox* pane = textBook(w)->CenterPage->box();
        const QPoint emptyPane = pane->mapToGlobal(QPoint(pane->width() / 2, 30));
        QString failure = clickReaches(emptyPane, beneath_.get());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        w.presenter()->EnterPresentation();
        QVERIFY(w.presenter()->InPresentation());
        QTRY_COMPARE(w.geometry(), w.screen()->geometry());
        for (const QPoint& point : {topBar, emptyPane}) {
            failure = clickReaches(point, window_.get());
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }

        w.presenter()->LeavePresentation();
        failure = clickReaches(topBar, beneath_.get());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

int main(int argc, char** argv) {
    return RunOnXvfbDesktop<TestColourKey>(argc, argv);
}

#include "test_colour_key.moc"
