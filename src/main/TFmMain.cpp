#include "TFmMain.h"

#include <sys/utsname.h>
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>
#include <exception>
#include <utility>

#include "ColourKeyShape.h"
#include "LessonKeeper.h"
#include "LogoArtwork.h"
#include "OfflineBar.h"
#include "PreparationController.h"
#include "Presenter.h"
#include "ResourceBar.h"
#include "cache/CacheCleaner.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/BookFiles.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/FillBookCombo.h"
#include "catalogue/ImageLoader.h"
#include "catalogue/ThumbnailStore.h"
#include "look/Look.h"
#include "media/DialoguePage.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/InkController.h"
#include "pages/TextBookPage.h"
#include "platform/TerminationRequests.h"
#include "platform/WindowRegistry.h"
#include "questions/HomeworkPage.h"
#include "questions/QuestionBankPage.h"
#include "questions/TestPaperPage.h"
#include "service/Endpoints.h"
#include "service/HttpClient.h"
#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "service/TstudyDM.h"

namespace {

constexpr int kTopBarHeight = 56;

QWidget* sheet(QTabWidget* pages, const char* name, const QString& caption) {
    auto* page = new QWidget(pages);
    page->setObjectName(QLatin1String(name));
    pages->addTab(page, caption);
    return page;
}

}  // namespace

TFmMain::TFmMain(TstudyDM& dm, QWidget* parent) : TFmMain(dm, LessonDesktop::system(), parent) {}

TFmMain::TFmMain(TstudyDM& dm, LessonDesktop desktop, QWidget* parent) : QWidget(parent), dm_(dm) {
    registry_ = new WindowRegistry(windowClassName(), this);
    setObjectName(QStringLiteral("FmMain"));
    setFont(pixelFont(11, Weight::Normal));
    // The window's background is the button face, which is also its transparency key.
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateTopBar();
    CreatePageControl();
    CreatePreparation();
    layout->addWidget(Panel3);
    layout->addWidget(PageControlClass, 1);
    LessonWindow lessonWindow{
        .window = this,
        .pages = PageControlClass,
        .logoSheet = TabSheetLogo,
        .books = cbbooks,
        .units = CBUnitClassUse,
        .resources = resources_,
        .pageThumbnails = TabTextBook->LVTextBook,
        .unitList = &Catalogue.UnitList,
        .chosenUnit = [this] { return ChosenUnit(); },
        .showSelectedPage = [this] { TabTextBook->LVTextBookClick(); },
    };
    lesson_ = std::make_unique<LessonKeeper>(std::move(lessonWindow), std::move(desktop),
                                             [this](const QRect& area) {
                                                 // Until a window manager has decorated the window its frame
                                                 // is the window itself.
                                                 setGeometry(area);
                                                 workArea_ = area;
                                                 FitFrameToWorkArea();
                                             });

    FormCreate();
    ConnectNavigation();
    ConnectCatalogue();
    // Ended by a new start's single-instance rule (or the session): the place is kept, but the
    // close handling, the cache clean-up included, does not run.
    connect(&TerminationRequests::instance(), &TerminationRequests::requested, this, [this] {
        lesson_->RememberPlace();
        cache_->CancelTransfers();
        QCoreApplication::exit(0);
    });
    CreatePresenter();
    show();
}

TFmMain::~TFmMain() {
    // The presenter console reads the textbook sheet: it goes while the sheet is whole.
    delete Presenting;
}

QString TFmMain::windowClassName() {
    return QStringLiteral("QO-RO Classroom");
}

QString TFmMain::applicationTitle() {
    return QStringLiteral("Lumovia Class——Lumo课堂");
}

