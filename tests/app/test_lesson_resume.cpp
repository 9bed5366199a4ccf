// Returning to the place a lesson stopped at: the place file written at close, the way back
// offered on the logo sheet after the next sign-in of the same account, and what pressing it
// does, checked against the demo service's request log and the page on show.
#include <QtTest>

#include <sys/stat.h>
#include <QAccessible>
#include <QComboBox>
#include <QCryptographicHash>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "DataRows.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "TestActions.h"
#include "catalogue/FillBookCombo.h"
#include "main/LessonKeeper.h"
#include "main/TFmMain.h"
#include "pages/TextBookPage.h"
#include "platform/PlaceStore.h"
#include "test_login_support.h"

namespace {

// What went out, without the time each request took.
QStringList requests(const QStringList& log) {
    QStringList lines;
    for (const QString& line : log) lines << line.split(u' ').mid(3, 3).join(u' ');
    return lines;
}

const LessonPlace kPlace{"b3a", "b3a-u3", "textbook", "", "三年级上册", "Unit 3 Colours 颜色", "教材"};

}  // namespace

class TestLessonResume : public QObject, protected SignInFixture {
    Q_OBJECT

private:
    QTemporaryDir overrides_;
    PlaceStore store_;  // the state folder the program uses under this test's environment

    TFmMain* signInAs(const QString& account, const QString& password) {
        Tfmlogin* login = start();
        if (login == nullptr) return nullptr;
        signIn(login, account, password);
        return entry_->FmMain();
    }
    void closeProgram() {
        entry_->FmMain()->close();
        entry_.reset();
    }
    QPushButton* resumeButton(TFmMain* window) { return window->findChild<QPushButton*>("BtnResume"); }

private slots:
    void init() {
        prepare();
        QDir(store_.folder()).removeRecursively();
    }
    void cleanup() { release(); }

    // The teacher's clicks and the way back make the same requests, in the same order, and end
    // on the same page.
    void resumeRepeatsTheTeachersClicks() {
        startDemo();
        MessageRecorder messages;
        TFmMain* w = signInAs("teacher", "lumo2024");
        QVERIFY(w && !resumeButton(w)->isVisible());
        const qsizetype signedIn = settledLog(*demo_).size();

        const int book = [&] {
            for (int i = 0; i < books(*w)->count(); ++i)
                if (ComboBook(books(*w), i)->bookid == "b3a") return i;
            return -1;
        }();
        QVERIFY(book >= 0);
        books(*w)->setCurrentIndex(book);
        asUser([&] { emit books(*w)->activated(book); });
        units(*w)->setCurrentIndex(2);
        asUser([&] { emit units(*w)->activated(2); });
        asUser([&] { radio(*w, "RBtnTextbook")->click(); });
        QListWidget* pages = textBook(*w)->LVTextBook;
        const int picked = pages->currentRow() + 2;
        QVERIFY(picked < pages->count());
        asUser([&] {
            pages->setCurrentRow(picked);
            emit pages->itemClicked(pages->item(picked));
        });
        const QStringList clicks = requests(settledLog(*demo_).mid(signedIn));
        const TPageObj shown = *TextBookPage::PageOf(pages->currentItem());
        const std::string shownFile = textBook(*w)->CurrentPageFile();
        QVERIFY(!shownFile.empty());
        const QString caption =
            QStringLiteral("继续上次课程：%1 · %2 · %3")
                .arg(books(*w)->currentText(), units(*w)->currentText(), gbk::toQString(shown.pagename));
        closeProgram();

        const QString file =
            store_.folder() + QCryptographicHash::hash("teacher", QCryptographicHash::Sha256).toHex();
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0600u);

        // The pictures are fetched again, as on a machine that cleared its cache.
        QVERIFY(QDir(qEnvironmentVariable("XDG_CACHE_HOME") + "/lumoclass").removeRecursively());
        w = signInAs("teacher", "lumo2024");
        QVERIFY(w);
        const qsizetype resumedFrom = settledLog(*demo_).size();
        QPushButton* resume = resumeButton(w);
        QVERIFY(resume->isVisible());
        QCOMPARE(resume->text(), caption);
        QCOMPARE(QAccessible::queryAccessibleInterface(resume)->text(QAccessible::Name), caption);
        asUser([&] { QTest::mouseClick(resume, Qt::LeftButton); });

