#include "TestPaperPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "CreateAssignmentListView.h"
#include "RowChoice.h"
#include "catalogue/FillHomeworkListView.h"
#include "service/ClientConfig.h"
#include "service/Endpoints.h"
#include "web/WebBrowser.h"

namespace {
constexpr int kListColumnWidth = 318;
}  // namespace

TestPaperPage::TestPaperPage(const ClientConfig& config, const MemberInfoRec& member,
                             BrowserNavigation navigation, QWidget* parent)
    : QWidget(parent),
      member_(member),
      navigation_(std::move(navigation)),
      classroomHost_(config.classroomHost) {
    setObjectName(QStringLiteral("TabTestPaper"));
    // The window may be made smaller than the controls need; they are clipped then, as on any
    // other sheet, rather than holding the whole window at their size.
    setMinimumSize(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("SplitterTestPaper"));
    layout->addWidget(splitter);

    auto* left = new QWidget(splitter);
    left->setObjectName(QStringLiteral("PanelTestPaperList"));
    auto* leftLayout = new QVBoxLayout(left);
    LabelTestPaper = new QLabel(QStringLiteral("试卷列表"), left);
    LabelTestPaper->setObjectName(QStringLiteral("LabelTestPaper"));
    LVTestPaper = CreateAssignmentListView(left, "LVTestPaper", "试卷列表");
    leftLayout->addWidget(LabelTestPaper);
    leftLayout->addWidget(LVTestPaper, 1);

    auto* right = new QWidget(splitter);
    right->setObjectName(QStringLiteral("PanelTestPaperView"));
    auto* rightLayout = new QVBoxLayout(right);
    LabelTestPaperTitle = new QLabel(QStringLiteral("试卷题目"), right);
    LabelTestPaperTitle->setObjectName(QStringLiteral("LabelTestPaperTitle"));
    WBTestPaper = new WebBrowser(right);
    WBTestPaper->setObjectName(QStringLiteral("WBTestPaper"));
    WBTestPaper->setAccessibleName(LabelTestPaperTitle->text());
    rightLayout->addWidget(LabelTestPaperTitle);
    rightLayout->addWidget(WBTestPaper, 1);

    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListColumnWidth, 10 * kListColumnWidth});

    // Each choice loads a PDF: stepping through the list with the arrow keys loads nothing.
    connect(new RowChoice(LVTestPaper, RowChoice::Keys::EnterOrSpaceChooses), &RowChoice::chosen, this,
            &TestPaperPage::LVTestPaperClick);
}

void TestPaperPage::LVTestPaperClick() {
    const QList<QTreeWidgetItem*> selected = LVTestPaper->selectedItems();
    if (selected.isEmpty()) return;
    const TTestObj* paper = RowAssignment(selected.first());
    if (paper == nullptr) return;
    NavigateBrowser(navigation_, *WBTestPaper,
                    Endpoints::homeworkPdf(classroomHost_, paper->hmwkid, member_.UserId));
}
