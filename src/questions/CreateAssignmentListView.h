#pragma once

class QTreeWidget;
class QWidget;

// The report view both assignment sheets list their rows in: read-only, whole rows selected,
// columns "名称" (150 pixels) and "日期" (the rest of the list's width, also after resizing).
// Its rows are filled by FillHomeworkListView.
QTreeWidget* CreateAssignmentListView(QWidget* parent, const char* name, const char* accessibleName);
