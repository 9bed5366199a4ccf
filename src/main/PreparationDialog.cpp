#include "PreparationDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

QString megabytes(long long bytes) {
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

QString timeLeft(double seconds) {
    if (seconds < 0) return QStringLiteral("剩余时间计算中");
    const long long whole = std::llround(seconds);
    if (whole < 60) return QStringLiteral("剩余约 %1 秒").arg(whole);
    return QStringLiteral("剩余约 %1 分 %2 秒").arg(whole / 60).arg(whole % 60);
}

// A label a screen reader reads under what it says now.
void setSpokenText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

}  // namespace

PreparationDialog::PreparationDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PreparationDialog"));
    setWindowTitle(QStringLiteral("课前准备"));
    setAccessibleName(QStringLiteral("课前准备"));
    setModal(false);

    LabelBook = new QLabel(this);
    LabelBook->setObjectName(QStringLiteral("LabelBook"));
    ProgressFiles = new QProgressBar(this);
    ProgressFiles->setObjectName(QStringLiteral("ProgressFiles"));
    ProgressFiles->setAccessibleName(QStringLiteral("进度"));
    LabelFiles = new QLabel(this);
    LabelFiles->setObjectName(QStringLiteral("LabelFiles"));
    LabelTransfer = new QLabel(this);
    LabelTransfer->setObjectName(QStringLiteral("LabelTransfer"));
    LabelResult = new QLabel(this);
    LabelResult->setObjectName(QStringLiteral("LabelResult"));
    ListFailures = new QListWidget(this);
    ListFailures->setObjectName(QStringLiteral("ListFailures"));
    ListFailures->setAccessibleName(QStringLiteral("未能下载的文件"));
    for (QLabel* label : {LabelBook, LabelFiles, LabelTransfer, LabelResult})
        label->setTextFormat(Qt::PlainText);

    BtnCancel = new QPushButton(QStringLiteral("取消"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAccessibleName(BtnCancel->text());
    BtnRetry = new QPushButton(QStringLiteral("重试"), this);
    BtnRetry->setObjectName(QStringLiteral("BtnRetry"));
    BtnRetry->setAccessibleName(BtnRetry->text());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BtnRetry);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelBook);
    layout->addWidget(ProgressFiles);
    layout->addWidget(LabelFiles);
    layout->addWidget(LabelTransfer);
    layout->addWidget(LabelResult);
    layout->addWidget(ListFailures, 1);
    layout->addLayout(buttons);
    resize(420, 320);

    connect(BtnCancel, &QPushButton::clicked, this, &PreparationDialog::cancelRequested);
    connect(BtnRetry, &QPushButton::clicked, this, &PreparationDialog::retryRequested);
}

void PreparationDialog::showProgress(const QString& bookName, const LessonPreparation::Progress& progress) {
    setSpokenText(LabelBook, bookName);
    ProgressFiles->setRange(0, std::max(progress.total, 1));
    ProgressFiles->setValue(progress.done);
    setSpokenText(LabelFiles, QStringLiteral("已完成 %1 / %2 个文件").arg(progress.done).arg(progress.total));
    const bool running = !progress.finished && !progress.cancelled;
    setSpokenText(LabelTransfer, running ? QStringLiteral("已下载 %1，%2/秒，%3")
                                               .arg(megabytes(progress.bytes),
                                                    megabytes(std::llround(progress.bytesPerSecond)),
                                                    timeLeft(progress.secondsLeft))
                                         : QStringLiteral("已下载 %1").arg(megabytes(progress.bytes)));

    QString result;
    if (progress.finished)
        result = QStringLiteral("已准备好 %1 个文件").arg(progress.ready);
    else if (progress.cancelled)
        result = QStringLiteral("已取消，已准备好 %1 个文件").arg(progress.ready);
    if (!progress.failures.empty() && !running)
        result += QStringLiteral("，%1 个文件未能下载：").arg(progress.failures.size());
    setSpokenText(LabelResult, result);
    LabelResult->setVisible(!result.isEmpty());

    ListFailures->clear();
    if (!running) {
        for (const LessonPreparation::Failure& failure : progress.failures)
            ListFailures->addItem(failure.name + QStringLiteral("：") + failure.reason);
    }
    ListFailures->setVisible(ListFailures->count() > 0);
    BtnCancel->setEnabled(running);
    BtnRetry->setVisible(!running && !progress.failures.empty());
}
