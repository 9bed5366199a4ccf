// Which screen the main window opens on and how it moves between screens, against a screen
// list of the test's own (the offscreen platform has one screen).
#include <QtTest>

#include "DataModule.h"
#include "DataRows.h"
#include "ScriptedClassroom.h"
#include "main/LessonKeeper.h"
#include "main/TFmMain.h"
#include "platform/PlaceStore.h"
#include "platform/ScreenChoice.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

namespace {

// A laptop panel on the left, a projector to its right with a dock at its bottom, a monitor
// above the laptop.
const QList<ScreenInfo> kScreens = {
    {"eDP-1", QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040)},
    {"HDMI-1", QRect(1920, 0, 1280, 800), QRect(1920, 0, 1280, 752)},
    {"DP-2", QRect(0, -1080, 1920, 1080), QRect(0, -1080, 1920, 1080)},
};

class FixedScreens : public ScreenSet {
public:
    explicit FixedScreens(QList<ScreenInfo> screens) : screens_(std::move(screens)) {}
    QList<ScreenInfo> screens() const override { return screens_; }
    int primary() const override { return 0; }

private:
    QList<ScreenInfo> screens_;
};

class NoScreenSaver : public ScreenSaverInhibitor {
public:
    void Inhibit(const QString&) override {}
    void UnInhibit() override {}
    bool isHeld() const override { return false; }
};

}  // namespace

Q_DECLARE_METATYPE(std::optional<RememberedScreen>)

class TestScreens : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedClassroom> service_;
    std::unique_ptr<TstudyDM> dm_;
    QTemporaryDir state_;

    std::unique_ptr<TFmMain> openWindow(const QList<ScreenInfo>& screens) {
        LessonDesktop desktop{std::make_unique<NoScreenSaver>(), std::make_unique<FixedScreens>(screens),
                              PlaceStore(state_.path())};
        auto window = std::make_unique<TFmMain>(*dm_, std::move(desktop));
        // The keys are the window's shortcuts: they work in the active window.
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) qWarning("the window did not become active");
        return window;
    }

