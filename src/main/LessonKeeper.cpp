#include "LessonKeeper.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>

#include "LogoArtwork.h"
#include "TFmMain.h"
#include "catalogue/FillBookCombo.h"
#include "pages/TextBookPage.h"
#include "service/GbkText.h"

namespace {

constexpr int kResumeGap = 16;  // between the logo and the button under it

QString text(const GbkString& gbk) {
    return gbk::toQString(gbk);
}

int bookIndex(const QComboBox* books, const QString& bookId) {
    for (int i = 0; i < books->count(); ++i) {
        const TBookObj* book = ComboBook(books, i);
        if (book != nullptr && text(book->bookid) == bookId) return i;
    }
    return -1;
}

}  // namespace

LessonDesktop LessonDesktop::system() {
    return {std::make_unique<DBusScreenSaverInhibitor>(QCoreApplication::applicationName()),
            std::make_unique<DesktopScreens>(), PlaceStore()};
}

LessonKeeper::LessonKeeper(TFmMain& window, LessonDesktop desktop,
                           std::function<void(const QRect&)> placeOnWorkArea)
    : window_(window), desktop_(std::move(desktop)), placeOnWorkArea_(std::move(placeOnWorkArea)) {
    BtnResume = new QPushButton(window_.TabSheetLogo);
    BtnResume->setObjectName(QStringLiteral("BtnResume"));
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(15);
    font.setBold(true);
    BtnResume->setFont(font);
    BtnResume->hide();
    connect(BtnResume, &QPushButton::clicked, this, &LessonKeeper::Resume);

    window_.installEventFilter(this);
    window_.TabSheetLogo->installEventFilter(this);
    connect(window_.PageControlClass, &QTabWidget::currentChanged, this, &LessonKeeper::UpdateInhibition);

    // After the pick's own handler has run (queued), so the place read is the one it made.
    const auto remember = [this] {
        QMetaObject::invokeMethod(this, &LessonKeeper::RememberPlace, Qt::QueuedConnection);
    };
    connect(window_.cbbooks, &QComboBox::activated, this, remember);
    connect(window_.CBUnitClassUse, &QComboBox::activated, this, remember);
    for (const auto& [kind, button] : Resources())
        connect(button, &QRadioButton::toggled, this, [remember](bool checked) {
            if (checked) remember();
        });
    connect(window_.TextBookSheet->LVTextBook, &QListWidget::currentRowChanged, this, remember);

    const std::pair<QKeyCombination, int> moves[] = {{Qt::CTRL | Qt::SHIFT | Qt::Key_Right, 1},
                                                     {Qt::CTRL | Qt::SHIFT | Qt::Key_Left, -1}};
    for (const auto& [keys, step] : moves) {
        auto* shortcut = new QShortcut(QKeySequence(keys), &window_);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { MoveToNeighbourScreen(step); });
    }
}

LessonKeeper::~LessonKeeper() {
    desktop_.inhibitor->UnInhibit();
}

QRect LessonKeeper::StartWorkArea(const QRect& single) const {
    const QList<ScreenInfo> screens = desktop_.screens->screens();
    if (screens.size() <= 1) return single;
    return screens.at(ChooseScreen(screens, desktop_.store.LoadScreen(), desktop_.screens->primary()))
        .workArea;
}

QList<std::pair<QString, QRadioButton*>> LessonKeeper::Resources() const {
    const TFmMain& w = window_;
    return {{"textbook", w.RBtnTextbook},
            {"homework", w.RBtnHomeworkClassUse},
            {"testpaper", w.RBtnTestPaperClassUse},
            {"questionbank", w.RBTNQuestionBank},
            {"phonics", w.RBtnPhonics},
            {"dialogue", w.RBtnDialogueClassUse},
            {"word", w.RBtnWordClassUse},
            {"passage", w.RbtnPassageClassUse},
            {"scene", w.RbtnSceneClassUse},
            {"minilecture", w.RBtnMiniLectureClassUse}};
}

QString LessonKeeper::resumeCaption(const LessonPlace& place) {
    return QStringLiteral("继续上次课程：%1 · %2 · %3").arg(place.bookName, place.unitName, place.pageName);
}

void LessonKeeper::OfferResume(const QByteArray& account) {
    account_ = account;
    signedIn_ = true;
    offered_.reset();
    BtnResume->hide();
    const std::optional<LessonPlace> place = desktop_.store.LoadPlace(account);
    if (!place) return;
    // A list that did not load says nothing about the place; one that loaded without it does.
    if (bookIndex(window_.cbbooks, place->bookId) < 0) {
        if (window_.cbbooks->count() > 0) desktop_.store.ForgetPlace(account);
        return;
    }
    bool unitListed = false;
    for (std::size_t i = 0; i < window_.Catalogue.UnitList.Count() && !unitListed; ++i) {
        const TUnitObj* unit = window_.Catalogue.UnitList.Items(i);
        unitListed = text(unit->bookid) == place->bookId && text(unit->unitcode) == place->unitCode &&
                     unit->IsValid == "1";
    }
    if (!unitListed) {
        if (!window_.Catalogue.UnitList.IsEmpty()) desktop_.store.ForgetPlace(account);
        return;
    }
    offered_ = place;
    BtnResume->setText(resumeCaption(*place));
    BtnResume->adjustSize();
    PlaceResumeButton();
    BtnResume->show();
}

