#pragma once

#include <QDialog>

#include "catalogue/LessonPreparation.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

// "课前准备": how far the preparation of a book has come (files done of total, megabytes, rate,
// time left), "取消" while it runs, and at the end how many files are ready, the failed ones with
// their reasons and "重试". Non-modal; it only shows what it is given and asks through its
// signals, so closing it leaves the preparation running.
class PreparationDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreparationDialog(QWidget* parent = nullptr);

    void showProgress(const QString& bookName, const LessonPreparation::Progress& progress);

    QLabel* LabelBook = nullptr;
    QProgressBar* ProgressFiles = nullptr;
    QLabel* LabelFiles = nullptr;
    QLabel* LabelTransfer = nullptr;
    QLabel* LabelResult = nullptr;
    QListWidget* ListFailures = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BtnRetry = nullptr;

signals:
    void cancelRequested();
    void retryRequested();
};
