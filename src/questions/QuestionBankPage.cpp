#include "QuestionBankPage.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "FilterTestPapers.h"
#include "ReadQuestionList.h"
#include "RowChoice.h"
#include "catalogue/ItemRecord.h"
#include "catalogue/TUnitSectionObj.h"
#include "look/SelectedItem.h"
#include "service/ClientConfig.h"
#include "service/Endpoints.h"
#include "service/FailureText.h"
#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "service/lmvInclassSoap.h"
#include "web/WebBrowser.h"

Q_DECLARE_METATYPE(std::shared_ptr<TUnitSectionObj>)
Q_DECLARE_METATYPE(std::shared_ptr<TVantorQuestionTypeObj>)

namespace {

constexpr int kLeftColumnWidth = 318;
const GbkString kSubject = "english";

template <class Control>
Control* named(Control* control, const char* name) {
    control->setObjectName(QLatin1String(name));
    return control;
}

// Captions show service values (names, ids, addresses) as they are, never as markup.
QLabel* caption(QWidget* parent, const char* name, const QString& text) {
    auto* label = named(new QLabel(text, parent), name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A drop-down list that cannot be typed into, read by assistive technology under its label.
QComboBox* dropDown(QWidget* parent, const char* name, QLabel* label) {
    auto* combo = named(new QComboBox(parent), name);
    combo->setEditable(false);
    combo->setAccessibleName(label->text());
    label->setBuddy(combo);
    return combo;
}

const TUnitSectionObj* sectionAt(const QComboBox* combo, int index) {
    return recordAt<TUnitSectionObj>(combo, index);
}

}  // namespace

QuestionBankPage::QuestionBankPage(lmvInclassSoap& service, const ClientConfig& config,
                                   const MemberInfoRec& member,
                                   TObjectList<TDictonaryTestPaperObj>& testPaperList, ChosenUnit chosenUnit,
                                   BrowserNavigation navigation, QWidget* parent)
    : QWidget(parent),
      service_(service),
      member_(member),
      testPaperList_(testPaperList),
      chosenUnit_(std::move(chosenUnit)),
      navigation_(std::move(navigation)),
      classroomHost_(config.classroomHost),
      questionHost_(config.questionHost),
      tls_(config.httpClient().tls()) {
    setObjectName(QStringLiteral("TabQuestionBank"));
    // The window may be made smaller than the controls need; they are clipped then, as on any
    // other sheet, rather than holding the whole window at their size.
    setMinimumSize(1, 1);
    auto* layout = new QHBoxLayout(this);
    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setFixedWidth(kLeftColumnWidth);
    PageControl1->setAccessibleName(QStringLiteral("查询方式"));
    TabSheet1 = named(new QWidget(PageControl1), "TabSheet1");
    TabSheet2 = named(new QWidget(PageControl1), "TabSheet2");
    PageControl1->addTab(TabSheet1, QStringLiteral("试卷查询"));
    PageControl1->addTab(TabSheet2, QStringLiteral("试题查询"));
    layout->addWidget(PageControl1);
    CreateTestPaperPage();
    CreateQuestionPage();
    CreateQuestionDisplay();
}

void QuestionBankPage::CreateTestPaperPage() {
    auto* layout = new QVBoxLayout(TabSheet1);
    auto* filters = named(new QWidget(TabSheet1), "PanelFilter");
    auto* filterLayout = new QFormLayout(filters);
    filterLayout->addRow(caption(filters, "LabelFilter", QStringLiteral("筛选条件")));
    QLabel* typeLabel = caption(filters, "LabelTestType", QStringLiteral("类型"));
    QLabel* yearLabel = caption(filters, "LabelTestYear", QStringLiteral("年份"));
    QLabel* areaLabel = caption(filters, "LabelTestArea", QStringLiteral("区域"));
    QLabel* keywordLabel = caption(filters, "LabelKeyword", QStringLiteral("关键词"));
    cboxtesttype = dropDown(filters, "cboxtesttype", typeLabel);
    cbTestyear = dropDown(filters, "cbTestyear", yearLabel);
    CBTestArea = dropDown(filters, "CBTestArea", areaLabel);
    EditSearch = named(new QLineEdit(filters), "EditSearch");
    EditSearch->setAccessibleName(keywordLabel->text());
    keywordLabel->setBuddy(EditSearch);
    EditSearch->installEventFilter(this);
    filterLayout->addRow(typeLabel, cboxtesttype);
    filterLayout->addRow(yearLabel, cbTestyear);
    filterLayout->addRow(areaLabel, CBTestArea);
    filterLayout->addRow(keywordLabel, EditSearch);
    Button61 = named(new QPushButton(QStringLiteral("筛选"), filters), "Button61");
    filterLayout->addRow(Button61);
    layout->addWidget(filters);

    QLabel* resultLabel = caption(TabSheet1, "LabelTestPapers", QStringLiteral("满足查询条件的试卷"));
    CBTestPaper = named(new QListWidget(TabSheet1), "CBTestPaper");
    CBTestPaper->setAccessibleName(resultLabel->text());
    Label10 = caption(TabSheet1, "Label10", QStringLiteral(" 共0套"));
    layout->addWidget(resultLabel);
    layout->addWidget(CBTestPaper, 1);
    layout->addWidget(Label10);

    // The drop-downs search on the user's choice only: refilling them in code does not.
    connect(Button61, &QPushButton::clicked, this, &QuestionBankPage::Button61Click);
    connect(CBTestArea, &QComboBox::activated, this, &QuestionBankPage::CBTestAreaChange);
    connect(cboxtesttype, &QComboBox::activated, this, &QuestionBankPage::cboxtesttypeChange);
    connect(cbTestyear, &QComboBox::activated, this, &QuestionBankPage::cbTestyearChange);
    connect(new RowChoice(CBTestPaper), &RowChoice::chosen, this, &QuestionBankPage::CBTestPaperClick);
}

void QuestionBankPage::CreateQuestionPage() {
    auto* layout = new QVBoxLayout(TabSheet2);
    auto* top = named(new QWidget(TabSheet2), "PanelSection");
    auto* topLayout = new QFormLayout(top);
    QLabel* sectionLabel = caption(top, "LabelSection", QStringLiteral("所在Section"));
    cbsection = dropDown(top, "cbsection", sectionLabel);
    topLayout->addRow(sectionLabel, cbsection);
    LabelQuestionType = caption(top, "LabelQuestionType", QStringLiteral("题型"));
    CBVantorQuestionType = dropDown(top, "CBVantorQuestionType", LabelQuestionType);
    topLayout->addRow(LabelQuestionType, CBVantorQuestionType);
    BitBtn16 = named(new QPushButton(QStringLiteral("查询题目"), top), "BitBtn16");
    topLayout->addRow(BitBtn16);
    // The type choice is loaded but never offered; the query runs from the section choice.
    for (QWidget* hidden : std::initializer_list<QWidget*>{LabelQuestionType, CBVantorQuestionType, BitBtn16})
        hidden->hide();
    layout->addWidget(top);

    QLabel* resultLabel = caption(TabSheet2, "LabelQuestions", QStringLiteral("满足查询条件的题目"));
    VantorquestionListView = named(new QTreeWidget(TabSheet2), "VantorquestionListView");
    VantorquestionListView->setRootIsDecorated(false);
    VantorquestionListView->setAllColumnsShowFocus(true);
    VantorquestionListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    VantorquestionListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    VantorquestionListView->setAccessibleName(resultLabel->text());
    VantorquestionListView->setColumnCount(3);
    VantorquestionListView->setHeaderLabels(
        {QStringLiteral("序号"), QStringLiteral("题型"), QStringLiteral("难度")});
    VantorquestionListView->setColumnWidth(0, 120);
    VantorquestionListView->setColumnWidth(1, 120);
    VantorquestionListView->setColumnWidth(2, 40);
    Label37 = caption(TabSheet2, "Label37", QStringLiteral("返回题目数："));
    layout->addWidget(resultLabel);
    layout->addWidget(VantorquestionListView, 1);
    layout->addWidget(Label37);

    connect(cbsection, &QComboBox::activated, this, &QuestionBankPage::cbsectionChange);
    connect(BitBtn16, &QPushButton::clicked, this, &QuestionBankPage::BitBtn16Click);
    connect(new RowChoice(VantorquestionListView), &RowChoice::chosen, this,
            &QuestionBankPage::VantorquestionListViewChange);
    connect(VantorquestionListView, &QTreeWidget::itemDoubleClicked, this,
            &QuestionBankPage::VantorquestionListViewDblClick);
}

void QuestionBankPage::CreateQuestionDisplay() {
    auto* display = named(new QWidget(this), "PanelQuestionDisplay");
    auto* layout = new QVBoxLayout(display);
    LbURL = caption(display, "LbURL", QStringLiteral("题目显示"));
    LbURL->setTextInteractionFlags(Qt::TextSelectableByMouse);
    WBVantorQuestion = named(new WebBrowser(tls_, display), "WBVantorQuestion");
    WBVantorQuestion->setAccessibleName(QStringLiteral("题目显示"));
    lbstorequestion = caption(display, "lbstorequestion", QString());
    lbstorequestion->hide();
    layout->addWidget(LbURL);
    layout->addWidget(WBVantorQuestion, 1);
    layout->addWidget(lbstorequestion);
    static_cast<QHBoxLayout*>(this->layout())->addWidget(display, 1);
}

void QuestionBankPage::FillInTestPaperObjList(bool takeAll) {
    try {
        const GbkString reply = service_.LmvInclass_GetAllTestPaperList(member_.UserId, "0");
        const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::Plain);
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) {
            if (!takeAll && row.value("testpaperstatus") == "2") continue;
            testPaperList_.Add(TDictonaryTestPaperObj::fromRow(row));
        }
    } catch (const std::exception&) {
        // Without papers the search simply finds nothing; the teacher is not interrupted.
    }
}

