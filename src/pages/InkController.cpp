#include "InkController.h"

#include <QBuffer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "CenterPageView.h"
#include "InkCanvas.h"
#include "InkToolBar.h"
#include "PageImageLoader.h"
#include "PagePicture.h"
#include "service/AtomicFile.h"

namespace {

constexpr QRgb kRed = qRgba(220, 30, 30, 255);
constexpr QRgb kHighlighter = qRgba(255, 220, 0, 90);
// Line widths as a share of the page's natural height: about 3 and 7 screen pixels and a
// highlighter as tall as a line of print on a page fitted to a 1080-line screen.
constexpr double kThin = 1.0 / 360;
constexpr double kThick = 1.0 / 150;
constexpr double kHighlighterWidth = 1.0 / 50;
constexpr int kPenButtonGap = 12;

// Runs a callback whenever the watched widget moves or changes size.
class MoveWatcher : public QObject {
public:
    MoveWatcher(QObject* watched, std::function<void()> moved) : QObject(watched), moved_(std::move(moved)) {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) moved_();
        return false;
    }

private:
    std::function<void()> moved_;
};

}  // namespace

InkController::InkController(CenterPageView& centre, QObject* parent)
    : QObject(parent), centrePage_(centre), penColour_(kRed) {
    centre_ = addCanvas(centre.picture());
    centre_->setProperty("takesInput", true);
    centre.picture()->setAttribute(Qt::WA_TabletTracking);

    penButton_ = new QToolButton(centre.panel());
    penButton_->setObjectName(QStringLiteral("InkPenButton"));
    penButton_->setText(QStringLiteral("画笔"));
    penButton_->setAccessibleName(QStringLiteral("画笔"));
    penButton_->setToolTip(QStringLiteral("画笔（P）：在页面上书写"));
    penButton_->setCheckable(true);
    penButton_->setMinimumSize(48, 48);
    penButton_->setCursor(Qt::PointingHandCursor);
    connect(penButton_, &QToolButton::clicked, this,
            [this] { toolChosen() ? putDown() : choose(InkTool::Pen); });
    new MoveWatcher(centre.nextArrow(), [this] { placePenButton(); });
    placePenButton();

    toolBar_ = new InkToolBar(*this, centre.panel());
    toolBar_->hide();

    connect(&store_, &InkStore::inkChanged, this, &InkController::repaint);
    connect(&store_, &InkStore::reloaded, this, [this] {
        for (InkCanvas* canvas : canvases_) canvas->reload();
    });
}

void InkController::placePenButton() {
    const QToolButton* next = centrePage_.nextArrow();
    penButton_->move(next->x() + (next->width() - penButton_->width()) / 2,
                     next->y() + next->height() + kPenButtonGap);
    penButton_->raise();
}

InkCanvas* InkController::addCanvas(PagePicture* picture, bool takesInput) {
    auto* canvas = new InkCanvas(picture, *this, takesInput);
    canvases_.push_back(canvas);
    connect(canvas, &QObject::destroyed, this, [this, canvas] {
        canvases_.erase(std::remove(canvases_.begin(), canvases_.end(), canvas), canvases_.end());
    });
    return canvas;
}

void InkController::showCentre(const QString& book, const QString& pageId, QSize natural,
                               const std::string& file) {
    file_ = file;
    showPage(centre_, book, pageId, natural);
    emit stateChanged();
}

void InkController::showPage(InkCanvas* canvas, const QString& book, const QString& pageId, QSize natural) {
    canvas->showPage(book, pageId, natural);
}

void InkController::choose(InkTool tool) {
    tool_ = tool;
    penButton_->setChecked(true);
    if (floatingBar_ && toolBar_->isHidden()) toolBar_->showAtStart();
    toolBar_->raise();
    emit stateChanged();
}

void InkController::setFloatingBar(bool shown) {
    floatingBar_ = shown;
    if (!shown)
        toolBar_->hide();
    else if (toolChosen())
        toolBar_->showAtStart();
}

void InkController::putDown() {
    tool_.reset();
    penButton_->setChecked(false);
    toolBar_->hide();
    emit stateChanged();
}

void InkController::setPenColour(QRgb colour) {
    penColour_ = colour;
    choose(InkTool::Pen);
}

void InkController::setThick(bool thick) {
    thick_ = thick;
    if (tool_ != InkTool::Pen) choose(InkTool::Pen);
    emit stateChanged();
}