private slots:
    void init() {
        service_ = std::make_unique<ScriptedClassroom>();
        service_->reply("LmvInclass_GetBookList", "<NewDataSet/>");
        dm_ = dataModule(service_->host());
    }
    void cleanup() {
        dm_.reset();
        service_.reset();
    }

    void choosesTheRememberedScreen_data() {
        addColumns<std::optional<RememberedScreen>, int, int>({"remembered", "primary", "chosen"});
        const std::optional<RememberedScreen> none;
        addRow("nothing remembered: primary", none, 2, 2);
        addRow("by name and geometry", std::optional(RememberedScreen{"HDMI-1", QRect(1920, 0, 1280, 800)}),
               0, 1);
        addRow("same name, new resolution",
               std::optional(RememberedScreen{"HDMI-1", QRect(1920, 0, 1024, 768)}), 0, 1);
        addRow("renamed connector, same geometry",
               std::optional(RememberedScreen{"HDMI-2", QRect(0, -1080, 1920, 1080)}), 0, 2);
        addRow("name before geometry", std::optional(RememberedScreen{"DP-2", QRect(1920, 0, 1280, 800)}), 0,
               2);
        addRow("unplugged: primary", std::optional(RememberedScreen{"VGA-1", QRect(5000, 0, 800, 600)}), 1,
               1);
        addRow("primary unknown: first", std::optional(RememberedScreen{"VGA-1", QRect(5000, 0, 800, 600)}),
               -1, 0);
    }
    void choosesTheRememberedScreen() {
        QFETCH(std::optional<RememberedScreen>, remembered);
        QFETCH(int, primary);
        QFETCH(int, chosen);
        QCOMPARE(ChooseScreen(kScreens, remembered, primary), chosen);
        QCOMPARE(ChooseScreen({}, remembered, primary), -1);
    }

    // Left to right, top to bottom where screens share a left edge, wrapping at both ends.
    void neighboursRunLeftToRightAndWrap_data() {
        addColumns<int, int, int>({"current", "step", "next"});
        addRow("monitor above to laptop", 2, 1, 0);
        addRow("laptop to projector", 0, 1, 1);
        addRow("projector wraps to monitor", 1, 1, 2);
        addRow("monitor back wraps to projector", 2, -1, 1);
        addRow("laptop back to monitor", 0, -1, 2);
    }
    void neighboursRunLeftToRightAndWrap() {
        QFETCH(int, current);
        QFETCH(int, step);
        QFETCH(int, next);
        QCOMPARE(NeighbourScreen(kScreens, current, step), next);
    }

    // The projected page's screen: the one chosen last, else the largest other one; mirrored
    // outputs (one geometry) are one screen.
    void projectorIsTheChosenOrTheLargestOther_data() {
        addColumns<int, std::optional<RememberedScreen>, int>({"console", "chosen", "projector"});
        const std::optional<RememberedScreen> none;
        addRow("laptop: the largest other", 0, none, 2);
        addRow("monitor: the largest other", 2, none, 0);
        addRow("chosen last", 0, std::optional(RememberedScreen{"HDMI-1", QRect(1920, 0, 1280, 800)}), 1);
        addRow("chosen last, renamed", 0, std::optional(RememberedScreen{"DP-9", QRect(1920, 0, 1280, 800)}),
               1);
        addRow("chosen last is the console's", 1,
               std::optional(RememberedScreen{"HDMI-1", QRect(1920, 0, 1280, 800)}), 0);
        addRow("chosen last unplugged", 0, std::optional(RememberedScreen{"VGA-1", QRect(5000, 0, 800, 600)}),
               2);
    }
    void projectorIsTheChosenOrTheLargestOther() {
        QFETCH(int, console);
        QFETCH(std::optional<RememberedScreen>, chosen);
        QFETCH(int, projector);
        QCOMPARE(ProjectorScreen(kScreens, console, chosen), projector);
        // A mirror of the console's screen is no projector; mirrors of one projector are one.
        QList<ScreenInfo> mirrored = {kScreens.at(console), kScreens.at(console)};
        QCOMPARE(ProjectorScreen(mirrored, 0, chosen), -1);
        mirrored.append(kScreens.at(projector));
        mirrored.append(kScreens.at(projector));
        QCOMPARE(DistinctScreens(mirrored).size(), 2);
    }

    // Opens on the remembered screen's work area; Ctrl+Shift+arrows move it and the next start
    // follows; one screen changes nothing and remembers nothing.
    void theWindowOpensAndMovesWhereTheTeacherPutIt() {
        PlaceStore store(state_.path());
        store.SaveScreen({"HDMI-1", kScreens.at(1).geometry});
        {
            const std::unique_ptr<TFmMain> window = openWindow(kScreens);
            QCOMPARE(window->frameGeometry(), kScreens.at(1).workArea);
            QTest::keyClick(window.get(), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(window->frameGeometry(), kScreens.at(2).workArea);
            QTest::keyClick(window.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
            QTest::keyClick(window.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
            QCOMPARE(window->frameGeometry(), kScreens.at(0).workArea);
            window->close();
        }
        QCOMPARE(store.LoadScreen(), std::optional(RememberedScreen{"eDP-1", kScreens.at(0).geometry}));
        const std::unique_ptr<TFmMain> again = openWindow(kScreens);
        QCOMPARE(again->frameGeometry(), kScreens.at(0).workArea);
        again->close();

        QFile::remove(store.screenFile());
        const std::unique_ptr<TFmMain> single = openWindow({kScreens.at(1)});
        const QRect before = single->frameGeometry();
        QTest::keyClick(single.get(), Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(single->frameGeometry(), before);
        single->close();
        QVERIFY(!store.LoadScreen());
    }
};

QTEST_MAIN(TestScreens)
#include "test_screens.moc"
