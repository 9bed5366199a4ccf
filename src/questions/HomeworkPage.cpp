#include "HomeworkPage.h"

#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "catalogue/TTestObj.h"
#include "service/Endpoints.h"
#include "web/WebBrowser.h"

namespace {

// Tabs drawn as push buttons: raised, the page in front pressed in.
const char* const kButtonTabs =
    "QTabWidget::pane { border: none; }"
    "QTabBar::tab { border: 2px outset palette(mid); border-radius: 3px; padding: 4px 14px; margin: 2px;"
    " background: palette(button); }"
    "QTabBar::tab:selected { border-style: inset; background: palette(midlight); }";

QWidget* browserPage(QTabWidget* pages, const TlsPolicy& tls, const char* name, const QString& caption,
                     WebBrowser*& browser, const char* browserName) {
    auto* page = new QWidget(pages);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    browser = new WebBrowser(tls, page);
    browser->setObjectName(QLatin1String(browserName));
    browser->setAccessibleName(caption);
    layout->addWidget(browser);
    pages->addTab(page, caption);
    return page;
}

}  // namespace

HomeworkPage::HomeworkPage(const ClientConfig& config, const MemberInfoRec& member,
                           BrowserNavigation navigation, QWidget* parent)
    : AssignmentSheet(
          config, member, std::move(navigation),
          {"TabHomework", "SplitterHomework", "PanelHomeworkList", "LabelHomework", "LVHomework", "作业列表"},
          parent) {
    LabelHomework = listLabel_;
    LVHomework = list_;
    PageControlHWK = new QTabWidget(Splitter());
    PageControlHWK->setObjectName(QStringLiteral("PageControlHWK"));
    PageControlHWK->setAccessibleName(QStringLiteral("作业内容"));
    PageControlHWK->setStyleSheet(QLatin1String(kButtonTabs));
    TabHwkWB =
        browserPage(PageControlHWK, tls_, "TabHwkWB", QStringLiteral("作业题目"), WBHomework, "WBHomework");
    TabHwkFeedbackWB = browserPage(PageControlHWK, tls_, "TabHwkFeedbackWB", QStringLiteral("反馈分析"),
                                   WBHwkFeedback, "WBHwkFeedback");
    Arrange(PageControlHWK);
}

void HomeworkPage::LVHomeworkClick() {
    const TTestObj* assignment = SelectedAssignment();
    if (assignment == nullptr) return;
    OpenPdf(*WBHomework, *assignment);
    PageControlHWK->setCurrentWidget(TabHwkWB);
    NavigateBrowser(navigation_, *WBHwkFeedback,
                    Endpoints::homeworkClassList(classroomHost_, assignment->hmwkid));
}
