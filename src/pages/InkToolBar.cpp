#include "InkToolBar.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QToolButton>
#include <algorithm>

#include "InkController.h"

namespace {

constexpr QRgb kBlue = qRgba(30, 90, 220, 255);
constexpr QRgb kBlack = qRgba(20, 20, 20, 255);
constexpr QRgb kRed = qRgba(220, 30, 30, 255);
constexpr int kMargin = 8;

}  // namespace

InkToolBar::InkToolBar(InkController& ink, QWidget* parent, int columns) : QFrame(parent), ink_(ink) {
    setObjectName(QStringLiteral("InkToolBar"));
    setAccessibleName(QStringLiteral("墨迹工具"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setCursor(Qt::SizeAllCursor);
    setStyleSheet(
        QStringLiteral("InkToolBar { background: rgba(245, 245, 245, 235); border: 1px solid #888; "
                       "border-radius: 6px; } QToolButton { font-size: 13px; } "
                       "QToolButton:checked { background: #cfe0ff; }"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(kMargin, 14, kMargin, kMargin);
    grid->setSpacing(4);

    struct Entry {
        const char* name;
        QString text;
        QString caption;
        QString tip;
        std::function<void()> act;
        bool checkable;
    };
    const std::vector<Entry> entries = {
        {"InkRedPen", QStringLiteral("红"), QStringLiteral("红色笔"), QStringLiteral("红色笔（P）"),
         [this] { ink_.setPenColour(kRed); }, true},
        {"InkBluePen", QStringLiteral("蓝"), QStringLiteral("蓝色笔"), QStringLiteral("蓝色笔"),
         [this] { ink_.setPenColour(kBlue); }, true},
        {"InkBlackPen", QStringLiteral("黑"), QStringLiteral("黑色笔"), QStringLiteral("黑色笔"),
         [this] { ink_.setPenColour(kBlack); }, true},
        {"InkThin", QStringLiteral("细"), QStringLiteral("细笔"), QStringLiteral("细笔：细线"),
         [this] { ink_.setThick(false); }, true},
        {"InkThick", QStringLiteral("粗"), QStringLiteral("粗笔"), QStringLiteral("粗笔：粗线"),
         [this] { ink_.setThick(true); }, true},
        {"InkHighlighter", QStringLiteral("荧光"), QStringLiteral("荧光笔"), QStringLiteral("荧光笔（H）"),
         [this] { ink_.choose(InkTool::Highlighter); }, true},
        {"InkEraser", QStringLiteral("橡皮"), QStringLiteral("橡皮擦"),
         QStringLiteral("橡皮擦（E）：擦去碰到的笔画"), [this] { ink_.choose(InkTool::Eraser); }, true},
        {"InkUndo", QStringLiteral("撤销"), QStringLiteral("撤销"), QStringLiteral("撤销（Ctrl+Z）"),
         [this] { ink_.undo(); }, false},
        {"InkRedo", QStringLiteral("重做"), QStringLiteral("重做"), QStringLiteral("重做（Ctrl+Y）"),
         [this] { ink_.redo(); }, false},
        {"InkClearPage", QStringLiteral("清除"), QStringLiteral("清除本页"),
         QStringLiteral("清除本页：擦去本页的全部墨迹（可撤销）"), [this] { ink_.clearPage(); }, false},
        {"InkHide", QStringLiteral("隐藏"), QStringLiteral("隐藏墨迹"),
         QStringLiteral("隐藏墨迹：暂时不显示墨迹，不会删除"), [this] { ink_.setHidden(!ink_.hidden()); },
         true},
        {"InkSaveImage", QStringLiteral("保存"), QStringLiteral("保存为图片"),
         QStringLiteral("保存为图片：把本页连同墨迹存入图片文件夹"), [this] { ink_.saveImage(); }, false},
        {"InkPutDown", QStringLiteral("收起"), QStringLiteral("收起画笔"), QStringLiteral("收起画笔（Esc）"),
         [this] { ink_.putDown(); }, false},
    };
    int index = 0;
    for (const Entry& entry : entries) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(entry.name));
        button->setText(entry.text);
        button->setAccessibleName(entry.caption);
        button->setToolTip(entry.tip);
        button->setCheckable(entry.checkable);
        button->setMinimumSize(kButtonSize, kButtonSize);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::NoFocus);
        // The checked state follows the tool, not the click.
        connect(button, &QToolButton::clicked, this, [this, act = entry.act] {
            act();
            refresh();
        });
        grid->addWidget(button, index / columns, index % columns);
        ++index;
    }
    connect(&ink_, &InkController::stateChanged, this, &InkToolBar::refresh);
    refresh();
    adjustSize();
    // A pane made smaller (presentation mode left, a splitter moved) must not lose the bar.
    if (parent != nullptr) parent->installEventFilter(this);
}

bool InkToolBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden()) moveWithin(pos());
    return QFrame::eventFilter(watched, event);
}

QToolButton* InkToolBar::button(const QString& caption) const {
    for (QToolButton* button : findChildren<QToolButton*>())
        if (button->accessibleName() == caption) return button;
    return nullptr;
}

void InkToolBar::refresh() {
    const std::optional<InkTool> tool = ink_.tool();
    const bool pen = tool == InkTool::Pen;
    const auto check = [this](const char* name, bool on) {
        if (auto* button = findChild<QToolButton*>(QLatin1String(name))) button->setChecked(on);
    };
    check("InkRedPen", pen && ink_.penColour() == kRed);
    check("InkBluePen", pen && ink_.penColour() == kBlue);
    check("InkBlackPen", pen && ink_.penColour() == kBlack);
    check("InkThin", !ink_.thick());
    check("InkThick", ink_.thick());
    check("InkHighlighter", tool == InkTool::Highlighter);
    check("InkEraser", tool == InkTool::Eraser);
    check("InkHide", ink_.hidden());
}

void InkToolBar::showAtStart() {
    if (!placed_ && parentWidget() != nullptr) {
        placed_ = true;
        adjustSize();
        moveWithin(QPoint(parentWidget()->width() - width() - 80, 16));
    } else {
        moveWithin(pos());
    }
    show();
    raise();
}

void InkToolBar::moveWithin(QPoint topLeft) {
    const QWidget* area = parentWidget();
    if (area == nullptr) return;
    move(std::clamp(topLeft.x(), 0, std::max(0, area->width() - width())),
         std::clamp(topLeft.y(), 0, std::max(0, area->height() - height())));
}

void InkToolBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QFrame::mousePressEvent(event);
    dragging_ = true;
    grab_ = event->position().toPoint();
    event->accept();
}

void InkToolBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return QFrame::mouseMoveEvent(event);
    moveWithin(mapToParent(event->position().toPoint()) - grab_);
    event->accept();
}

void InkToolBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_) return QFrame::mouseReleaseEvent(event);
    dragging_ = false;
    event->accept();
}
