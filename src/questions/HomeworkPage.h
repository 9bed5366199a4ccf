#pragma once

#include <QWidget>

#include "BrowserNavigation.h"
#include "catalogue/MemberInfoRec.h"

class QLabel;
class QTabWidget;
class QTreeWidget;
struct ClientConfig;
class WebBrowser;

// The homework sheet ("作业"): the assignment list on the left (318 pixels), and on the right
// two browser pages behind button-style tabs, "作业题目" with the assignment's PDF and
// "反馈分析" with the class feedback page. The navigation fills LVHomework with
// FillHomeworkListView; a click opens the chosen assignment in both browsers. The sheet
// borrows the member record and sends Member.UserId as it is at the click.
class HomeworkPage : public QWidget {
    Q_OBJECT

public:
    HomeworkPage(const ClientConfig& config, const MemberInfoRec& member, BrowserNavigation navigation = {},
                 QWidget* parent = nullptr);

    // Loads the selected assignment's PDF, brings "作业题目" to the front and loads the feedback
    // page behind it; nothing without a selected row.
    void LVHomeworkClick();

    QLabel* LabelHomework = nullptr;
    QTreeWidget* LVHomework = nullptr;
    QTabWidget* PageControlHWK = nullptr;
    QWidget* TabHwkWB = nullptr;
    QWidget* TabHwkFeedbackWB = nullptr;
    WebBrowser* WBHomework = nullptr;
    WebBrowser* WBHwkFeedback = nullptr;

private:
    const MemberInfoRec& member_;
    BrowserNavigation navigation_;
    QString classroomHost_;
};
