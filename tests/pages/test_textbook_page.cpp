// The textbook sheet as a teacher meets it: page lists and pictures from a scripted classroom
// service over loopback HTTP, the real sheet on the offscreen platform.
#include <QtTest>

#include <QAccessible>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>
#include <functional>

#include "AccessibleTree.h"
#include "DataRows.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "TestFiles.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/BuiltInPictures.h"
#include "catalogue/HalftoneStretch.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/TextBookPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

namespace {

const QSize kServedPage(124, 175);  // every served page picture
const QString kPageMissing = QStringLiteral("获取当前页面失败，请重新尝试！");

QColor pageColour(int page) {
    return QColor::fromHsv((page * 47) % 360, 160, 220);
}

QByteArray encoded(const QImage& picture, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return bytes;
}

QImage filled(QSize size, const QColor& colour) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

// Within what JPEG's rounding leaves of a flat colour.
bool similar(const QColor& a, const QColor& b) {
    return qAbs(a.red() - b.red()) <= 8 && qAbs(a.green() - b.green()) <= 8 && qAbs(a.blue() - b.blue()) <= 8;
}

QImage placeholderThumbnail() {
    return HalftoneStretch(BuiltInPictures::ImgNoPic(), 100, 140);
}

QImage thumbnail(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_RGB888);
}

}  // namespace

class TestTextBookPage : public QObject {
    Q_OBJECT

    std::unique_ptr<ScriptedClassroom> server_;
    std::unique_ptr<TstudyDM> dm_;
    std::string cacheFolder_;
    TObjectList<TPageObj> pages_;
    ImageList thumbs_;
    std::unique_ptr<RemoteFileCache> files_;
    std::unique_ptr<TextBookPage> sheet_;
    std::vector<GbkString> fetched_;
    std::function<void()> afterFetch_;  // runs inside a fetch, where events are processed

    std::string host() const { return server_->host(); }

    // A page row as the service sends it; pictures live at /pages/BOOK-N.jpg.
    std::string row(const std::string& book, int page, const std::string& width = "124",
                    const std::string& height = "175") const {
        const std::string id = book + "-" + std::to_string(page);
        return "<Table pageid=\" " + id + " \" pagenumber=\"" + std::to_string(page) + "\" pagename=\"第" +
               std::to_string(page) + "页 " + id + "\" pagefile=\"https://" + host() + "/pages/" + id +
               ".jpg\" width=\"" + width + "\" height=\"" + height + "\" bookid=\"" + book +
               "\" bookname=\"Book " + book + "\" web_path=\"https://" + host() +
               "\" book_path=\"/pages/\" page_path=\"/pages/\" gradeid=\"3\"/>";
    }
    // Scripts the page list of `book` with `count` pages, serving the pictures of those not in
    // `missing`.
    void serveBook(const std::string& book, int count, const std::vector<int>& missing = {},
                   const std::function<std::string(int)>& rowOf = {}) {
        std::string rows;
        for (int page = 1; page <= count; ++page) {
            rows += rowOf ? rowOf(page) : row(book, page);
            if (std::find(missing.begin(), missing.end(), page) == missing.end())
                server_->get(
                    "/pages/" + book + "-" + std::to_string(page) + ".jpg",
                    {200, "image/jpeg", encoded(filled(kServedPage, pageColour(page)), "JPG").toStdString()});
        }
        server_->reply("LmvInclass_GetPageList",
                       "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>" + rows + "</NewDataSet>");
    }
    void openBook(const std::string& book) {
        sheet_->LoadBookPageList(GbkString(book));
        sheet_->RefreshBookPageList();
    }

    // A book whose pictures are already cached: no request is needed to show it.
    void cachedBook(const QList<QSize>& sizes, const char* format = "PNG") {
        for (int i = 0; i < sizes.size(); ++i) {
            TPageObj page;
            page.pageid = GbkString("local-" + std::to_string(i));
            page.pagename = GbkString("Page " + std::to_string(i));
            const std::string extension = format == QByteArray("PNG") ? ".png" : ".jpg";
            page.pagefile = GbkString("https://pictures.invalid/p" + std::to_string(i) + extension);
            page.web_path = "https://pictures.invalid";
            page.width = GbkString(std::to_string(sizes[i].width()));
            page.height = GbkString(std::to_string(sizes[i].height()));
            QVERIFY(
                filled(sizes[i], pageColour(i)).save(QString::fromStdString(pagePath(i, extension)), format));
            pages_.Add(page);
        }
        sheet_->RefreshBookPageList();
    }
    std::string pagePath(int index, const std::string& extension = ".png") const {
        return cacheFolder_ + "local-" + std::to_string(index) + extension;
    }