        QCOMPARE(requests(settledLog(*demo_).mid(resumedFrom)), clicks);
        QCOMPARE(pageControl(*w)->currentWidget(), tab(*w, "TabTextBook"));
        QVERIFY(radio(*w, "RBtnTextbook")->isChecked());
        QCOMPARE(TextBookPage::PageOf(textBook(*w)->LVTextBook->currentItem())->pageid, shown.pageid);
        QCOMPARE(textBook(*w)->CurrentPageFile(), shownFile);
        QVERIFY(!resume->isVisible());
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
    }

    // A place that cannot be returned to offers nothing; it is forgotten only when a list that
    // loaded with rows lacks it.
    void placeWithoutWayBack_data() {
        // placeFile replaces the remembered place when set.
        addColumns<QString, QString, QString, QByteArray, QByteArray, bool>(
            {"account", "password", "overrideFile", "override", "placeFile", "kept"});
        const auto unitList = [](const char* unit) {
            return R"(<?xml version="1.0" encoding="UTF-8"?><NewDataSet>)" + QByteArray(unit) +
                   R"(</NewDataSet>)";
        };
        addRow("another account", "head", "head2024", QString(), QByteArray(), QByteArray(), true);
        addRow(
            "unit gone from the list", "teacher", "lumo2024", "datasets/LmvInclass_GetUnitList.xml",
            unitList(
                R"(<Table unitcode="b3a-u1" unitname="Unit 1" UnitTitle="x" bookid="b3a" IsValid="1" pagenumber="2" />)"),
            QByteArray(), false);
        addRow(
            "unit no longer valid", "teacher", "lumo2024", "datasets/LmvInclass_GetUnitList.xml",
            unitList(
                R"(<Table unitcode="b3a-u3" unitname="Unit 3" UnitTitle="x" bookid="b3a" IsValid="0" pagenumber="2" />)"),
            QByteArray(), false);
        addRow("unit list failed", "teacher", "lumo2024", "faults/LmvInclass_GetUnitList",
               QByteArray("soap-fault:down"), QByteArray(), true);
        addRow("book list empty", "teacher", "lumo2024", "datasets/LmvInclass_GetBookList.xml",
               QByteArray(R"(<?xml version="1.0"?><NewDataSet></NewDataSet>)"), QByteArray(), true);
        addRow("corrupt file", "teacher", "lumo2024", QString(), QByteArray(),
               QByteArray("{\"book\":\"b3a\",\"unit\":"), true);
        addRow("not a place", "teacher", "lumo2024", QString(), QByteArray(),
               QByteArray("[\"b3a\",\"b3a-u3\"]"), true);
    }
    void placeWithoutWayBack() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(QString, overrideFile);
        QFETCH(QByteArray, override);
        QFETCH(QByteArray, placeFile);
        QFETCH(bool, kept);
        QDir(overrides_.path()).removeRecursively();
        QDir().mkpath(overrides_.path());
        if (!overrideFile.isEmpty()) writeFile(overrides_.filePath(overrideFile), override);
        startDemo({overrides_.path()});
        store_.SavePlace("teacher", kPlace);
        const QString file = store_.placeFile("teacher");
        if (!placeFile.isEmpty()) writeFile(file, placeFile);
        const QByteArray before = fileBytes(file);

        TFmMain* w = signInAs(account, password);
        QVERIFY(w);
        QVERIFY(!resumeButton(w)->isVisible());
        QCOMPARE(fileBytes(file), kept ? before : QByteArray());
        if (account != "teacher") QVERIFY(!QFile::exists(store_.placeFile(account.toUtf8())));
    }
};

QTEST_MAIN(TestLessonResume)
#include "test_lesson_resume.moc"