void TFmMain::CreateTopBar() {
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kTopBarHeight);
    Panel3->installEventFilter(this);

    PanelClass = place<QWidget>(Panel3, "PanelClass", 0, 2, 969, 51);
    PanelClass->hide();
    PanelClass->setFont(pixelFont(15, Weight::Bold));
    paintText(PanelClass, navy());

    Label113 = place<QLabel>(PanelClass, "Label113", 9, 6, 39, 16);
    Label113->setText(QStringLiteral("课本"));
    Label114 = place<QLabel>(PanelClass, "Label114", 9, 29, 40, 17);
    Label114->setText(QStringLiteral("单元"));

    // The combo boxes keep the window text colour: set the roles explicitly, or they would
    // inherit the panel's navy.
    const QPalette system = QApplication::palette();
    QPalette plain = PanelClass->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        plain.setColor(role, system.color(role));
    cbbooks = place<QComboBox>(PanelClass, "cbbooks", 50, 0, 292, 24);
    CBUnitClassUse = place<QComboBox>(PanelClass, "CBUnitClassUse", 50, 25, 293, 24);
    // The labels name their drop-downs for a screen reader.
    Label113->setBuddy(cbbooks);
    Label114->setBuddy(CBUnitClassUse);
    for (QComboBox* combo : {cbbooks, CBUnitClassUse}) {
        combo->setEditable(false);
        combo->setFont(pixelFont(13, Weight::Bold));
        combo->setPalette(plain);
    }

    resources_ = new ResourceBar(PanelClass);

    CheckBoxDeleteFile = new QCheckBox(QStringLiteral("退出时删除缓存"), PanelClass);
    CheckBoxDeleteFile->setObjectName(QStringLiteral("CheckBoxDeleteFile"));
    CheckBoxDeleteFile->setGeometry(692, 32, 130, 17);
    CheckBoxDeleteFile->setFont(pixelFont(12, Weight::Bold));
    CheckBoxDeleteFile->setChecked(false);

    const HttpClient probeClient(dm_.config().httpClient().tls(), HttpTimeouts{3, 3, 5});
    const std::string endpoint = dm_.config().classroomEndpoint().toStdString();
    offline_ = new OfflineBar(PanelClass, 860, 27, dm_.HTTPRIOLmvInClass_, [probeClient, endpoint] {
        // Any answer at all, even an error status, means the service can be reached again.
        try {
            probeClient.get(endpoint);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    });
}

void TFmMain::StartOffline() {
    offline_->EnterOffline();
}

bool TFmMain::offline() const {
    return offline_->offline();
}

void TFmMain::CreatePageControl() {
    PageControlClass = new QTabWidget(this);
    PageControlClass->setObjectName(QStringLiteral("PageControlClass"));
    PageControlClass->setAccessibleName(QStringLiteral("课堂资源"));
    CreateMediaSheets();
    PageControlClass->addTab(TabMiniLecture, QStringLiteral("微课"));
    PageControlClass->addTab(TabPassage, QStringLiteral("课文"));
    PageControlClass->addTab(TabDialogue, QStringLiteral("句型"));
    PageControlClass->addTab(TabScene, QStringLiteral("场景"));
    PageControlClass->addTab(TabSyllabusWord, QStringLiteral("单词"));
    CreateTextBookSheet();
    PageControlClass->addTab(TabTextBook, QStringLiteral("教材"));
    CreateQuestionSheets();
    PageControlClass->addTab(TabQuestionBank, QStringLiteral("题库"));
    TabSheet29 = sheet(PageControlClass, "TabSheet29", QStringLiteral("汉化"));
    PageControlClass->addTab(TabHomework, QStringLiteral("作业"));
    PageControlClass->addTab(TabTestPaper, QStringLiteral("试卷"));
    TabSheetLogo = sheet(PageControlClass, "TabSheetLogo", QString());
    PageControlClass->addTab(TabPhonics, QStringLiteral("自然拼读"));

    imgLogo = new QLabel(TabSheetLogo);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setPixmap(LogoArtwork::render(devicePixelRatioF()));
    imgLogo->setFixedSize(LogoArtwork::size());
    TabSheetLogo->installEventFilter(this);
}

