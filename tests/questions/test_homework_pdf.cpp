// The homework sheet in the main window with a real browser engine against the demo service:
// the assignments are asked for with the sign-in user id, the PDF with the teacher setting's,
// and the PDF shows inside the browser while the feedback page loads behind it.
#include <QtTest>

#include <QApplication>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <memory>

#include "DemoServiceFixture.h"
#include "MainWindowControls.h"
#include "SheetTestSupport.h"
#include "TestFiles.h"
#include "catalogue/FillHomeworkListView.h"
#include "main/TFmMain.h"
#include "questions/HomeworkPage.h"
#include "service/HttpClient.h"

class TestHomeworkPdf : public QObject, protected DemoServiceFixture {
    Q_OBJECT

private:
    std::unique_ptr<TFmMain> window_;

private slots:
    void initTestCase() {
        // The head teacher (t1002) has an assignment of their own; their setting names t1001.
        writeFile(
            overrides_.filePath("datasets/LmvInclass_GetTestList/t1002.xml"),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><NewDataSet>"
            "<Table hmwkid=\"hw-head\" hmwkname=\"Head teacher's homework\" practicetypeid=\"101\" "
            "msg=\"\" endtime=\"2024-07-01 18:00\" create_time=\"\" creator_id=\"t1002\"/></NewDataSet>");
        startDemoService();
    }
    void cleanupTestCase() {
        window_.reset();
        dm_.reset();
        service_.reset();
    }

    void homeworkPdfShowsInsideTheBrowserForTheCurrentUser() {
        window_ = std::make_unique<TFmMain>(*dm_);
        TFmMain& window = *window_;
        window.Member.UserId = "t1002";
        window.LoadHomeworkList();
        QCOMPARE(window.Catalogue.HomeworkList.Count(), std::size_t(1));
        QVERIFY(window.LoadTeacherSetting());
        QCOMPARE(window.Member.UserId, GbkString("t1001"));

        FillHomeworkListView(window.Catalogue.HomeworkList, tree(window, "LVHomework"), "101");
        pageControl(window)->setCurrentWidget(tab(window, "TabHomework"));
        HomeworkPage& sheet = *homeworkSheet(window);
        sheet.PageControlHWK->setCurrentWidget(sheet.TabHwkFeedbackWB);
        QSignalSpy pdfLoaded(sheet.WBHomework, &WebBrowser::loadFinished);
        QSignalSpy feedbackLoaded(sheet.WBHwkFeedback, &WebBrowser::loadFinished);
        QSignalSpy downloads(QWebEngineProfile::defaultProfile(), &QWebEngineProfile::downloadRequested);
        QTRY_VERIFY(sheet.LVHomework->isVisible());
        clickRow(sheet.LVHomework, 0);
        QCOMPARE(sheet.PageControlHWK->currentWidget(), sheet.TabHwkWB);

        const QString pdf = service_->baseUrl(true) + "/homework/pdf?homeworkid=hw-head&userid=t1001";
        QVERIFY(pdfLoaded.wait(30000));
        QVERIFY(pdfLoaded.first().first().toBool());
        QCOMPARE(sheet.WBHomework->LocationURL(), pdf);
        // The engine's PDF viewer names the page after the document's own title.
        QTRY_COMPARE_WITH_TIMEOUT(sheet.WBHomework->LocationName(), QStringLiteral("Head teacher's homework"),
                                  20000);
        QTRY_VERIFY_WITH_TIMEOUT(!feedbackLoaded.isEmpty(), 20000);
        QVERIFY(feedbackLoaded.first().first().toBool());
        QCOMPARE(sheet.WBHwkFeedback->LocationURL(), service_->baseUrl(true) + "/homework/classlist/hw-head");
        QCOMPARE(downloads.count(), 0);
        QVERIFY(service_->waitForRequest(" /homework/pdf?homeworkid=hw-head&userid=t1001 "));
    }
};

int main(int argc, char** argv) {
    WebBrowser::PrepareProcess();
    QApplication application(argc, argv);
    TestHomeworkPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_homework_pdf.moc"
