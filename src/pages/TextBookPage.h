#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "CenterPageView.h"
#include "NeighbourPane.h"
#include "catalogue/ImageList.h"
#include "catalogue/PictureFetch.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TPageObj.h"
#include "catalogue/ThumbnailStore.h"
#include "service/GbkText.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QStatusBar;
class lmvInclassSoap;
class PaneSplitter;
class InkCanvas;
class InkController;

// The textbook sheet ("教材"): a column of page thumbnails beside three stacked page panes, the
// previous page, the current page fitted to the pane's height with the two page arrows over it,
// and the next page, with the status bar whose first panel carries every status text of the
// window. It loads a book's page records, builds the thumbnails and shows a page, measuring its
// size and reporting it to the service when the service does not know it yet.
//
// The window owns the page records and the thumbnail image list and lends them through the
// Context; the sheet's thumbnail items point at those records without owning them. Every
// routine runs on the window thread and may process pending events while a picture is fetched,
// so a book change can arrive in the middle of one: ClearPageView (which runs before the records
// are replaced) ends a running thumbnail pass and any page display at once, and neither reads a
// record afterwards. A page display that waited while a later one ran stops too. Failures: the page list call
// raises; a page that cannot be fetched shows "获取当前页面失败，请重新尝试！"; the rest is quiet.
class TextBookPage : public QWidget {
    Q_OBJECT

public:
    struct Context {
        lmvInclassSoap& service;
        GbkString contentHost;            // HOST[:PORT] of the content server
        const std::string& cacheFolder;   // ends with "/"; read at each use, as it is set late
        TObjectList<TPageObj>& pageList;  // the window's page records
        ImageList& pageThumbList;         // the window's thumbnail pictures
        PictureSource pictures;           // the cache; may process pending events
        // Thumbnails made ahead by a lesson preparation; may be null.
        std::shared_ptr<const ThumbnailStore> thumbnails = nullptr;
    };

    explicit TextBookPage(Context context, QWidget* parent = nullptr);
    ~TextBookPage() override;

    // Replaces the page records by the book's pages from the service. The view is emptied
    // first, so no thumbnail outlives its record even when the call then raises.
    void LoadBookPageList(const GbkString& bookId);
    // Builds one thumbnail per page record, in order; the last one ends up selected.
    void RefreshBookPageList();
    // Shows the page of the selected thumbnail; nothing when none is selected.
    void LVTextBookClick();
    // Empties the thumbnail view and its pictures and ends a running thumbnail pass.
    void ClearPageView();
    // Collapses the neighbour panes to 1 pixel, as every showing of the window does.
    void CollapseNeighbourPanes();

    // The page record a thumbnail item carries, or null.
    static TPageObj* PageOf(const QListWidgetItem* item);

    // Shows the first or the last page, or the page at `index`, as a click on its thumbnail does.
    void ShowFirstPage();
    void ShowLastPage();
    void ShowPageAt(int index);
    // The index of the page on show (the selected thumbnail), -1 for none.
    int CurrentIndex() const { return selectedIndex(); }
    // The picture of the page at `index` decoded as the center pane would show it, fetched
    // first when it is not cached yet, with its own size in `natural`; a null picture when
    // there is no such page or it cannot be had. The last one is kept, so showing that page
    // next decodes nothing: the presenter console reads the next page ahead this way. May
    // process pending events; the records are not read again when a book change came meanwhile.
    QImage DecodeAhead(int index, QSize& natural);

    // Page steps: the arrows over the current page, a swipe and the presenter keys.
    void ImageleftClick();
    void ImagerightClick();
    void CheckBoxPreviousClick();
    void CheckBoxNextClick();
    void Splitter2Moved();

    // The cache paths of the pictures last shown in the three panes; empty until shown.
    const std::string& CurrentPageFile() const;
    const std::string& PreviousPageFile() const;
    const std::string& NextPageFile() const;

    // Left column.
    QWidget* Panel4 = nullptr;
    QCheckBox* CheckBoxPrevious = nullptr;
    QCheckBox* CheckBoxNext = nullptr;
    QLabel* LabelTextBook = nullptr;
    QListWidget* LVTextBook = nullptr;

    // Right area, top to bottom: the previous page, the current page, the status bar and the
    // next page. The panes' controls are named PanelPrevious, ScrollBoxprevious, ImagePrevious,
    // PanelCenter, ScrollBoxCenter, ImageCenter, Imageleft, Imageright, PanelNext,
    // ScrollBoxNext and ImageNext.
    QWidget* PanelRight = nullptr;
    NeighbourPane* PreviousPane = nullptr;
    PaneSplitter* Splitter3 = nullptr;
    CenterPageView* CenterPage = nullptr;
    PaneSplitter* Splitter2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusBar1Panel0 = nullptr;  // carries every status text
    QLabel* StatusBar1Panel1 = nullptr;
    NeighbourPane* NextPane = nullptr;
    // Ink over the three page pictures, the tool bar and the ink store.
    InkController* Ink = nullptr;

signals:
    // The page at `index` is now on the center pane, its ink included.
    void pageShown(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateLeftColumn();
    void CreateRightArea();

    int selectedIndex() const;
    void selectIndex(int index);
    std::string pagePath(const TPageObj& page) const;
    QImage thumbnailOf(const GbkString& address, const std::string& path) const;
    void updatePageSize(TPageObj& page, int measuredWidth, int measuredHeight);
    bool showNeighbour(int index, NeighbourPane& pane, unsigned generation, unsigned display);

    Context context_;
    // The picture last decoded ahead, for the center pane.
    struct Ahead {
        std::string path;
        QImage picture;
        QSize natural;
        int heightLimit = 0;
    } ahead_;
    InkCanvas* previousInk_ = nullptr;
    InkCanvas* nextInk_ = nullptr;
    // Bumped whenever the records the view points at may be destroyed; a routine that processed
    // events compares it with the value it started with before it touches a record again.
    unsigned recordGeneration_ = 0;
    // Bumped when a thumbnail pass must end (a new pass, an emptied view).
    unsigned thumbnailPass_ = 0;
    // Bumped by every page display: one that waited for its picture while a later one (a
    // presenter key, a click) ran stops, so the page last asked for is the one shown.
    unsigned pageDisplays_ = 0;
};