QRgb InkController::colourFor(InkTool tool) const {
    return tool == InkTool::Highlighter ? kHighlighter : penColour_;
}

float InkController::widthFor(InkTool tool, QSize natural) const {
    const double share = tool == InkTool::Highlighter ? kHighlighterWidth : thick_ ? kThick : kThin;
    return float(std::max(1.0, natural.height() * share));
}

void InkController::setHidden(bool hidden) {
    if (hidden_ == hidden) return;
    hidden_ = hidden;
    for (InkCanvas* canvas : canvases_) canvas->update();
    emit stateChanged();
}

bool InkController::undo() {
    if (centre_->book().isEmpty() || centre_->drawing()) return false;
    if (!store_.page(centre_->book(), centre_->pageId()).undo()) return false;
    inkChanged(centre_->book(), centre_->pageId());
    return true;
}

bool InkController::redo() {
    if (centre_->book().isEmpty() || centre_->drawing()) return false;
    if (!store_.page(centre_->book(), centre_->pageId()).redo()) return false;
    inkChanged(centre_->book(), centre_->pageId());
    return true;
}

bool InkController::clearPage() {
    if (centre_->book().isEmpty() || centre_->drawing()) return false;
    if (!store_.page(centre_->book(), centre_->pageId()).clear()) return false;
    inkChanged(centre_->book(), centre_->pageId());
    return true;
}

void InkController::inkChanged(const QString& book, const QString& pageId) {
    store_.changed(book, pageId);
}

void InkController::liveChanged(InkCanvas* from, const QRectF& pageArea) {
    for (InkCanvas* canvas : canvases_)
        if (canvas != from && canvas->book() == from->book() && canvas->pageId() == from->pageId())
            canvas->mirror(from, pageArea);
}

void InkController::repaint(const QString& book, const QString& pageId) {
    for (InkCanvas* canvas : canvases_)
        if (canvas->book() == book && canvas->pageId() == pageId) canvas->update();
    emit stateChanged();
}

QString InkController::imageName(const QString& book, const QString& pageId, const QDateTime& time) {
    QString name = book + QLatin1Char('_') + pageId + QLatin1Char('_') +
                   time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    static const QRegularExpression outside(QStringLiteral("[^A-Za-z0-9._-]"));
    name.replace(outside, QStringLiteral("_"));
    // A leading dot would hide the file.
    if (name.startsWith(QLatin1Char('.'))) name[0] = QLatin1Char('_');
    return name;
}

QString InkController::imageFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + QStringLiteral("/Lumo课堂");
}

QString InkController::saveImage() {
    const auto report = [this](const QString& text) {
        if (report_) report_(text);
    };
    const QSize natural = centre_->natural();
    if (centre_->book().isEmpty() || file_.empty() || natural.isEmpty()) return {};
    QSize decodedNatural(0, 0);
    QImage page = PageImageLoader::LoadForDisplay(file_, natural.height(), decodedNatural);
    if (page.isNull()) {
        report(QStringLiteral("保存图片失败：无法读取页面"));
        return {};
    }
    page = page.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (page.size() != natural) page = page.scaled(natural, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (const PageInk* ink = store_.find(centre_->book(), centre_->pageId())) {
        QPainter painter(&page);
        painter.setRenderHint(QPainter::Antialiasing);
        paintStrokes(painter, ink->strokes());
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!page.save(&buffer, "PNG")) {
        report(QStringLiteral("保存图片失败"));
        return {};
    }
    const QString folder = imageFolder();
    QDir().mkpath(folder);
    const QString base = imageName(centre_->book(), centre_->pageId(), QDateTime::currentDateTime());
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const QString path = folder + QLatin1Char('/') + base +
                             (attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)) +
                             QStringLiteral(".png");
        AtomicFile file(QFile::encodeName(path).toStdString(), ".lumo-picture-", 0644);
        int error = file.openError();
        if (error == 0) error = file.write(std::string_view(png.constData(), std::size_t(png.size())));
        if (error == 0) error = file.commitNew();
        if (error == EEXIST) continue;
        if (error != 0) {
            report(QStringLiteral("保存图片失败：%1").arg(QString::fromLocal8Bit(std::strerror(error))));
            return {};
        }
        report(QStringLiteral("已保存为图片：%1").arg(path));
        return path;
    }
    report(QStringLiteral("保存图片失败"));
    return {};
}
