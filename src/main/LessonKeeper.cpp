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
#include "ResourceBar.h"
#include "catalogue/FillBookCombo.h"
#include "pages/TextBookPage.h"
#include "service/GbkText.h"

namespace {

constexpr int kResumeGap = 16;  // between the logo and the button under it

QString text(const GbkString& gbk) {
    return gbk::toQString(gbk);
}

using Resource = ResourceBar::Resource;

// How the place store names each resource.
const std::pair<Resource, const char*> kResourceKeys[] = {
    {Resource::Textbook, "textbook"},   {Resource::Homework, "homework"},
    {Resource::TestPaper, "testpaper"}, {Resource::QuestionBank, "questionbank"},
    {Resource::Phonics, "phonics"},     {Resource::Dialogue, "dialogue"},
    {Resource::Word, "word"},           {Resource::Passage, "passage"},
    {Resource::Scene, "scene"},         {Resource::MiniLecture, "minilecture"}};

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

LessonKeeper::LessonKeeper(LessonWindow window, LessonDesktop desktop,
                           std::function<void(const QRect&)> placeOnWorkArea)
    : w_(std::move(window)), desktop_(std::move(desktop)), placeOnWorkArea_(std::move(placeOnWorkArea)) {
    BtnResume = new QPushButton(w_.logoSheet);
    BtnResume->setObjectName(QStringLiteral("BtnResume"));
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(15);
    font.setBold(true);
    BtnResume->setFont(font);
    BtnResume->hide();
    connect(BtnResume, &QPushButton::clicked, this, &LessonKeeper::Resume);

    w_.window->installEventFilter(this);
    w_.logoSheet->installEventFilter(this);
    connect(w_.pages, &QTabWidget::currentChanged, this, &LessonKeeper::UpdateInhibition);

    // After the pick's own handler has run (queued), so the place read is the one it made.
    const auto remember = [this] {
        QMetaObject::invokeMethod(this, &LessonKeeper::RememberPlace, Qt::QueuedConnection);
    };
    connect(w_.books, &QComboBox::activated, this, remember);
    connect(w_.units, &QComboBox::activated, this, remember);
    for (const auto& [resource, key] : kResourceKeys)
        connect(w_.resources->button(resource), &QRadioButton::toggled, this, [remember](bool checked) {
            if (checked) remember();
        });
    connect(w_.pageThumbnails, &QListWidget::currentRowChanged, this, remember);

    const std::pair<QKeyCombination, int> moves[] = {{Qt::CTRL | Qt::SHIFT | Qt::Key_Right, 1},
                                                     {Qt::CTRL | Qt::SHIFT | Qt::Key_Left, -1}};
    for (const auto& [keys, step] : moves) {
        auto* shortcut = new QShortcut(QKeySequence(keys), w_.window);
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
    if (bookIndex(w_.books, place->bookId) < 0) {
        if (w_.books->count() > 0) desktop_.store.ForgetPlace(account);
        return;
    }
    bool unitListed = false;
    for (std::size_t i = 0; i < w_.unitList->Count() && !unitListed; ++i) {
        const TUnitObj* unit = w_.unitList->Items(i);
        unitListed = text(unit->bookid) == place->bookId && text(unit->unitcode) == place->unitCode &&
                     unit->IsValid == "1";
    }
    if (!unitListed) {
        if (!w_.unitList->IsEmpty()) desktop_.store.ForgetPlace(account);
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
    QComboBox* books = w_.books;
    const int book = bookIndex(books, place.bookId);
    if (book < 0) return;
    books->setCurrentIndex(book);
    emit books->activated(book);

    QComboBox* units = w_.units;
    int unit = -1;
    for (int i = 0; i < units->count() && unit < 0; ++i) {
        const auto* record = units->itemData(i).value<const TUnitObj*>();
        if (record != nullptr && text(record->unitcode) == place.unitCode) unit = i;
    }
    if (unit < 0) return;
    units->setCurrentIndex(unit);
    emit units->activated(unit);

    for (const auto& [resource, key] : kResourceKeys) {
        // A click on a disabled or already checked button changes nothing, as the teacher's would.
        if (QLatin1String(key) == place.resource) w_.resources->button(resource)->click();
    }

    if (place.pageId.isEmpty()) return;
    QListWidget* pages = w_.pageThumbnails;
    for (int i = 0; i < pages->count(); ++i) {
        const TPageObj* page = TextBookPage::PageOf(pages->item(i));
        if (page == nullptr || text(page->pageid) != place.pageId) continue;
        // The unit's own page is on show already; the teacher would not have clicked it again.
        if (pages->currentRow() == i) return;
        pages->setCurrentRow(i);
        w_.showSelectedPage();
        return;
    }
}

void LessonKeeper::RememberPlace() {
    if (!signedIn_) return;
    const TBookObj* book = ComboBook(w_.books, w_.books->currentIndex());
    const TUnitObj* unit = w_.chosenUnit();
    // Without a unit there is nothing to return to; the place kept from before stays.
    if (book == nullptr || unit == nullptr) return;
    LessonPlace place{text(book->bookid),      text(unit->unitcode),    {}, {},
                      w_.books->currentText(), w_.units->currentText(), {}};
    for (const auto& [resource, key] : kResourceKeys) {
        const QRadioButton* button = w_.resources->button(resource);
        if (!button->isChecked()) continue;
        place.resource = QLatin1String(key);
        place.pageName = button->text();
    }
    if (place.resource == QLatin1String("textbook")) {
        const TPageObj* page = TextBookPage::PageOf(w_.pageThumbnails->currentItem());
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
    const int at = ScreenAt(screens, window().frameGeometry().center());
    desktop_.store.SaveScreen({screens.at(at).name, screens.at(at).geometry});
}

void LessonKeeper::MoveToNeighbourScreen(int step) {
    const QList<ScreenInfo> screens = desktop_.screens->screens();
    if (screens.size() <= 1) return;
    const int to = NeighbourScreen(screens, ScreenAt(screens, window().frameGeometry().center()), step);
    placeOnWorkArea_(screens.at(to).workArea);
    desktop_.store.SaveScreen({screens.at(to).name, screens.at(to).geometry});
}

void LessonKeeper::UpdateInhibition() {
    const bool teaching =
        window().isVisible() && !window().isMinimized() && w_.pages->currentWidget() != w_.logoSheet;
    if (teaching)
        desktop_.inhibitor->Inhibit(inhibitReason());
    else
        desktop_.inhibitor->UnInhibit();
}

void LessonKeeper::PlaceResumeButton() {
    const QWidget* sheet = w_.logoSheet;
    const QSize logo = LogoArtwork::size();
    const int logoTop = std::max((sheet->height() - logo.height()) / 2, 0);
    const int top = std::min(logoTop + logo.height() + kResumeGap, sheet->height() - BtnResume->height());
    BtnResume->move(std::max((sheet->width() - BtnResume->width()) / 2, 0), std::max(top, 0));
}

bool LessonKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == w_.logoSheet) {
        if (event->type() == QEvent::Resize) PlaceResumeButton();
    } else if (watched == &window()) {
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