    // Sizes the sheet so that the center pane gets exactly `pane`.
    void setCenterPane(QSize pane) {
        sheet_->resize(pane + (sheet_->size() - sheet_->CenterPage->panel()->size()));
        QTRY_COMPARE(sheet_->CenterPage->panel()->size(), pane);
    }
    void select(int index) {
        if (index < 0)
            sheet_->LVTextBook->clearSelection();
        else
            sheet_->LVTextBook->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    }
    int selected() const {
        const QList<QListWidgetItem*> items = sheet_->LVTextBook->selectedItems();
        return items.isEmpty() ? -1 : sheet_->LVTextBook->row(items.first());
    }
    std::size_t updatesSent() const {
        const std::vector<std::string> operations = server_->operations();
        return std::count(operations.begin(), operations.end(), "LmvInclass_UpdatePageSize");
    }

private slots:
    void init() {
        server_ = std::make_unique<ScriptedClassroom>();
        ClientConfig config;
        config.classroomHost = config.contentHost = QString::fromStdString(host());
        dm_ = std::make_unique<TstudyDM>(config);
        dm_->SetUpClassroomProxy();
        cacheFolder_ = CacheFolder::temporaryPath();
        QVERIFY(QDir(QString::fromStdString(cacheFolder_)).removeRecursively());
        cacheFolder_ = CacheFolder::temporaryPath();
        QVERIFY(!cacheFolder_.empty());
        files_ = std::make_unique<RemoteFileCache>(
            cacheFolder_, [this](const QString& text) { sheet_->StatusBar1Panel0->setText(text); },
            [] { QCoreApplication::processEvents(); });
        const auto fetch = [this](const GbkString& address, const std::string& path) {
            fetched_.push_back(address);
            const bool available = files_->CacheRemoteFile(address, path);
            if (afterFetch_) afterFetch_();
            return available;
        };
        sheet_ = std::make_unique<TextBookPage>(TextBookPage::Context{
            *dm_->HTTPRIOLmvInClass_.GetlmvInclassSoap(), gbk::fromQString(config.contentHost), cacheFolder_,
            pages_, thumbs_, PictureSource{fetch, [this](const GbkString& address, const std::string& path) {
                                               return files_->Refetch(address, path);
                                           }}});
        sheet_->resize(1085, 800);
        sheet_->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet_.get()));
    }
    void cleanup() {
        sheet_.reset();
        files_.reset();
        pages_.Clear();
        thumbs_.Clear();
        fetched_.clear();
        afterFetch_ = nullptr;
        dm_.reset();
        server_.reset();
    }

    void thumbnailsFollowThePageListWithPlaceholdersForMissingPictures() {
        serveBook("b3", 5, {3});
        MessageRecorder messages;
        openBook("b3");

        const RecordedRequest request = server_->requests().front();
        QVERIFY(request.body.find("<bookid>b3</bookid>") != std::string::npos);
        QVERIFY2(request.body.find("<baseurl>https://" + host() + "</baseurl>") != std::string::npos,
                 request.body.c_str());
        QCOMPARE(pages_.Count(), std::size_t(5));
        QCOMPARE(pages_.Items(0)->pageid, GbkString("b3-1"));

        QListWidget* list = sheet_->LVTextBook;
        QCOMPARE(list->count(), 5);
        QCOMPARE(thumbs_.Count(), 5);
        QCOMPARE(thumbs_.imageSize(), QSize(100, 140));
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(list);
        for (int i = 0; i < 5; ++i) {
            const QString caption = gbk::toQString(pages_.Items(i)->pagename);
            QCOMPARE(list->item(i)->text(), caption);
            QCOMPARE(view->child(i)->text(QAccessible::Name), caption);
            QCOMPARE(TextBookPage::PageOf(list->item(i)), pages_.Items(i));
            QVERIFY(list->visualItemRect(list->item(i)).height() > 140);
            const QImage picture = thumbnail(thumbs_.Item(i));
            QCOMPARE(picture.size(), QSize(100, 140));
            if (i == 2) {
                QCOMPARE(picture, placeholderThumbnail());
            } else {
                const QColor centre = picture.pixelColor(50, 70);
                QVERIFY2(similar(centre, pageColour(i + 1)), qPrintable(centre.name()));
            }
        }
        QCOMPARE(selected(), 4);
        QVERIFY(sheet_->StatusBar1Panel0->text().isEmpty());
        QVERIFY(messages.texts().isEmpty());
    }

    void bookChangeDuringTheThumbnailPassEndsIt() {
        serveBook("b3", 6);
        sheet_->LoadBookPageList("b3");
        int fetches = 0;
        afterFetch_ = [&] {
            if (++fetches != 3) return;
            serveBook("b5", 4);
            sheet_->LoadBookPageList("b5");
        };
        sheet_->RefreshBookPageList();
        afterFetch_ = nullptr;

        QCOMPARE(fetched_.size(), std::size_t(3));
        QCOMPARE(sheet_->LVTextBook->count(), 0);
        QCOMPARE(thumbs_.Count(), 0);
        QCOMPARE(pages_.Count(), std::size_t(4));
        sheet_->LVTextBookClick();
        sheet_->ImagerightClick();
        QVERIFY(sheet_->CurrentPageFile().empty());

        sheet_->RefreshBookPageList();
        QCOMPARE(sheet_->LVTextBook->count(), 4);
        QCOMPARE(sheet_->LVTextBook->item(0)->text(), QStringLiteral("第1页 b5-1"));
    }

    // A page asked for while another waited for its picture (a presenter key on a slow network)
    // stays shown: the display that waited stops when its picture arrives.
    void laterPageDisplayWinsOverOneStillWaiting() {
        serveBook("b3", 4);
        openBook("b3");
        for (int page = 1; page <= 4; ++page)
            QFile::remove(QString::fromStdString(cacheFolder_ + "b3-" + std::to_string(page) + ".jpg"));
        bool nested = false;
        afterFetch_ = [&] {
            if (std::exchange(nested, true)) return;
            select(2);
            sheet_->LVTextBookClick();
        };
        select(1);
        sheet_->LVTextBookClick();
        afterFetch_ = nullptr;
        QCOMPARE(sheet_->CurrentPageFile(), cacheFolder_ + "b3-3.jpg");
        QCOMPARE(selected(), 2);
        QVERIFY(similar(sheet_->CenterPage->picture()->picture().pixelColor(5, 5), pageColour(3)));
    }

    void failingPageListAfterABookLeavesNoThumbnailToReach() {
        serveBook("b3", 3);
        openBook("b3");
        select(1);
        sheet_->LVTextBookClick();
        const std::string shown = sheet_->CurrentPageFile();
        QVERIFY(!shown.empty());

        server_->fault("LmvInclass_GetPageList", "Page list unavailable");
        QVERIFY_THROWS_EXCEPTION(SoapFault, sheet_->LoadBookPageList("b5"));
        QCOMPARE(sheet_->LVTextBook->count(), 0);
        QCOMPARE(thumbs_.Count(), 0);
        QCOMPARE(pages_.Count(), std::size_t(0));

        MessageRecorder messages;
        const std::size_t requests = server_->requests().size();
        sheet_->LVTextBookClick();
        sheet_->ImagerightClick();
        sheet_->ImageleftClick();
        QCOMPARE(server_->requests().size(), requests);
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(sheet_->CurrentPageFile(), shown);
    }

    void pageSizeFromRecordOrMeasured_data() {
        addColumns<QByteArray, QByteArray>({"width", "height"});
        QTest::addColumn<QByteArray>("reply");  // of the size update; "fault" for a SOAP fault
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("updates");  // after two displays
        addColumns<QByteArray, QByteArray>({"storedWidth", "storedHeight"});
        addRow("record sizes win, nothing sent", QByteArray("800"), QByteArray("600"), QByteArray("1"),
               "图片：800 x 600", 0, QByteArray("800"), QByteArray("600"));
        addRow("zero width measured and stored once", QByteArray("0"), QByteArray("1754"), QByteArray("1"),
               "图片：124 x 175", 1, QByteArray("124"), QByteArray("175"));
        addRow("size that is no number is measured", QByteArray("12a"), QByteArray(""), QByteArray("1"),
               "图片：124 x 175", 1, QByteArray("124"), QByteArray("175"));
        addRow("refused update keeps zero and retries", QByteArray("0"), QByteArray("0"), QByteArray("0"),
               "图片：124 x 175", 2, QByteArray("0"), QByteArray("0"));
        addRow("failed update is ignored and retried", QByteArray("0"), QByteArray("0"), QByteArray("fault"),
               "图片：124 x 175", 2, QByteArray("0"), QByteArray("0"));
    }
    void pageSizeFromRecordOrMeasured() {
        QFETCH(QByteArray, width);
        QFETCH(QByteArray, height);
        QFETCH(QByteArray, reply);
        QFETCH(QString, status);
        QFETCH(int, updates);
        QFETCH(QByteArray, storedWidth);
        QFETCH(QByteArray, storedHeight);
        serveBook("b3", 1, {},
                  [&](int page) { return row("b3", page, width.toStdString(), height.toStdString()); });
        if (reply == "fault")
            server_->fault("LmvInclass_UpdatePageSize", "Database busy");
        else
            server_->reply("LmvInclass_UpdatePageSize", reply.toStdString());
        MessageRecorder messages;
        openBook("b3");

        for (int display = 0; display < 2; ++display) {
            sheet_->LVTextBookClick();
            QCOMPARE(sheet_->StatusBar1Panel0->text(), status);
        }
        QCOMPARE(updatesSent(), std::size_t(updates));
        QCOMPARE(QByteArray::fromStdString(pages_.Items(0)->width.bytes()), storedWidth);
        QCOMPARE(QByteArray::fromStdString(pages_.Items(0)->height.bytes()), storedHeight);
        QVERIFY(messages.texts().isEmpty());
        for (const RecordedRequest& request : server_->requests())
            if (ScriptedClassroom::operationOf(request) == "LmvInclass_UpdatePageSize")
                QVERIFY2(request.body.find("<pageid>b3-1</pageid><bookid>b3</bookid><width>124</width>"
                                           "<height>175</height>") != std::string::npos,
                         request.body.c_str());
    }

    void currentPageThatCannotBeFetchedLeavesThePanes() {
        serveBook("b3", 2, {2});
        openBook("b3");
        select(0);
        sheet_->LVTextBookClick();
        const QImage shown = sheet_->CenterPage->picture()->picture();
        const QString status = sheet_->StatusBar1Panel0->text();
        const std::string file = sheet_->CurrentPageFile();

        MessageRecorder messages;
        select(1);
        sheet_->LVTextBookClick();
        QCOMPARE(messages.texts(), QStringList{kPageMissing});
        QCOMPARE(sheet_->CurrentPageFile(), file);
        QCOMPARE(sheet_->CenterPage->picture()->picture().cacheKey(), shown.cacheKey());
        QCOMPARE(sheet_->StatusBar1Panel0->text(),
                 "下载页面失败：" + QString::fromStdString(cacheFolder_) + "b3-2.jpg");
        QVERIFY(status.startsWith(QStringLiteral("图片：")));
    }

    // Pictures the center pane cannot use. A cached copy that does not decode is fetched once
    // more in a run (here by the thumbnail pass); what still cannot be used leaves the pane empty
    // and reports no size, whatever the format, and what is not a picture at all is never kept.
    void unusablePicturesLeaveTheCenterPaneEmpty_data() {
        QTest::addColumn<QByteArray>("cached");  // what the cache holds before, if anything
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<int>("requests");  // for the picture, thumbnail pass and page display
        addColumns<bool, QStringList>({"shown", "messages"});
        const QByteArray png = encoded(filled(kServedPage, pageColour(1)), "PNG");
        const QByteArray damaged = png.left(png.size() / 2);
        // A real JPEG whose frame header declares 20000 x 20000 pixels.
        QByteArray huge = encoded(filled(QSize(16, 16), Qt::red), "JPG");
        const qsizetype frame = huge.indexOf("\xFF\xC0");
        huge.replace(frame + 5, 4, QByteArray("\x4E\x20\x4E\x20", 4));
        addRow("damaged copy in the cache, whole on the server", damaged, png, 1, true, QStringList());
        addRow("damaged copy, damaged on the server", damaged, damaged, 1, false, QStringList());
        addRow("damaged on the server", QByteArray(), damaged, 2, false, QStringList());
        addRow("header declares 20000 x 20000", QByteArray(), huge, 1, false, QStringList());
        addRow("error page served as the picture", QByteArray(),
               QByteArray("<html><body>Please sign in</body></html>"), 2, false, QStringList{kPageMissing});
    }
    void unusablePicturesLeaveTheCenterPaneEmpty() {
        QFETCH(QByteArray, cached);
        QFETCH(QByteArray, served);
        QFETCH(int, requests);
        QFETCH(bool, shown);
        QFETCH(QStringList, messages);
        const std::string extension = served.startsWith("\xFF\xD8") ? ".jpg" : ".png";
        serveBook("b4", 1, {1}, [&](int page) {
            std::string text = row("b4", page, "0", "0");
            return text.replace(text.find(".jpg"), 4, extension);
        });
        server_->get("/pages/b4-1" + extension, {200, "image/png", served.toStdString()});
        server_->reply("LmvInclass_UpdatePageSize", "1");
        const std::string file = cacheFolder_ + "b4-1" + extension;
        if (!cached.isEmpty()) writeFile(QString::fromStdString(file), cached);
        MessageRecorder recorder;
        openBook("b4");
        select(0);
        sheet_->LVTextBookClick();

        QCOMPARE(recorder.texts(), messages);
        int fetches = 0;
        for (const RecordedRequest& request : server_->requests())
            fetches += request.target == "/pages/b4-1" + extension;
        QCOMPARE(fetches, requests);
        QCOMPARE(!sheet_->CenterPage->picture()->picture().isNull(), shown);
        QCOMPARE(updatesSent(), std::size_t(shown ? 1 : 0));
        if (!messages.isEmpty()) QVERIFY(!QFile::exists(QString::fromStdString(file)));
    }

    void pageFitsThePaneHeight_data() {
        addColumns<QSize, QByteArray, QSize, QRect>({"picture", "format", "pane", "shown"});
        QTest::addColumn<int>("widthInTallerPane");  // the pane 100 pixels taller
        addRow("taller page centred", QSize(1000, 1500), QByteArray("JPG"), QSize(900, 600),
               QRect(250, 0, 400, 600), 467);
        addRow("wider page left-aligned", QSize(3000, 1000), QByteArray("PNG"), QSize(900, 600),
               QRect(0, 0, 1800, 600), 2100);
        addRow("half a pixel rounds to even", QSize(2, 4), QByteArray("PNG"), QSize(900, 601),
               QRect(300, 0, 300, 601), 350);
        addRow("small page scaled up", QSize(100, 150), QByteArray("PNG"), QSize(900, 600),
               QRect(250, 0, 400, 600), 467);
    }
    void pageFitsThePaneHeight() {
        QFETCH(QSize, picture);
        QFETCH(QByteArray, format);
        QFETCH(QSize, pane);
        QFETCH(QRect, shown);
        QFETCH(int, widthInTallerPane);
        cachedBook({picture}, format.constData());
        setCenterPane(pane);
        select(0);
        sheet_->LVTextBookClick();
        QVERIFY(fetched_.size() == 2 && server_->requests().empty());

        QCOMPARE(sheet_->CenterPage->picture()->geometry(), shown);
        QCOMPARE(sheet_->CenterPage->box()->horizontalRange(), picture.width());
        QCOMPARE(sheet_->CenterPage->box()->verticalRange(), pane.height());
        QCOMPARE(sheet_->CenterPage->previousArrow()->x(), 10);
        QCOMPARE(sheet_->CenterPage->nextArrow()->x(), sheet_->CenterPage->box()->width() - 60);
        const QImage grabbed = sheet_->CenterPage->picture()->grab().toImage();
        QVERIFY(similar(grabbed.pixelColor(grabbed.rect().center()), pageColour(0)));

        // A taller pane rescales the same decoded picture.
        const qint64 decoded = sheet_->CenterPage->picture()->picture().cacheKey();
        setCenterPane(pane + QSize(0, 100));
        QCOMPARE(sheet_->CenterPage->picture()->size(), QSize(widthInTallerPane, pane.height() + 100));
        QCOMPARE(sheet_->CenterPage->picture()->picture().cacheKey(), decoded);
    }

    void arrowsAndClicks_data() {
        QTest::addColumn<int>("start");  // selection before the action, after page 2 was shown
        addColumns<QString, int, int, int, int>({"action", "selection", "current", "previous", "next"});
        addRow("click without selection", -1, "click", -1, 2, 1, 3);
        addRow("left arrow without selection", -1, "left", -1, 2, 1, 3);
        addRow("right arrow without selection shows the first page", -1, "right", 0, 0, 1, 1);
        addRow("left arrow on the first page", 0, "left", 0, 0, 1, 1);
        addRow("right arrow on the last page", 3, "right", 3, 3, 2, 3);
        addRow("right arrow steps forward", 1, "right", 2, 2, 1, 3);
        addRow("left arrow steps back", 2, "left", 1, 1, 0, 2);
    }
    void arrowsAndClicks() {
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, selection);
        QFETCH(int, current);
        QFETCH(int, previous);
        QFETCH(int, next);
        cachedBook({{60, 80}, {60, 80}, {60, 80}, {60, 80}});
        sheet_->CheckBoxPrevious->click();
        sheet_->CheckBoxNext->click();
        QCOMPARE(sheet_->PreviousPane->panel()->height(), 100);
        select(2);
        sheet_->LVTextBookClick();
        if (start >= 0) {
            select(start);
            sheet_->LVTextBookClick();
        } else {
            select(-1);
        }

        MessageRecorder messages;
        if (action == "click")
            sheet_->LVTextBookClick();
        else
            QTest::mouseClick(
                action == "left" ? sheet_->CenterPage->previousArrow() : sheet_->CenterPage->nextArrow(),
                Qt::LeftButton);
        QCOMPARE(selected(), selection);
        QCOMPARE(sheet_->CurrentPageFile(), pagePath(current));
        QCOMPARE(sheet_->PreviousPageFile(), pagePath(previous));
        QCOMPARE(sheet_->NextPageFile(), pagePath(next));
        QCOMPARE(sheet_->StatusBar1Panel0->text(), QStringLiteral("图片：60 x 80"));
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(server_->requests().empty());
    }

    void arrowsAreFoundByTheirCaptions() {
        for (auto [arrow, caption] :
             {std::pair{sheet_->CenterPage->previousArrow(), QStringLiteral("上一页")},
              std::pair{sheet_->CenterPage->nextArrow(), QStringLiteral("下一页")}}) {
            const auto found = ShownAccessibles(sheet_.get(), caption);
            QCOMPARE(found.size(), 1);
            QCOMPARE(found.front()->object(), arrow);
            QCOMPARE(arrow->size(), QSize(50, 50));
        }
    }

    void dragScrollsTheNeighbourPane_data() {
        addColumns<bool, QPoint>({"shown", "scrolled"});
        addRow("page follows the mouse", true, QPoint(30, 20));
        addRow("no picture, no range, no move", false, QPoint(0, 0));
    }
    void dragScrollsTheNeighbourPane() {
        QFETCH(bool, shown);
        QFETCH(QPoint, scrolled);
        cachedBook({{1200, 800}, {1200, 800}});
        sheet_->CheckBoxPrevious->click();
        if (shown) {
            select(1);
            sheet_->LVTextBookClick();
        }
        PagePicture* picture = sheet_->PreviousPane->picture();
        PageScrollBox* box = sheet_->PreviousPane->box();
        QCOMPARE(box->horizontalRange(), shown ? 1200 : 0);

        const auto mouse = [picture](QEvent::Type type, QPoint at) {
            QMouseEvent event(type, at, picture->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(picture, &event);
        };
        mouse(QEvent::MouseButtonPress, {100, 60});
        QVERIFY(sheet_->PreviousPane->dragging());
        mouse(QEvent::MouseMove, {70, 40});
        mouse(QEvent::MouseButtonRelease, {70, 40});
        QVERIFY(!sheet_->PreviousPane->dragging());
        QCOMPARE(QPoint(box->horizontalScrollBar()->value(), box->verticalScrollBar()->value()), scrolled);
    }
};

QTEST_MAIN(TestTextBookPage)
#include "test_textbook_page.moc"
