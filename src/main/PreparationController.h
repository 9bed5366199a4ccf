#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "catalogue/CatalogueModel.h"
#include "catalogue/LessonPreparation.h"
#include "catalogue/ThumbnailStore.h"
#include "service/GbkText.h"

class QPushButton;
class QWidget;
class DownloadPool;
class PreparationDialog;

// The window's side of preparing a lesson: the "课前准备" button in the top bar, the dialog it
// opens, and the one preparation that runs at a time, in the background while the teacher goes
// on. The button prepares the current book (or shows the running preparation again); with
// prefetch every book change starts one without the dialog, and a chosen unit's pages go first.
// A book change while another book is being prepared asks whether to stop that one.
class PreparationController : public QObject {
    Q_OBJECT

public:
    struct Context {
        const CatalogueModel& catalogue;
        const std::string& cacheFolder;  // read at each use, as it is set late
        // The cache's pool, or null before the cache exists.
        std::function<DownloadPool*()> pool;
        // Reads the phonics clips into the list; may raise.
        std::function<void(TObjectList<TMediaClipObj>& clips)> loadClips;
        std::shared_ptr<ThumbnailStore> thumbnails;
        bool prefetch = false;
        // True while the lesson goes on offline: nothing is fetched ahead then.
        std::function<bool()> offline = {};
    };

    // The button goes into `panel` at (left, top); the dialog's parent is `window`.
    PreparationController(Context context, QWidget* panel, QPoint place, QWidget* window);
    ~PreparationController() override;

    // When a book change starts (its records are being replaced) and after it has read them.
    void bookChanging();
    void bookChanged(const GbkString& bookId, const QString& bookName);
    // After a unit is chosen: its page (by page number) and the pages beside it come next.
    void unitChosen(const GbkString& pageNumber);
    // The button: prepares the current book, or shows how its preparation goes.
    void prepareClick();

    const LessonPreparation* preparation() const { return preparation_.get(); }
    PreparationDialog* dialog() const;

    QPushButton* BtnPrepare = nullptr;

private:
    enum class Show { Dialog, Quietly };
    void start(Show show);
    // Asks whether to stop the running preparation of another book; true when it is stopped (or
    // none runs).
    bool stopOtherBook();
    void stop();
    void showDialog();
    void report();

    Context context_;
    QWidget* window_;
    QPointer<PreparationDialog> dialog_;
    std::unique_ptr<LessonPreparation> preparation_;
    TObjectList<TMediaClipObj> clips_;
    GbkString bookId_;  // the window's current book
    QString bookName_;
    QString preparedName_;  // the book being prepared
    QTimer ticker_;         // the running transfers' bytes between files
};
