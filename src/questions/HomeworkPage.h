#pragma once

#include "AssignmentSheet.h"

class QTabWidget;

// The homework sheet ("作业"): right of the assignment list two browser pages behind
// button-style tabs, "作业题目" with the assignment's PDF and "反馈分析" with the class feedback
// page. A click opens the chosen assignment in both browsers.
class HomeworkPage : public AssignmentSheet {
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

protected:
    void RowChosen() override { LVHomeworkClick(); }
};
