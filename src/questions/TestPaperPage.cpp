#include "TestPaperPage.h"

#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "web/WebBrowser.h"

TestPaperPage::TestPaperPage(const ClientConfig& config, const MemberInfoRec& member,
                             BrowserNavigation navigation, QWidget* parent)
    : AssignmentSheet(config, member, std::move(navigation),
                      {"TabTestPaper", "SplitterTestPaper", "PanelTestPaperList", "LabelTestPaper",
                       "LVTestPaper", "试卷列表"},
                      parent) {
    LabelTestPaper = listLabel_;
    LVTestPaper = list_;
    auto* right = new QWidget(Splitter());
    right->setObjectName(QStringLiteral("PanelTestPaperView"));
    auto* rightLayout = new QVBoxLayout(right);
    LabelTestPaperTitle = new QLabel(QStringLiteral("试卷题目"), right);
    LabelTestPaperTitle->setObjectName(QStringLiteral("LabelTestPaperTitle"));
    WBTestPaper = new WebBrowser(tls_, right);
    WBTestPaper->setObjectName(QStringLiteral("WBTestPaper"));
    WBTestPaper->setAccessibleName(LabelTestPaperTitle->text());
    rightLayout->addWidget(LabelTestPaperTitle);
    rightLayout->addWidget(WBTestPaper, 1);
    Arrange(right);
}

void TestPaperPage::LVTestPaperClick() {
    const TTestObj* paper = SelectedAssignment();
    if (paper == nullptr) return;
    OpenPdf(*WBTestPaper, *paper);
}
