#include "AssignmentSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "CreateAssignmentListView.h"
#include "RowChoice.h"
#include "catalogue/FillHomeworkListView.h"
#include "look/SelectedItem.h"
#include "service/ClientConfig.h"
#include "service/Endpoints.h"

namespace {
constexpr int kListColumnWidth = 318;
}  // namespace

AssignmentSheet::AssignmentSheet(const ClientConfig& config, const MemberInfoRec& member,
                                 BrowserNavigation navigation, const Names& names, QWidget* parent)
    : QWidget(parent),
      navigation_(std::move(navigation)),
      classroomHost_(config.classroomHost),
      tls_(config.httpClient().tls()),
      member_(member) {
    setObjectName(QLatin1String(names.sheet));
    // The window may be made smaller than the controls need; they are clipped then, as on any
    // other sheet, rather than holding the whole window at their size.
    setMinimumSize(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QLatin1String(names.splitter));
    layout->addWidget(splitter_);

    listPanel_ = new QWidget(splitter_);
    listPanel_->setObjectName(QLatin1String(names.listPanel));
    auto* listLayout = new QVBoxLayout(listPanel_);
    listLabel_ = new QLabel(QString::fromUtf8(names.caption), listPanel_);
    listLabel_->setObjectName(QLatin1String(names.label));
    list_ = CreateAssignmentListView(listPanel_, names.list, names.caption);
    listLayout->addWidget(listLabel_);
    listLayout->addWidget(list_, 1);
}

void AssignmentSheet::Arrange(QWidget* content) {
    splitter_->addWidget(listPanel_);
    splitter_->addWidget(content);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kListColumnWidth, 10 * kListColumnWidth});

    // Each choice loads a PDF: stepping through the list with the arrow keys loads nothing.
    connect(new RowChoice(list_, RowChoice::Keys::EnterOrSpaceChooses), &RowChoice::chosen, this,
            &AssignmentSheet::RowChosen);
}

const TTestObj* AssignmentSheet::SelectedAssignment() const {
    return RowAssignment(firstSelected(list_));
}

void AssignmentSheet::OpenPdf(WebBrowser& browser, const TTestObj& assignment) {
    NavigateBrowser(navigation_, browser,
                    Endpoints::homeworkPdf(classroomHost_, assignment.hmwkid, member_.UserId));
}
