#pragma once

#include <QWidget>

#include "BrowserNavigation.h"
#include "catalogue/MemberInfoRec.h"
#include "service/HttpClient.h"

class QLabel;
class QSplitter;
class QTreeWidget;
struct ClientConfig;
struct TTestObj;
class WebBrowser;

// The frame of the two assignment sheets (homework, test papers): a titled assignment list on
// the left (318 pixels) beside the sheet's browsers, split by a movable divider. The navigation
// fills the list with FillHomeworkListView; a click, Enter or Space on a row calls RowChosen.
// The sheet borrows the member record and sends Member.UserId as it is at the choice.
class AssignmentSheet : public QWidget {
    Q_OBJECT

protected:
    // The object names of the sheet's frame, and the list's caption.
    struct Names {
        const char* sheet;
        const char* splitter;
        const char* listPanel;
        const char* label;
        const char* list;
        const char* caption;
    };

    AssignmentSheet(const ClientConfig& config, const MemberInfoRec& member, BrowserNavigation navigation,
                    const Names& names, QWidget* parent);

    // The parent for the content a sheet builds right of the list.
    QSplitter* Splitter() const { return splitter_; }
    // Puts `content` right of the list, taking the room the list leaves, and starts listening
    // for choices.
    void Arrange(QWidget* content);
    // Called on each choice of a row.
    virtual void RowChosen() = 0;

    // The assignment of the selected row, or null without one.
    const TTestObj* SelectedAssignment() const;
    // Loads the assignment's PDF for the signed-in member into `browser`.
    void OpenPdf(WebBrowser& browser, const TTestObj& assignment);

    QLabel* listLabel_ = nullptr;
    QTreeWidget* list_ = nullptr;
    BrowserNavigation navigation_;
    QString classroomHost_;
    TlsPolicy tls_;  // the sheet's browsers'

private:
    const MemberInfoRec& member_;
    QSplitter* splitter_ = nullptr;
    QWidget* listPanel_ = nullptr;
};
