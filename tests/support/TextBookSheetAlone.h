#pragma once

// The textbook sheet alone on the offscreen platform, over a book whose page pictures are
// already in the cache, so showing a page needs no request. The page records carry their sizes,
// so none is reported to the service either.
#include <QDir>
#include <QImage>
#include <QList>
#include <QListWidget>
#include <QSize>
#include <QtTest>
#include <memory>
#include <string>

#include "ScriptedClassroom.h"
#include "cache/CacheFolder.h"
#include "catalogue/ImageList.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TPageObj.h"
#include "pages/TextBookPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"

class TextBookSheetAlone {
public:
    TextBookSheetAlone() {
        ClientConfig config;
        config.classroomHost = config.contentHost = QString::fromStdString(server_.host());
        dm_ = std::make_unique<TstudyDM>(config);
        dm_->SetUpClassroomProxy();
        cacheFolder_ = CacheFolder::temporaryPath();
        QDir(QString::fromStdString(cacheFolder_)).removeRecursively();
        cacheFolder_ = CacheFolder::temporaryPath();
        const auto cached = [](const GbkString&, const std::string& path) {
            return QFile::exists(QString::fromStdString(path));
        };
        sheet_ = std::make_unique<TextBookPage>(TextBookPage::Context{
            *dm_->HTTPRIOLmvInClass_.GetlmvInclassSoap(), gbk::fromQString(config.contentHost), cacheFolder_,
            pages_, thumbs_, PictureSource{cached, {}}});
        sheet_->resize(1085, 800);
        sheet_->show();
    }
    ~TextBookSheetAlone() {
        sheet_.reset();
        pages_.Clear();
        thumbs_.Clear();
    }

    TextBookPage& sheet() { return *sheet_; }

    // Pages "<book>-0", "<book>-1", ... of the given natural sizes, each a flat colour, in place
    // of the book shown.
    void cachedBook(const std::string& book, const QList<QSize>& sizes) {
        sheet_->ClearPageView();
        pages_.Clear();
        for (int i = 0; i < sizes.size(); ++i) {
            TPageObj page;
            page.pageid = GbkString(book + "-" + std::to_string(i));
            page.bookid = GbkString(book);
            page.pagename = GbkString("Page " + std::to_string(i));
            page.pagefile = GbkString("https://pictures.invalid/" + book + std::to_string(i) + ".png");
            page.web_path = "https://pictures.invalid";
            page.width = GbkString(std::to_string(sizes[i].width()));
            page.height = GbkString(std::to_string(sizes[i].height()));
            QImage picture(sizes[i], QImage::Format_RGB32);
            picture.fill(QColor::fromHsv((i * 47) % 360, 60, 240));
            const std::string path = cacheFolder_ + book + "-" + std::to_string(i) + ".png";
            if (!picture.save(QString::fromStdString(path), "PNG")) qFatal("cannot write %s", path.c_str());
            pages_.Add(page);
        }
        sheet_->RefreshBookPageList();
    }
    // Shows page `index` as a click on its thumbnail does.
    void show(int index) {
        sheet_->LVTextBook->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        sheet_->LVTextBookClick();
        QCoreApplication::processEvents();
    }

private:
    ScriptedClassroom server_;
    std::unique_ptr<TstudyDM> dm_;
    std::string cacheFolder_;
    TObjectList<TPageObj> pages_;
    ImageList thumbs_;
    std::unique_ptr<TextBookPage> sheet_;
};