void QuestionBankPage::SearchTestPapers() {
    FilterTestPapers(testPaperList_, CBTestPaper, EditSearch->text(), cboxtesttype->currentText(),
                     CBTestArea->currentText(), cbTestyear->currentText());
    Label10->setText(QStringLiteral("共%1套").arg(CBTestPaper->count()));
}

void QuestionBankPage::Button61Click() {
    SearchTestPapers();
}

void QuestionBankPage::CBTestAreaChange() {
    SearchTestPapers();
}

void QuestionBankPage::cboxtesttypeChange() {
    SearchTestPapers();
}

void QuestionBankPage::cbTestyearChange() {
    SearchTestPapers();
}

void QuestionBankPage::EditSearchExit() {
    SearchTestPapers();
}

bool QuestionBankPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditSearch && event->type() == QEvent::FocusOut) {
        // Leaving the box, not the window: the focus comes back to the box after a
        // window switch or a pop-up, and the keyword has not been left then.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) EditSearchExit();
    }
    return QWidget::eventFilter(watched, event);
}

void QuestionBankPage::CBTestPaperClick() {
    const TDictonaryTestPaperObj* paper = EntryTestPaper(firstSelected(CBTestPaper));
    if (paper == nullptr) return;
    LbURL->setText(gbk::toQString(paper->testpapername));
    lbstorequestion->setVisible(true);
    lbstorequestion->setText(QStringLiteral("当前试卷号：") + gbk::toQString(paper->testpaperid));
    NavigateBrowser(navigation_, *WBVantorQuestion,
                    Endpoints::testPaperSource(classroomHost_, paper->testpaperid, member_.UserId));
}

