// "课前准备" in the main window against the demo service: the button, its dialog finishing with
// the count and the failures, "重试", a book change while another book is being prepared, and
// prefetching with the chosen unit's pages first.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

#include "AccessibleTree.h"
#include "DataModule.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "TestActions.h"
#include "TestFiles.h"
#include "cache/CacheFolder.h"
#include "catalogue/FillBookCombo.h"
#include "main/PreparationController.h"
#include "main/PreparationDialog.h"
#include "main/TFmMain.h"
#include "service/TstudyDM.h"

class TestPreparationDialog : public QObject {
    Q_OBJECT

    QTemporaryDir overrides_;
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;
    std::unique_ptr<MessageRecorder> messages_;

    TFmMain& w() { return *window_; }
    PreparationController& controller() { return w().Preparation(); }
    QPushButton* button() { return controller().BtnPrepare; }
    void setFaults(const QByteArray& lines) {
        if (lines.isEmpty())
            QFile::remove(overrides_.filePath("faults/http"));
        else
            writeFile(overrides_.filePath("faults/http"), lines);
    }
    enum class Prefetch { Off, On };
    void openWindow(Prefetch prefetch = Prefetch::Off) {
        ClientConfig config = service_->clientConfig();
        config.prefetch = prefetch == Prefetch::On;
        dm_ = dataModule(config);
        window_ = std::make_unique<TFmMain>(*dm_);
        w().Member.UserId = "t1001";
        w().LoadUnitList();
        w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
    }
    void chooseBook(const char* bookId) {
        QComboBox* books = ::books(w());
        for (int i = 0; i < books->count(); ++i) {
            if (ComboBook(books, i)->bookid == GbkString(bookId)) return pick(books, i);
        }
        QFAIL(bookId);
    }
    void press(QPushButton* pushButton) {
        asUser([pushButton] { pushButton->click(); });
    }
    bool shown(QWidget* root, const QString& name) { return !ShownAccessibles(root, name).isEmpty(); }

private slots:
    void initTestCase() { service_ = std::make_unique<DemoService>(QStringList{overrides_.path()}); }
    void init() {
        setFaults({});
        // Each test starts from an empty cache, as a teacher's first lesson does.
        QVERIFY(QDir(QString::fromStdString(CacheFolder::temporaryPath())).removeRecursively());
        messages_ = std::make_unique<MessageRecorder>();
    }
    void cleanup() {
        window_.reset();
        dm_.reset();
        messages_.reset();
    }

    // The button prepares the chosen book in a dialog that ends with the count of ready files
    // and the failed ones; "重试" fetches those again. Closed and pressed again, the dialog shows
    // the same preparation.
    void buttonPreparesTheBook_data() {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QStringList>("failures");
        QTest::newRow("every file arrives") << QByteArray() << QStringList();
        QTest::newRow("a page is missing") << QByteArray("/content/pages/b3a/p002.png not-found\n")
                                           << QStringList{QStringLiteral("b3a-002.png：HTTP 404")};
    }
    void buttonPreparesTheBook() {
        QFETCH(QByteArray, faults);
        QFETCH(QStringList, failures);
        openWindow();
        QVERIFY(shown(&w(), QStringLiteral("课前准备")));
        QVERIFY(!button()->isEnabled());
        setFaults(faults);
        chooseBook("b3a");
        QVERIFY(button()->isEnabled());
        QVERIFY(controller().preparation() == nullptr);  // nothing runs before the press

        press(button());
        PreparationDialog* dialog = controller().dialog();
        QVERIFY(dialog != nullptr && dialog->isVisible());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("课前准备"));
        const LessonPreparation* preparation = controller().preparation();
        const int total = int(preparation->files().size());
        const QString ready = QStringLiteral("已准备好 %1 个文件").arg(total - failures.size());
        QTRY_VERIFY2_WITH_TIMEOUT(dialog->LabelResult->text().startsWith(ready),
                                  qPrintable(dialog->LabelResult->text() + " / " + ready), 60000);
        QCOMPARE(dialog->LabelFiles->text(), QStringLiteral("已完成 %1 / %2 个文件").arg(total).arg(total));
        QCOMPARE(dialog->ProgressFiles->value(), total);
        QStringList listed;
        for (int i = 0; i < dialog->ListFailures->count(); ++i)
            listed << dialog->ListFailures->item(i)->text();
        QCOMPARE(listed, failures);
        for (const QString& name : {QStringLiteral("进度"), QStringLiteral("取消"),
                                    dialog->LabelFiles->text(), dialog->LabelResult->text()})
            QVERIFY2(shown(dialog, name), qPrintable(name));
        QCOMPARE(shown(dialog, QStringLiteral("重试")), !failures.isEmpty());
        QCOMPARE(shown(dialog, QStringLiteral("未能下载的文件")), !failures.isEmpty());

        dialog->close();
        press(button());
        QVERIFY(dialog->isVisible());
        QCOMPARE(controller().preparation(), preparation);

