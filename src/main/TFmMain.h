#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "catalogue/CatalogueModel.h"
#include "catalogue/ImageList.h"
#include "catalogue/MemberInfoRec.h"
#include "catalogue/PictureFetch.h"
#include "service/GbkText.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTabWidget;
class CatalogueLoader;
class ColourKeyShape;
class Presenter;
class ResourceBar;
class DialoguePage;
class HomeworkPage;
class MiniLecturePage;
class PassagePage;
class PhonicsPage;
class QuestionBankPage;
class ScenePage;
class SyllabusWordPage;
class RemoteFileCache;
class TestPaperPage;
class TextBookPage;
class ThumbnailStore;
class TstudyDM;
class WindowRegistry;
class LessonKeeper;
class OfflineBar;
class PreparationController;
struct LessonDesktop;

// The single working window: the top bar with the class panel (book and unit combo boxes,
// resource-type buttons, the cache check box) over the page control whose twelve sheets hold
// the resource views. It is registered as "QO-RO Classroom" while it lives.
//
// Creation asks the service for the book list and fills cbbooks; a failing request or an
// unreadable reply is shown and creation carries on with an empty book list, and a row that
// cannot be read (a grade that is no number) is shown and keeps the books before it, so the
// window is always complete. The window owns its controls (as QObject children), the catalogue lists
// with their records and the thumbnail image lists; the data module is the entry's and must
// outlive the window. Closing the window ends the program.
class TFmMain : public QWidget {
    Q_OBJECT

public:
    explicit TFmMain(TstudyDM& dm, QWidget* parent = nullptr);
    // With the desktop facilities given rather than the system's (screensaver, screens, state).
    TFmMain(TstudyDM& dm, LessonDesktop desktop, QWidget* parent = nullptr);
    ~TFmMain() override;

    static QString windowClassName();
    static QString applicationTitle();

    // Fetches the member's syllabus subjects document from the "webservice" host and parses
    // it (an empty document shows "empty"); its content is not used. Raises HttpError or
    // XmlParseError. Only the direct sign-in calls it.
    void LoadSyllabusSubjects();

    // Makes the remote file available at `localPath` inside the cache folder, downloading it on
    // first use with its progress in the first status panel; false when it is not there after.
    bool CacheRemoteFile(const GbkString& address, const std::string& localPath);
    // "课前准备": its button, dialog and running preparation.
    PreparationController& Preparation() { return *preparation_; }

    // The per-book catalogues of a book change, in this order. Words raise their failure (the
    // book change stops); the other three show it and return. Views showing a list's records
    // must be cleared before its loader runs, since a reply with rows replaces the records.
    void LoadBookWords(const GbkString& syllabusId, const GbkString& bookId);
    void LoadBookScenes(const GbkString& syllabusId, const GbkString& bookId);
    void LoadBookPassages(const GbkString& syllabusId, const GbkString& bookId);
    void LoadBookMiniLectures(const GbkString& syllabusId, const GbkString& bookId);

    // The once-per-run catalogues of the session start, with Member.UserId; each loads only
    // while its list is empty and reports its own failure.
    void LoadUnitList();
    void LoadHomeworkList();
    void LoadClipList();

    // Reads the teacher setting of Member.UserId (the session start, for teachers) and puts its
    // "userid" and "passwd" into Member. A failing call shows "未能获取老师教授科目信息！" and
    // leaves Member as it was. A setting without a row shows "未配置老师的学科信息, 退出程序.",
    // empties both fields and returns false: the session must end. Raises XmlParseError when
    // the reply cannot be read.
    bool LoadTeacherSetting();

    // The top bar's navigation. The book change and the unit change run when the teacher picks
    // an entry; the resource switch runs whenever one of the ten radio buttons becomes checked,
    // by the teacher or by code (never when one is unchecked). A failing word catalogue ends the
    // book change by raising (the default handler shows it); the unit change shows its own
    // failure; the switch reports nothing but "请先选择课本！".
    void cbbooksChange();
    void CBUnitClassUseChange();
    void RBtnWordClassUseClick();
    // The unit behind the selected entry of CBUnitClassUse, or null.
    const TUnitObj* ChosenUnit() const;

    // After a sign-in of `account` (as typed): its place is remembered when the window closes,
    // and the logo sheet offers the way back to the place remembered last time.
    void OfferResume(const GbkString& account);

    // Goes on without the service, from the replies and pictures kept (the offline start).
    void StartOffline();
    bool offline() const;