void QuestionBankPage::RetriveUnitSectionList(const GbkString& unitcode) {
    cbsection->clear();
    try {
        const GbkString reply = service_.LmvInclass_GetSectionList(member_.UserId, kSubject, unitcode);
        const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::Plain);
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) {
            auto section = std::make_shared<TUnitSectionObj>(TUnitSectionObj::fromRow(row));
            const QString text = gbk::toQString(section->sectionname) + QStringLiteral(" (含") +
                                 gbk::toQString(section->questioncount) + QStringLiteral("题)");
            cbsection->addItem(text, ownedRecord(section));
        }
    } catch (const std::exception& error) {
        ShowFailure(error);
    }
    // The first entry added becomes current by itself; the teacher has not chosen it.
    cbsection->setCurrentIndex(-1);
}

void QuestionBankPage::cbsectionChange() {
    QueryQuestions();
}

void QuestionBankPage::BitBtn16Click() {
    QueryQuestions();
}

void QuestionBankPage::QueryQuestions() {
    const TUnitObj* unit = chosenUnit_ ? chosenUnit_() : nullptr;
    const TUnitSectionObj* section = sectionAt(cbsection, cbsection->currentIndex());
    if (unit == nullptr && section == nullptr) {
        ShowMessage(QStringLiteral("请先选择查询条件！"));
        return;
    }
    const GbkString unitcode = unit ? unit->unitcode : GbkString();
    const GbkString sectionid = section ? section->sectionid : GbkString();
    try {
        const GbkString reply =
            service_.LmvInclass_getQuestionListFromaSection(member_.UserId, kSubject, unitcode, sectionid);
        VantorquestionListView->clear();
        ReadQuestionList(reply, VantorquestionListView, QuestionTypeList, "0");
        Label37->setText(QStringLiteral("返回题目数：%1").arg(VantorquestionListView->topLevelItemCount()));
    } catch (const std::exception& error) {
        // What was listed belongs to the section chosen before; under the new choice it would
        // pass for that section's questions.
        VantorquestionListView->clear();
        Label37->setText(QStringLiteral("返回题目数：0"));
        ShowFailure(error);
    }
}