void TFmMain::CreateMediaSheets() {
    // Called at the moment of use: the cache folder and the version are known only after the
    // sheets exist.
    MediaSheetEnvironment environment;
    environment.fetchPicture = [this](const GbkString& address) {
        const std::string local = MediaPicturePath(TempPath, address);
        return FetchPicture(Pictures(), address, local, [](const std::string& path) {
            int width = 0, height = 0;
            return LoadImageFile(path, width, height);
        });
    };
    environment.osMajorVersion = [this] { return OsMajorVersion; };
    environment.classroomHost = dm_.config().classroomHost;
    environment.http = dm_.config().httpClient();
    environment.showPage = [this](QWidget* page) { PageControlClass->setCurrentWidget(page); };
    environment.offline = [this] { return offline(); };

    // The word sheet comes first: the passage sheet blanks its player.
    using Resource = ResourceBar::Resource;
    TabSyllabusWord = new SyllabusWordPage(Catalogue.WordList, Thumbnails.WordImageList,
                                           resources_->button(Resource::Word), environment, PageControlClass);
    TabMiniLecture =
        new MiniLecturePage(Catalogue.MiniLectureList, Thumbnails.MiniLectureImageList,
                            resources_->button(Resource::MiniLecture), environment, PageControlClass);
    TabPassage = new PassagePage(Catalogue.PassageList, Thumbnails.PassageImageList,
                                 resources_->button(Resource::Passage), *TabSyllabusWord->WebWord,
                                 environment, PageControlClass);
    TabDialogue = new DialoguePage(PageControlClass);
    TabScene = new ScenePage(Catalogue.SceneList, Thumbnails.SceneImageList,
                             resources_->button(Resource::Scene), environment, PageControlClass);
    TabPhonics =
        new PhonicsPage(Catalogue.MediaClipList, Thumbnails.ClipImageList, environment, PageControlClass);
}

void TFmMain::CreateTextBookSheet() {
    // The cache folder is read at each use: it is known only after the sheets exist.
    preparedThumbnails_ = std::make_shared<ThumbnailStore>();
    TabTextBook = new TextBookPage(
        TextBookPage::Context{
            .service = *dm_.HTTPRIOLmvInClass_.GetlmvInclassSoap(),
            .contentHost = gbk::fromQString(dm_.config().contentHost),
            .cacheFolder = TempPath,
            .pageList = Catalogue.PageList,
            .pageThumbList = Thumbnails.PageThumbList,
            .pictures = Pictures(),
            .thumbnails = preparedThumbnails_,
        },
        PageControlClass);
}

void TFmMain::CreateQuestionSheets() {
    // The sheets read Member.UserId and the chosen unit when they use them, so they always send
    // the current ones.
    const ClientConfig& config = dm_.config();
    TabQuestionBank = new QuestionBankPage(
        *dm_.HTTPRIOLmvInClass_.GetlmvInclassSoap(), config, Member, Catalogue.TestPaperList,
        [this] { return ChosenUnit(); }, {}, PageControlClass);
    TabHomework = new HomeworkPage(config, Member, {}, PageControlClass);
    TabTestPaper = new TestPaperPage(config, Member, {}, PageControlClass);
}

void TFmMain::FormCreate() {
    ReadOsMajorVersion();
    SubjectId = "3";
    LoadBookList();
    ShowLogoSheet();
    SetTitle();
    SizeToWorkArea();
    SetTempPath();
    ApplyColourKey();
    PanelClass->show();
}

void TFmMain::ReadOsMajorVersion() {
    OsMajorVersion = SystemMajorVersion();
}

void TFmMain::LoadBookList() {
    // A failure here must not leave the window half made: it is reported as the default
    // handler would and the window goes on with an empty book list.
    try {
        const GbkString reply = dm_.HTTPRIOLmvInClass_.GetlmvInclassSoap()->LmvInclass_GetBookList(SubjectId);
        cbbooks->clear();
        FillBookCombo(reply, cbbooks, "0");
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
    cbbooks->setCurrentIndex(-1);
}

void TFmMain::ShowLogoSheet() {
    PageControlClass->tabBar()->hide();
    PageControlClass->setCurrentWidget(TabSheetLogo);
}

void TFmMain::SetTitle() {
    QString title = applicationTitle();
    const QString endpoint = QString::fromStdString(dm_.HTTPRIOLmvInClass_.URL());
    if (endpoint.contains(QStringLiteral("8050"))) title += QStringLiteral("(Debug版：") + endpoint + u')';
    QGuiApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
}

void TFmMain::SizeToWorkArea() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    workArea_ = lesson_->StartWorkArea(screen->availableGeometry());
    setGeometry(workArea_);
}

void TFmMain::FitFrameToWorkArea() {
    // The whole window, frame included, covers the work area. The frame is known only once a
    // window manager has decorated the mapped window, which comes after the first show; until
    // then the fit waits, and it is done once: a window the teacher moved, put full screen or
    // took to another screen is never put back.
    if (workArea_.isEmpty()) return;
    const QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) return;
    const QRect workArea = std::exchange(workArea_, QRect());
    move(workArea.topLeft());
    resize(workArea.size() - frame);
}

