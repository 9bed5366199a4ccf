#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "BrowserNavigation.h"
#include "catalogue/MemberInfoRec.h"
#include "catalogue/TDictonaryTestPaperObj.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TUnitObj.h"
#include "catalogue/TVantorQuestionTypeObj.h"
#include "service/GbkText.h"
#include "service/HttpClient.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTreeWidget;
struct ClientConfig;
class WebBrowser;
class lmvInclassSoap;

// The question bank sheet ("题库"): on the left the page control with the test paper search
// ("试卷查询": three filters, a keyword, the sorted result list) and the question search
// ("试题查询": the unit's sections and the questions of one); on the right the question display
// shared by both (title, browser, information line).
//
// The test papers are searched locally in the main window's TestPaperList, which the sheet
// fills on request and never empties; result entries point at its records, so the list must
// outlive the sheet. The sheet borrows the service proxy and the member record; every request
// and page address uses Member.UserId as it is at that moment. The chosen unit is asked for at
// each query. Service calls block the window thread. Failures are reported as each routine
// says, through ShowMessage.
class QuestionBankPage : public QWidget {
    Q_OBJECT

public:
    using ChosenUnit = std::function<const TUnitObj*()>;

    QuestionBankPage(lmvInclassSoap& service, const ClientConfig& config, const MemberInfoRec& member,
                     TObjectList<TDictonaryTestPaperObj>& testPaperList, ChosenUnit chosenUnit,
                     BrowserNavigation navigation = {}, QWidget* parent = nullptr);

    // Appends the member's test papers to TestPaperList, all of them or, without `takeAll`,
    // those whose status is not "2". Ends silently on any failure, keeping the papers read so
    // far; an empty reply document shows "empty".
    void FillInTestPaperObjList(bool takeAll);

    // Refills cbsection with the unit's sections, "name (含N题)", none selected. A failure shows
    // the two-line "异常类名称:" box; the sections read before it stay.
    void RetriveUnitSectionList(const GbkString& unitcode);

    // Loads the hidden question type drop-down while it has no entries: first with the ids
    // under "questiontypeid" and an empty first entry, failing that with "QuestionTypeid".
    // Errors are ignored.
    void LoadQuestionTypeList();
    void FillInQuestionTypeComb(const GbkString& userId, QComboBox* combo);

    // The test paper search: every trigger runs the same search over TestPaperList.
    void Button61Click();
    void CBTestAreaChange();
    void cboxtesttypeChange();
    void cbTestyearChange();
    void EditSearchExit();
    // Shows the chosen paper's source page; nothing without a selected entry.
    void CBTestPaperClick();

    // The question query with the chosen unit and section; "请先选择查询条件！" when neither
    // is chosen. When the request or the reply fails the list is emptied, the count reads 0
    // and the two-line box names the failure.
    void cbsectionChange();
    void BitBtn16Click();
    // Show the selected question's page; nothing without a selected row.
    void VantorquestionListViewClick();
    void VantorquestionListViewChange();
    void VantorquestionListViewDblClick();

    // Nothing fills it: the reader finds no type names in it.
    TObjectList<TVantorQuestionTypeObj> QuestionTypeList;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;

    // "试卷查询"
    QComboBox* cboxtesttype = nullptr;
    QComboBox* cbTestyear = nullptr;
    QComboBox* CBTestArea = nullptr;
    QLineEdit* EditSearch = nullptr;
    QPushButton* Button61 = nullptr;
    QListWidget* CBTestPaper = nullptr;
    QLabel* Label10 = nullptr;

    // "试题查询"
    QComboBox* cbsection = nullptr;
    QLabel* LabelQuestionType = nullptr;        // hidden
    QComboBox* CBVantorQuestionType = nullptr;  // hidden
    QPushButton* BitBtn16 = nullptr;            // hidden
    QTreeWidget* VantorquestionListView = nullptr;
    QLabel* Label37 = nullptr;

    // The question display.
    QLabel* LbURL = nullptr;
    WebBrowser* WBVantorQuestion = nullptr;
    QLabel* lbstorequestion = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateTestPaperPage();
    void CreateQuestionPage();
    void CreateQuestionDisplay();
    void SearchTestPapers();
    void QueryQuestions();

    lmvInclassSoap& service_;
    const MemberInfoRec& member_;
    TObjectList<TDictonaryTestPaperObj>& testPaperList_;
    ChosenUnit chosenUnit_;
    BrowserNavigation navigation_;
    QString classroomHost_;
    QString questionHost_;
    TlsPolicy tls_;  // the question page browser's
};
