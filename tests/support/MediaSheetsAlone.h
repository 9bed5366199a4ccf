#pragma once

#include <QCoreApplication>
#include <QRadioButton>
#include <QTabWidget>
#include <memory>

#include "DataModule.h"
#include "cache/CacheFileName.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/ImageList.h"
#include "catalogue/ImageLoader.h"
#include "catalogue/PictureFetch.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"

// The five media sheets without the main window, wired as the window wires them: catalogues read
// by the catalogue loader from the classroom service, pictures fetched into the test's cache
// folder and decoded as the window does, each sheet a page of one page control (the sheet shown
// when it plays) with a radio button of its own.
struct MediaSheetsAlone {
    explicit MediaSheetsAlone(const ClientConfig& config)
        : dm_(dataModule(config)),
          cacheFolder(CacheFolder::temporaryPath()),
          loader_(*dm_->HTTPRIOLmvInClass_.GetlmvInclassSoap(), cacheFolder,
                  [] { return QCoreApplication::processEvents(), true; }),
          files_(
              cacheFolder, [](const QString&) {}, [] { QCoreApplication::processEvents(); },
              config.httpClient()) {
        files_.runTransfersInBackground([](const QString&) {});
        MediaSheetEnvironment environment;
        environment.fetchPicture = [this](const GbkString& address) {
            const PictureSource source{
                [this](const GbkString& a, const std::string& path) {
                    return files_.CacheRemoteFile(a, path);
                },
                [this](const GbkString& a, const std::string& path) { return files_.Refetch(a, path); }};
            const FetchedPicture fetched =
                FetchPicture(source, address, gbk::joinPath(cacheFolder, CacheFileName::UrlFileName(address)),
                             [](const std::string& path) {
                                 int width = 0, height = 0;
                                 return LoadImageFile(path, width, height);
                             });
            if (duringFetch) duringFetch();
            return fetched;
        };
        environment.osMajorVersion = [this] { return osMajorVersion; };
        environment.classroomHost = config.classroomHost;
        environment.http = config.httpClient();
        environment.showPage = [this](QWidget* page) { pages.setCurrentWidget(page); };
        word = new SyllabusWordPage(words, wordImages, &wordButton, environment);
        lecture = new MiniLecturePage(lectures, lectureImages, &lectureButton, environment);
        passage = new PassagePage(passages, passageImages, &passageButton, *word->WebWord, environment);
        scene = new ScenePage(scenes, sceneImages, &sceneButton, environment);
        phonics = new PhonicsPage(clips, clipImages, environment);
        for (QWidget* sheet : std::initializer_list<QWidget*>{word, lecture, passage, scene, phonics})
            pages.addTab(sheet, sheet->objectName());
    }

    // The catalogues of a book, read as a book change reads them.
    void loadBook(const GbkString& book) {
        loader_.LoadBookWords(kUser, "1", book, words);
        loader_.LoadBookScenes(kUser, "1", book, scenes);
        loader_.LoadBookPassages(kUser, "1", book, passages);
        loader_.LoadBookMiniLectures(kUser, "1", book, lectures);
    }
    void loadClips() { loader_.LoadClipList(kUser, clips); }

    static inline const GbkString kUser{"t1001"};
    std::unique_ptr<TstudyDM> dm_;
    const std::string cacheFolder;
    int osMajorVersion = 6;
    // Runs inside each picture fetch, where events are processed: what the user does meanwhile.
    std::function<void()> duringFetch;
    CatalogueLoader loader_;
    RemoteFileCache files_;
    TObjectList<TWordObj> words;
    TObjectList<TMaterialObj> scenes;
    TObjectList<TPassageObj> passages;
    TObjectList<TMiniLectureObj> lectures;
    TObjectList<TMediaClipObj> clips;
    ImageList wordImages, sceneImages, passageImages, lectureImages, clipImages;
    QRadioButton wordButton, sceneButton, passageButton, lectureButton;
    // Made last, so that the sheets go before the records and pictures they show.
    QTabWidget pages;
    SyllabusWordPage* word = nullptr;
    MiniLecturePage* lecture = nullptr;
    PassagePage* passage = nullptr;
    ScenePage* scene = nullptr;
    PhonicsPage* phonics = nullptr;
};