    // Presenter keys, blank screen, presentation mode and the key help.
    Presenter* presenter() const { return Presenting; }
    GbkString subjectId() const { return SubjectId; }

    MemberInfoRec Member;
    int OsMajorVersion = 5;
    std::string TempPath;  // the cache folder, ending in "/"; empty when there is none

    // The catalogues and their records; every view showing records empties itself before its
    // list is replaced.
    CatalogueModel Catalogue;

    // The thumbnail pictures the sheets' lists show; the sheets fill them.
    struct ThumbnailLists {
        ImageList SceneImageList;
        ImageList PassageImageList;
        ImageList MiniLectureImageList;
        ImageList WordImageList;
        ImageList ClipImageList;
        ImageList PageThumbList;
    } Thumbnails;

protected:
    bool event(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateTopBar();
    void CreatePageControl();
    void CreateMediaSheets();
    void CreateTextBookSheet();
    void CreatePreparation();
    void CreateQuestionSheets();

    // Creation, in this order.
    void FormCreate();
    void ReadOsMajorVersion();
    void LoadBookList();
    void ShowLogoSheet();
    void SetTitle();
    void SizeToWorkArea();
    void FitFrameToWorkArea();
    void SetTempPath();
    void ApplyColourKey();
    // Whether the colour key may cut holes in the window now. Never while the window puts the
    // lesson before the class: presentation mode and the blank screen. Every such mode adds its
    // condition here and asks the shape for an update when it starts and ends.
    bool HolesAllowed() const;

    void FormShow();

    void ConnectNavigation();
    void ConnectCatalogue();
    PictureSource Pictures();
    void CreatePresenter();
    void LoadQuestionBank();
    void PausePlayersOutOfSight();
    void ShowSheet(QWidget* page);
    void FormClose();
    void DeleteCacheOnExit();
    void Panel3Resize();
    void TabSheetLogoResize();

    static int SystemMajorVersion();
    static bool WindowSystemComposites();

    TstudyDM& dm_;
    GbkString SubjectId;

    // Top bar. The ten resource buttons are the resource bar's.
    QWidget* Panel3 = nullptr;
    QWidget* PanelClass = nullptr;
    QLabel* Label113 = nullptr;
    QLabel* Label114 = nullptr;
    QComboBox* cbbooks = nullptr;
    QComboBox* CBUnitClassUse = nullptr;
    ResourceBar* resources_ = nullptr;
    QCheckBox* CheckBoxDeleteFile = nullptr;
    OfflineBar* offline_ = nullptr;

    // Page control and its sheets, in page order; the tab bar is hidden.
    QTabWidget* PageControlClass = nullptr;
    MiniLecturePage* TabMiniLecture = nullptr;
    PassagePage* TabPassage = nullptr;
    DialoguePage* TabDialogue = nullptr;
    ScenePage* TabScene = nullptr;
    SyllabusWordPage* TabSyllabusWord = nullptr;
    TextBookPage* TabTextBook = nullptr;
    QuestionBankPage* TabQuestionBank = nullptr;
    QWidget* TabSheet29 = nullptr;
    HomeworkPage* TabHomework = nullptr;
    TestPaperPage* TabTestPaper = nullptr;
    QWidget* TabSheetLogo = nullptr;
    PhonicsPage* TabPhonics = nullptr;
    QLabel* imgLogo = nullptr;

    Presenter* Presenting = nullptr;

    // Picks of the teacher, counted so that a handler which processed events can tell that a
    // later pick ran meanwhile and stop: every book and unit change, and book changes alone.
    unsigned picks_ = 0;
    unsigned bookPicks_ = 0;
    int bookChangesRunning_ = 0;
    WindowRegistry* registry_ = nullptr;
    std::unique_ptr<CatalogueLoader> catalogue_;  // made once TempPath is known
    std::unique_ptr<RemoteFileCache> cache_;
    // Page thumbnails made ahead by a lesson preparation; the textbook sheet takes them.
    std::shared_ptr<ThumbnailStore> preparedThumbnails_;
    // "课前准备": after the cache, so its preparation leaves the cache's pool before the pool goes.
    std::unique_ptr<PreparationController> preparation_;
    QRect
        workArea_;  // set at creation or by a move to another screen, emptied once the frame is fitted to it
    std::unique_ptr<ColourKeyShape> shape_;  // on X11 only
    // Last, so it goes first: it watches the window and its controls.
    std::unique_ptr<LessonKeeper> lesson_;
};