        if (failures.isEmpty()) {
            // A prepared book shows without the network: every thumbnail and every picture of the
            // media lists is there already.
            const qsizetype earlier = service_->settledLog().size();
            choose(radio(w(), "RBtnTextbook"));
            QCOMPARE(textBook(w())->LVTextBook->count(), int(w().Catalogue.PageList.Count()));
            pick(units(w()), 0);
            for (const char* sheet :
                 {"RbtnSceneClassUse", "RBtnMiniLectureClassUse", "RBtnWordClassUse", "RBtnPhonics"}) {
                QVERIFY2(radio(w(), sheet)->isEnabled(), sheet);
                choose(radio(w(), sheet));
            }
            QVERIFY(wordSheet(w())->LVSyllabusWordClassUse->count() > 0);
            QVERIFY(phonicsSheet(w())->LVPhonics->count() > 0);
            QCOMPARE(service_->settledLog().mid(earlier).filter("/content/"), QStringList());
            return;
        }
        setFaults({});
        press(dialog->BtnRetry);
        QTRY_COMPARE_WITH_TIMEOUT(dialog->LabelResult->text(),
                                  QStringLiteral("已准备好 %1 个文件").arg(total), 30000);
        QVERIFY(!shown(dialog, QStringLiteral("重试")));
        QVERIFY2(messages_->texts().isEmpty(), qPrintable(messages_->texts().join('|')));
    }

    // Another book chosen while one is being prepared: the teacher is asked whether to stop it.
    void bookChangeAsksToStopTheOtherBook_data() {
        QTest::addColumn<QuestionRecorder::Answer>("answer");
        QTest::newRow("stop it") << QuestionRecorder::Answer::Yes;
        QTest::newRow("let it run") << QuestionRecorder::Answer::No;
    }
    void bookChangeAsksToStopTheOtherBook() {
        QFETCH(QuestionRecorder::Answer, answer);
        openWindow();
        setFaults("/content/ slow:2000\n");
        chooseBook("b3a");
        const QString bookName = books(w())->currentText();
        press(button());
        QVERIFY(controller().preparation()->running());
        QuestionRecorder questions(answer);
        chooseBook("b5b");
        QCOMPARE(questions.texts(),
                 QStringList{QStringLiteral("《%1》的课前准备还在进行，要停止它吗？").arg(bookName)});
        if (answer == QuestionRecorder::Answer::Yes) {
            QVERIFY(controller().preparation() == nullptr);
            QVERIFY(!controller().dialog()->isVisible());
        } else {
            QCOMPARE(controller().preparation()->bookId(), GbkString("b3a"));
            QVERIFY(controller().preparation()->running());
        }
        setFaults({});
    }

    // The textbook's thumbnail pass waits for pages the preparation is fetching when the teacher
    // picks another book and stops the preparation: the pass ends and nothing reaches the
    // records or the preparation that went.
    void bookChangeWhileWaitingForAPreparedPage() {
        openWindow();
        setFaults("/content/ slow:300\n");
        chooseBook("b3a");
        press(button());
        QuestionRecorder questions(QuestionRecorder::Answer::Yes);
        QTimer::singleShot(700, [this] { chooseBook("b5b"); });
        choose(radio(w(), "RBtnTextbook"));
        QTRY_COMPARE(questions.texts().size(), 1);
        QVERIFY(controller().preparation() == nullptr);
        QCOMPARE(ComboBook(books(w()), books(w())->currentIndex())->bookid, GbkString("b5b"));
        setFaults({});
        press(button());
        QTRY_VERIFY_WITH_TIMEOUT(controller().preparation()->progress().finished, 60000);
        QCOMPARE(controller().preparation()->bookId(), GbkString("b5b"));
    }

    // With prefetch every chosen book is prepared without the dialog, in page order, until a unit
    // is chosen: its page and the pages beside it come next.
    void prefetchPutsTheChosenUnitsPagesFirst() {
        setFaults("/content/ slow:150\n");
        openWindow(Prefetch::On);
        const qsizetype earlier = service_->settledLog().size();
        chooseBook("b3a");
        QVERIFY(controller().preparation() != nullptr);
        QVERIFY(controller().dialog() == nullptr);
        pick(units(w()), 3);  // Unit 4, on page 26
        QTRY_VERIFY_WITH_TIMEOUT(!controller().preparation()->running(), 60000);
        const QStringList log = service_->settledLog().mid(earlier).filter("/content/pages/b3a/");
        const auto at = [&](const char* page) {
            for (int i = 0; i < log.size(); ++i) {
                if (log[i].contains(QLatin1String(page))) return i;
            }
            return int(log.size());
        };
        QVERIFY2(at("p025") < at("p020"), qPrintable(log.join('\n')));
        QVERIFY(at("p027") < at("p020"));
        QVERIFY(at("p026") < at("p020"));
        setFaults({});
    }
};

QTEST_MAIN(TestPreparationDialog)
#include "test_preparation_dialog.moc"
