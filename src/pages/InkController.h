#pragma once

#include <QDateTime>
#include <QObject>
#include <QRgb>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ink/InkStore.h"
#include "ink/InkStroke.h"

class CenterPageView;
class InkCanvas;
class InkToolBar;
class PagePicture;
class QToolButton;

// Ink on the textbook sheet: the tool in hand, the ink store, the canvases over the page
// pictures and the floating tool bar over the center page. The tool bar shows while a tool is
// chosen; the pen button beside the page arrows picks the pen up (or puts it down).
class InkController : public QObject {
    Q_OBJECT

public:
    InkController(CenterPageView& centre, QObject* parent = nullptr);

    InkStore& store() { return store_; }
    InkCanvas* centreCanvas() const { return centre_; }
    InkToolBar* toolBar() const { return toolBar_; }
    QToolButton* penButton() const { return penButton_; }
    // A canvas over another picture of a page: a neighbour pane's, drawing only, or the
    // presenter console's, which also takes ink. It goes with the picture.
    InkCanvas* addCanvas(PagePicture* picture, bool takesInput = false);

    // The page now shown on the center pane, decoded from `file`.
    void showCentre(const QString& book, const QString& pageId, QSize natural, const std::string& file);
    void showPage(InkCanvas* canvas, const QString& book, const QString& pageId, QSize natural);

    std::optional<InkTool> tool() const { return tool_; }
    bool toolChosen() const { return tool_.has_value(); }
    void choose(InkTool tool);
    void putDown();
    // Whether the tool bar floats over the center page while a tool is chosen; not while the
    // presenter console carries one and the page is projected alone.
    void setFloatingBar(bool shown);

    QRgb penColour() const { return penColour_; }
    void setPenColour(QRgb colour);
    bool thick() const { return thick_; }
    void setThick(bool thick);
    QRgb colourFor(InkTool tool) const;
    // The line width in page pixels for a page of this natural size: the same share of the page
    // whatever its scan resolution.
    float widthFor(InkTool tool, QSize natural) const;

    bool hidden() const { return hidden_; }
    void setHidden(bool hidden);

    // The center page's ink, one step each; false when there was nothing to do.
    bool undo();
    bool redo();
    bool clearPage();
    // After a canvas changed a page's ink.
    void inkChanged(const QString& book, const QString& pageId);
    // The line `from` is drawing grew over `pageArea` (page pixels): the other canvases of its
    // page show it too, so both screens see a line as it is drawn.
    void liveChanged(InkCanvas* from, const QRectF& pageArea);

    // The center page with its ink as a PNG at the page's natural size in the pictures folder;
    // the path written, or empty. The status panel hears where it went.
    QString saveImage();
    // The file name (without ".png") for a page's picture made at `time`.
    static QString imageName(const QString& book, const QString& pageId, const QDateTime& time);
    static QString imageFolder();

    // Where status texts go (the sheet's status panel).
    void setReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }

signals:
    void stateChanged();

private:
    void repaint(const QString& book, const QString& pageId);
    void placePenButton();

    InkStore store_;
    CenterPageView& centrePage_;
    InkCanvas* centre_ = nullptr;
    std::vector<InkCanvas*> canvases_;
    InkToolBar* toolBar_ = nullptr;
    QToolButton* penButton_ = nullptr;
    std::string file_;

    std::optional<InkTool> tool_;
    QRgb penColour_;
    bool thick_ = false;
    bool hidden_ = false;
    bool floatingBar_ = true;
    std::function<void(const QString&)> report_;
};