void QuestionBankPage::VantorquestionListViewClick() {
    const QTreeWidgetItem* row = firstSelected(VantorquestionListView);
    if (row == nullptr) return;
    const QString id = row->text(0).trimmed();
    lbstorequestion->setVisible(true);
    lbstorequestion->setText(QStringLiteral("当前题号：") + id);
    LbURL->setText(QStringLiteral("题目显示"));
    NavigateBrowser(navigation_, *WBVantorQuestion, Endpoints::questionPage(questionHost_, id));
}

void QuestionBankPage::VantorquestionListViewChange() {
    VantorquestionListViewClick();
}

void QuestionBankPage::VantorquestionListViewDblClick() {
    const QTreeWidgetItem* row = firstSelected(VantorquestionListView);
    if (row == nullptr) return;
    const QString id = row->text(0).trimmed();
    const QString address = Endpoints::questionPage(questionHost_, id);
    lbstorequestion->setText(id);
    LbURL->setText(address);
    NavigateBrowser(navigation_, *WBVantorQuestion, address);
}

void QuestionBankPage::LoadQuestionTypeList() {
    if (CBVantorQuestionType->count() == 0) FillInQuestionTypeComb(member_.UserId, CBVantorQuestionType);
    if (CBVantorQuestionType->count() != 0) return;
    try {
        const GbkString reply = service_.LmvInclass_GetQuestionTypeList(member_.UserId, kSubject);
        const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::Plain);
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) {
            auto type = std::make_shared<TVantorQuestionTypeObj>();
            type->questiontypeid = row.value("QuestionTypeid");
            type->QuestTypeName = row.value("QuestTypeName");
            CBVantorQuestionType->addItem(gbk::toQString(type->QuestTypeName), ownedRecord(type));
        }
    } catch (const std::exception&) {
        // The types are never shown; a missing list costs nothing.
    }
}

void QuestionBankPage::FillInQuestionTypeComb(const GbkString& userId, QComboBox* combo) {
    try {
        const GbkString reply = service_.LmvInclass_GetQuestionTypeList(userId, kSubject);
        const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::Plain);
        TReplyRow row = dataset.firstRow();
        if (row.isNull()) return;
        auto any = std::make_shared<TVantorQuestionTypeObj>();
        any->questiontypeid = "0";
        combo->addItem(QString(), ownedRecord(any));
        for (; !row.isNull(); row = row.next()) {
            auto type = std::make_shared<TVantorQuestionTypeObj>(TVantorQuestionTypeObj::fromRow(row));
            combo->addItem(gbk::toQString(type->QuestTypeName), ownedRecord(type));
        }
        combo->setCurrentIndex(0);
    } catch (const std::exception&) {
        // Ignored: the caller tries the other spelling of the id next.
    }
}
