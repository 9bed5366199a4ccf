#pragma once

#include <QWidget>

#include "BrowserNavigation.h"
#include "catalogue/MemberInfoRec.h"

class QLabel;
class QTreeWidget;
struct ClientConfig;
class WebBrowser;

// The test paper sheet ("试卷"): the assigned test papers on the left (318 pixels), the chosen
// paper's PDF on the right under "试卷题目". The navigation fills LVTestPaper with
// FillHomeworkListView; a click opens the chosen paper. The sheet borrows the member record
// and sends Member.UserId as it is at the click.
class TestPaperPage : public QWidget {
    Q_OBJECT

public:
    TestPaperPage(const ClientConfig& config, const MemberInfoRec& member, BrowserNavigation navigation = {},
                  QWidget* parent = nullptr);

    // Loads the selected paper's PDF; nothing without a selected row.
    void LVTestPaperClick();

    QLabel* LabelTestPaper = nullptr;
    QTreeWidget* LVTestPaper = nullptr;
    QLabel* LabelTestPaperTitle = nullptr;
    WebBrowser* WBTestPaper = nullptr;

private:
    const MemberInfoRec& member_;
    BrowserNavigation navigation_;
    QString classroomHost_;
};