void TFmMain::OfferResume(const GbkString& account) {
    lesson_->OfferResume(QByteArray::fromStdString(account.bytes()));
    TabTextBook->Ink->store().attach(QByteArray::fromStdString(account.bytes()));
}

void TFmMain::SetTempPath() {
    TempPath = CacheFolder::temporaryPath();
    catalogue_ = std::make_unique<CatalogueLoader>(dm_.HTTPRIOLmvInClass_, TempPath, [this] {
        // A book change handled here rewrites the transit file and supersedes the one waiting.
        const unsigned picks = bookPicks_;
        QCoreApplication::processEvents();
        return picks == bookPicks_;
    });
    cache_ = std::make_unique<RemoteFileCache>(
        TempPath, [this](const QString& text) { TabTextBook->StatusBar1Panel0->setText(text); },
        [] { QCoreApplication::processEvents(); }, dm_.config().httpClient());
    cache_->setOffline([this] { return offline(); });
    cache_->runTransfersInBackground([this](const QString& text) {
        if (TabTextBook->StatusBar1Panel1->text() != text) TabTextBook->StatusBar1Panel1->setText(text);
    });
    cache_->enablePool(dm_.config().parallelDownloads);
}

bool TFmMain::CacheRemoteFile(const GbkString& address, const std::string& localPath) {
    return cache_->CacheRemoteFile(address, localPath);
}

PictureSource TFmMain::Pictures() {
    // The cache is made after the sheets: it is looked up at each use.
    return PictureSource{
        [this](const GbkString& address, const std::string& path) { return CacheRemoteFile(address, path); },
        [this](const GbkString& address, const std::string& path) { return cache_->Refetch(address, path); }};
}

void TFmMain::LoadBookWords(const GbkString& syllabusId, const GbkString& bookId) {
    catalogue_->LoadBookWords(Member.UserId, syllabusId, bookId, Catalogue.WordList);
}

void TFmMain::LoadBookScenes(const GbkString& syllabusId, const GbkString& bookId) {
    catalogue_->LoadBookScenes(Member.UserId, syllabusId, bookId, Catalogue.SceneList);
}

void TFmMain::LoadBookPassages(const GbkString& syllabusId, const GbkString& bookId) {
    catalogue_->LoadBookPassages(Member.UserId, syllabusId, bookId, Catalogue.PassageList);
}

void TFmMain::LoadBookMiniLectures(const GbkString& syllabusId, const GbkString& bookId) {
    catalogue_->LoadBookMiniLectures(Member.UserId, syllabusId, bookId, Catalogue.MiniLectureList);
}

void TFmMain::LoadUnitList() {
    catalogue_->LoadUnitList(Member.UserId, Catalogue.UnitList);
}

void TFmMain::LoadHomeworkList() {
    catalogue_->LoadHomeworkList(Member.UserId, Catalogue.HomeworkList);
}

void TFmMain::LoadClipList() {
    catalogue_->LoadClipList(Member.UserId, Catalogue.MediaClipList);
}

bool TFmMain::LoadTeacherSetting() {
    GbkString reply;
    try {
        reply = dm_.HTTPRIOLmvInClass_.GetlmvInclassSoap()->LmvInclass_GetTeacherSetting(Member.UserId);
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("未能获取老师教授科目信息！"));
        return true;
    }
    // The setting comes without a declaration although its values are GBK.
    const TReplyDataset setting = ParseReplyDataset(reply, DeclarationRule::AlwaysPrefix);
    const TReplyRow row = setting.firstRow();
    if (row.isNull()) ShowMessage(QStringLiteral("未配置老师的学科信息, 退出程序."));
    // A missing row reads as empty values, which is what the member keeps then.
    Member.UserId = row.value("userid");
    Member.Passwd = row.value("passwd");
    return !row.isNull();
}