void LessonKeeper::Resume() {
    if (!offered_) return;
    const LessonPlace place = *offered_;
    offered_.reset();
    BtnResume->hide();

    // Each step is what the teacher's pick would raise, so every handler runs as it would then.
    QComboBox* books = window_.cbbooks;
    const int book = bookIndex(books, place.bookId);
    if (book < 0) return;
    books->setCurrentIndex(book);
    emit books->activated(book);

    QComboBox* units = window_.CBUnitClassUse;
    int unit = -1;
    for (int i = 0; i < units->count() && unit < 0; ++i) {
        const auto* record = units->itemData(i).value<const TUnitObj*>();
        if (record != nullptr && text(record->unitcode) == place.unitCode) unit = i;
    }
    if (unit < 0) return;
    units->setCurrentIndex(unit);
    emit units->activated(unit);

    for (const auto& [kind, button] : Resources()) {
        // A click on a disabled or already checked button changes nothing, as the teacher's would.
        if (kind == place.resource) button->click();
    }

    if (place.pageId.isEmpty()) return;
    QListWidget* pages = window_.TextBookSheet->LVTextBook;
    for (int i = 0; i < pages->count(); ++i) {
        const TPageObj* page = TextBookPage::PageOf(pages->item(i));
        if (page == nullptr || text(page->pageid) != place.pageId) continue;
        // The unit's own page is on show already; the teacher would not have clicked it again.
        if (pages->currentRow() == i) return;
        pages->setCurrentRow(i);
        window_.LVTextBookClick();
        return;
    }
}

void LessonKeeper::RememberPlace() {
    if (!signedIn_) return;
    const TBookObj* book = ComboBook(window_.cbbooks, window_.cbbooks->currentIndex());
    const TUnitObj* unit = window_.ChosenUnit();
    // Without a unit there is nothing to return to; the place kept from before stays.
    if (book == nullptr || unit == nullptr) return;
    LessonPlace place{text(book->bookid),
                      text(unit->unitcode),
                      {},
                      {},
                      window_.cbbooks->currentText(),
                      window_.CBUnitClassUse->currentText(),
                      {}};
    for (const auto& [kind, button] : Resources()) {
        if (!button->isChecked()) continue;
        place.resource = kind;
        place.pageName = button->text();
    }
    if (place.resource == QLatin1String("textbook")) {
        const TPageObj* page = TextBookPage::PageOf(window_.TextBookSheet->LVTextBook->currentItem());
        if (page != nullptr) {
            place.pageId = text(page->pageid);
            place.pageName = text(page->pagename);
        }
    }
    desktop_.store.SavePlace(account_, place);
}

void LessonKeeper::RememberScreen() {
    const QList<ScreenInfo> screens = desktop_.screens->screens();
    if (screens.size() <= 1) return;
    const int at = ScreenAt(screens, window_.frameGeometry().center());
    desktop_.store.SaveScreen({screens.at(at).name, screens.at(at).geometry});
}

void LessonKeeper::MoveToNeighbourScreen(int step) {
    const QList<ScreenInfo> screens = desktop_.screens->screens();
    if (screens.size() <= 1) return;
    const int to = NeighbourScreen(screens, ScreenAt(screens, window_.frameGeometry().center()), step);
    placeOnWorkArea_(screens.at(to).workArea);
    desktop_.store.SaveScreen({screens.at(to).name, screens.at(to).geometry});
}

void LessonKeeper::UpdateInhibition() {
    const bool teaching = window_.isVisible() && !window_.isMinimized() &&
                          window_.PageControlClass->currentWidget() != window_.TabSheetLogo;
    if (teaching)
        desktop_.inhibitor->Inhibit(inhibitReason());
    else
        desktop_.inhibitor->UnInhibit();
}

void LessonKeeper::PlaceResumeButton() {
    const QWidget* sheet = window_.TabSheetLogo;
    const QSize logo = LogoArtwork::size();
    const int logoTop = std::max((sheet->height() - logo.height()) / 2, 0);
    const int top = std::min(logoTop + logo.height() + kResumeGap, sheet->height() - BtnResume->height());
    BtnResume->move(std::max((sheet->width() - BtnResume->width()) / 2, 0), std::max(top, 0));
}

bool LessonKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.TabSheetLogo) {
        if (event->type() == QEvent::Resize) PlaceResumeButton();
    } else if (watched == &window_) {
        switch (event->type()) {
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange:
                UpdateInhibition();
                break;
            case QEvent::Close:
                RememberPlace();
                RememberScreen();
                desktop_.inhibitor->UnInhibit();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}
