#pragma once

#include "AssignmentSheet.h"

// The test paper sheet ("试卷"): right of the assigned test papers the chosen paper's PDF under
// "试卷题目". A click opens the chosen paper.
class TestPaperPage : public AssignmentSheet {
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

protected:
    void RowChosen() override { LVTestPaperClick(); }
};