void TFmMain::ApplyColourKey() {
    if (ColourKeyShape::Supported()) {
        shape_ = std::make_unique<ColourKeyShape>(*this, [this] { return HolesAllowed(); });
        // The sheets are classes of their own that only hold the controls of their views.
        for (int i = 0; i < PageControlClass->count(); ++i) shape_->AddPanel(PageControlClass->widget(i));
        return;
    }
    // Without X11 (Wayland) only the look can be had: a compositor shows the desktop through
    // the background, and the window still takes every click. Without a compositor a
    // see-through background would show garbage; the window stays opaque.
    if (!WindowSystemComposites()) return;
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void TFmMain::LoadSyllabusSubjects() {
    const std::string url = Endpoints::syllabusSubjects(dm_.WebServiceHost, Member.SyllabusId);
    const GbkString document(dm_.config().httpClient().getBody(url));
    // Parsing is the check; the document is released at once.
    ParseReplyDataset(document, DeclarationRule::Plain);
}

void TFmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitFrameToWorkArea();
    // Restoring a minimised window is a spontaneous show: the teacher's strips stay as they were.
    if (!event->spontaneous()) FormShow();
}

bool TFmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) workArea_ = QRect();
    return QWidget::event(event);
}

bool TFmMain::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    // An X window manager decorates the window by reparenting it into its frame and announces
    // the frame's size in a property; neither reaches the widget as an event of its own. Qt
    // takes note of them after this filter, so the fit is tried once the event is handled.
    if (!workArea_.isEmpty() && eventType == "xcb_generic_event_t") {
        const auto type = static_cast<xcb_generic_event_t*>(message)->response_type & ~0x80;
        if (type == XCB_REPARENT_NOTIFY || type == XCB_PROPERTY_NOTIFY || type == XCB_CONFIGURE_NOTIFY)
            QMetaObject::invokeMethod(this, &TFmMain::FitFrameToWorkArea, Qt::QueuedConnection);
    }
    return QWidget::nativeEvent(eventType, message, result);
}

void TFmMain::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

bool TFmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == Panel3)
            Panel3Resize();
        else if (watched == TabSheetLogo)
            TabSheetLogoResize();
    }
    return QWidget::eventFilter(watched, event);
}

void TFmMain::FormShow() {
    TabTextBook->CollapseNeighbourPanes();
}

void TFmMain::FormClose() {
    // A handler still waiting for a picture gives up at once; the program is ending.
    cache_->CancelTransfers();
    if (CheckBoxDeleteFile->isChecked()) DeleteCacheOnExit();
    QApplication::quit();
}

void TFmMain::DeleteCacheOnExit() {
    // Looks the private cache folder up again rather than trusting TempPath, so the clean-up
    // can never reach another folder.
    CacheCleaner::RunExitCleanup(CacheCleaner::OnExit::DeleteFiles);
    ReplyStore().RemoveAll();
}

void TFmMain::Panel3Resize() {
    PanelClass->move((Panel3->width() - PanelClass->width()) / 2, PanelClass->y());
}

void TFmMain::TabSheetLogoResize() {
    const int left = (TabSheetLogo->width() - imgLogo->width()) / 2;
    const int top = (TabSheetLogo->height() - imgLogo->height()) / 2;
    imgLogo->move(std::max(left, 0), std::max(top, 0));
}

int TFmMain::SystemMajorVersion() {
    utsname name{};
    if (uname(&name) != 0) return 5;
    char* end = nullptr;
    const long major = std::strtol(name.release, &end, 10);
    if (end == name.release || major <= 0 || major > 1000) return 5;
    return static_cast<int>(major);
}

bool TFmMain::WindowSystemComposites() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QStringLiteral("wayland"))) return true;
    if (platform != QStringLiteral("xcb")) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const QByteArray atomName = "_NET_WM_CM_S0";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<uint16_t>(atomName.size()), atomName.constData()),
        nullptr);
    if (atom == nullptr) return false;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool composited = owner != nullptr && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return composited;
}

void TFmMain::CreatePreparation() {
    // The button sits in the free area right of the resource buttons.
    preparation_ = std::make_unique<PreparationController>(
        PreparationController::Context{
            .catalogue = Catalogue,
            .cacheFolder = TempPath,
            .pool = [this] { return cache_ ? cache_->pool() : nullptr; },
            .loadClips =
                [this](TObjectList<TMediaClipObj>& clips) {
                    if (catalogue_) catalogue_->LoadClipList(Member.UserId, clips);
                },
            .thumbnails = preparedThumbnails_,
            .prefetch = dm_.config().prefetch,
            .offline = [this] { return offline(); },
        },
        // Over the offline controls, which take the lower row.
        PanelClass, QPoint(860, 0), this);
}
