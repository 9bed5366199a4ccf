#include "PreparationController.h"

#include <QPushButton>
#include <QWidget>

#include "PreparationDialog.h"
#include "service/ShowMessage.h"

PreparationController::PreparationController(Context context, QWidget* panel, QPoint place, QWidget* window)
    : context_(std::move(context)), window_(window) {
    BtnPrepare = new QPushButton(QStringLiteral("课前准备"), panel);
    BtnPrepare->setObjectName(QStringLiteral("BtnPrepare"));
    BtnPrepare->setAccessibleName(BtnPrepare->text());
    BtnPrepare->setGeometry(place.x(), place.y(), 100, 26);
    BtnPrepare->setEnabled(false);
    connect(BtnPrepare, &QPushButton::clicked, this, &PreparationController::prepareClick);
    // Between files the bytes of the running transfers still grow.
    ticker_.setInterval(250);
    connect(&ticker_, &QTimer::timeout, this, &PreparationController::report);
}

PreparationController::~PreparationController() {
    delete dialog_.data();
}

void PreparationController::bookChanging() {
    // The records are being replaced: a preparation made now would mix two books.
    BtnPrepare->setEnabled(false);
}

void PreparationController::bookChanged(const GbkString& bookId, const QString& bookName) {
    bookId_ = bookId;
    bookName_ = bookName;
    BtnPrepare->setEnabled(!bookId.empty());
    if (!stopOtherBook()) return;
    const bool offline = context_.offline && context_.offline();
    if (context_.prefetch && !offline && !preparation_ && !bookId.empty()) start(Show::Quietly);
}

bool PreparationController::stopOtherBook() {
    if (!preparation_ || preparation_->bookId() == bookId_) return true;
    if (preparation_->running()) {
        const LessonPreparation* asked = preparation_.get();
        const GbkString book = bookId_;
        const bool stopIt =
            AskQuestion(QStringLiteral("《%1》的课前准备还在进行，要停止它吗？").arg(preparedName_));
        // The question let events through: a later book change or press has dealt with it.
        if (preparation_.get() != asked || bookId_ != book) return false;
        if (!stopIt) return false;
    }
    stop();
    return true;
}

void PreparationController::unitChosen(const GbkString& pageNumber) {
    if (!preparation_ || preparation_->bookId() != bookId_ || !preparation_->running()) return;
    const TObjectList<TPageObj>& pages = context_.catalogue.PageList;
    for (std::size_t i = 0; i < pages.Count(); ++i) {
        if (pages.Items(i)->pagenumber != pageNumber) continue;
        std::vector<const TPageObj*> first{pages.Items(i)};
        if (i > 0) first.push_back(pages.Items(i - 1));
        if (i + 1 < pages.Count()) first.push_back(pages.Items(i + 1));
        preparation_->prioritise(first);
        return;
    }
}

void PreparationController::prepareClick() {
    if (bookId_.empty()) return;
    if (preparation_ && preparation_->bookId() == bookId_) {
        // Shown again; a cancelled one goes on where it stopped.
        if (preparation_->progress().cancelled) {
            preparation_->start();
            ticker_.start();
        }
        showDialog();
        report();
        return;
    }
    if (stopOtherBook())
        start(Show::Dialog);
    else if (preparation_)
        showDialog();
}

void PreparationController::start(Show show) {
    DownloadPool* pool = context_.pool ? context_.pool() : nullptr;
    if (pool == nullptr) return;
    const CatalogueModel& catalogue = context_.catalogue;
    // The clips belong to no book and are read when the phonics sheet is first shown; until then
    // the preparation reads them itself.
    const GbkString book = bookId_;
    clips_.Clear();
    if (catalogue.MediaClipList.Count() == 0 && context_.loadClips) {
        try {
            context_.loadClips(clips_);
        } catch (const std::exception&) {
            // The clips' pictures are left out; everything else is prepared.
        }
        if (bookId_ != book || preparation_) return;  // superseded while the clips were read
    }
    const TObjectList<TMediaClipObj>& clips =
        catalogue.MediaClipList.Count() > 0 ? catalogue.MediaClipList : clips_;
    preparation_ = std::make_unique<LessonPreparation>(
        *pool, context_.thumbnails, context_.cacheFolder,
        BookRecords{catalogue.PageList, catalogue.SceneList, catalogue.MiniLectureList, catalogue.WordList,
                    clips},
        bookId_, LessonPreparation::Listener{[this] { report(); }, [this] { report(); }});
    preparedName_ = bookName_;
    preparation_->start();
    ticker_.start();
    if (show == Show::Dialog) showDialog();
    report();
}

void PreparationController::stop() {
    preparation_.reset();
    ticker_.stop();
    if (dialog_) dialog_->hide();
}

void PreparationController::showDialog() {
    if (!dialog_) {
        dialog_ = new PreparationDialog(window_);
        connect(dialog_, &PreparationDialog::cancelRequested, this, [this] {
            if (preparation_) preparation_->cancel();
            report();
        });
        connect(dialog_, &PreparationDialog::retryRequested, this, [this] {
            if (!preparation_) return;
            preparation_->retryFailed();
            ticker_.start();
            report();
        });
    }
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void PreparationController::report() {
    if (!preparation_) return;
    const LessonPreparation::Progress progress = preparation_->progress();
    if (!preparation_->running()) ticker_.stop();
    if (dialog_) dialog_->showProgress(preparedName_, progress);
}

PreparationDialog* PreparationController::dialog() const {
    return dialog_.data();
}
