#include "CreateAssignmentListView.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

namespace {
constexpr int kNameWidth = 150;
}  // namespace

QTreeWidget* CreateAssignmentListView(QWidget* parent, const char* name, const char* accessibleName) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setAccessibleName(QString::fromUtf8(accessibleName));
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("日期")});
    list->setColumnWidth(0, kNameWidth);
    list->setColumnWidth(1, std::max(list->width() - kNameWidth, 0));
    list->header()->setStretchLastSection(true);
    return list;
}
