#include "HomeworkPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
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

// Tabs drawn as push buttons: raised, the page in front pressed in.
const char* const kButtonTabs =
    "QTabWidget::pane { border: none; }"
    "QTabBar::tab { border: 2px outset palette(mid); border-radius: 3px; padding: 4px 14px; margin: 2px;"
    " background: palette(button); }"
    "QTabBar::tab:selected { border-style: inset; background: palette(midlight); }";

QWidget* browserPage(QTabWidget* pages, const char* name, const QString& caption, WebBrowser*& browser,
                     const char* browserName) {
    auto* page = new QWidget(pages);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    browser = new WebBrowser(page);
    browser->setObjectName(QLatin1String(browserName));
    browser->setAccessibleName(caption);
    layout->addWidget(browser);
    pages->addTab(page, caption);
    return page;
}

}  // namespace

HomeworkPage::HomeworkPage(const ClientConfig& config, const MemberInfoRec& member,
                           BrowserNavigation navigation, QWidget* parent)
    : QWidget(parent),
      member_(member),
      navigation_(std::move(navigation)),
      classroomHost_(config.classroomHost) {
    setObjectName(QStringLiteral("TabHomework"));
    // The window may be made smaller than the controls need; they are clipped then, as on any
    // other sheet, rather than holding the whole window at their size.
    setMinimumSize(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("SplitterHomework"));
    layout->addWidget(splitter);

    auto* left = new QWidget(splitter);
    left->setObjectName(QStringLiteral("PanelHomeworkList"));
    auto* leftLayout = new QVBoxLayout(left);
    LabelHomework = new QLabel(QStringLiteral("作业列表"), left);
    LabelHomework->setObjectName(QStringLiteral("LabelHomework"));
    LVHomework = CreateAssignmentListView(left, "LVHomework", "作业列表");
    leftLayout->addWidget(LabelHomework);
    leftLayout->addWidget(LVHomework, 1);

    PageControlHWK = new QTabWidget(splitter);
    PageControlHWK->setObjectName(QStringLiteral("PageControlHWK"));
    PageControlHWK->setAccessibleName(QStringLiteral("作业内容"));
    PageControlHWK->setStyleSheet(QLatin1String(kButtonTabs));
    TabHwkWB = browserPage(PageControlHWK, "TabHwkWB", QStringLiteral("作业题目"), WBHomework, "WBHomework");
    TabHwkFeedbackWB = browserPage(PageControlHWK, "TabHwkFeedbackWB", QStringLiteral("反馈分析"),
                                   WBHwkFeedback, "WBHwkFeedback");

    splitter->addWidget(left);
    splitter->addWidget(PageControlHWK);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kListColumnWidth, 10 * kListColumnWidth});

    // Each choice loads a PDF: stepping through the list with the arrow keys loads nothing.
    connect(new RowChoice(LVHomework, RowChoice::Keys::EnterOrSpaceChooses), &RowChoice::chosen, this,
            &HomeworkPage::LVHomeworkClick);
}

void HomeworkPage::LVHomeworkClick() {
    const QList<QTreeWidgetItem*> selected = LVHomework->selectedItems();
    if (selected.isEmpty()) return;
    const TTestObj* assignment = RowAssignment(selected.first());
    if (assignment == nullptr) return;
    NavigateBrowser(navigation_, *WBHomework,
                    Endpoints::homeworkPdf(classroomHost_, assignment->hmwkid, member_.UserId));
    PageControlHWK->setCurrentWidget(TabHwkWB);
    NavigateBrowser(navigation_, *WBHwkFeedback,
                    Endpoints::homeworkClassList(classroomHost_, assignment->hmwkid));
}
