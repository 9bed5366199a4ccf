#pragma once

#include <QImage>
#include <QListWidget>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "MediaSheetEnvironment.h"
#include "catalogue/ItemRecord.h"
#include "catalogue/TObjectList.h"
#include "look/SelectedItem.h"
#include "service/GbkText.h"

class ImageList;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class WebBrowser;

// The common frame of the media sheets: a thumbnail list on the left, a player under a header
// on the right. It builds the controls, fills the list from a catalogue, asks the media API for
// a clicked material's reference and sends the player there; each sheet states its own rules.
//
// List items carry a plain pointer to their catalogue record; the window owns the records and
// must empty the list (ClearList) before it reloads that catalogue. A refresh that processes
// events while it fetches pictures is never re-entered: a second request waits until the
// running one has stopped, and the running one stops at its next step when it is superseded
// or its list is emptied, so it never reaches a record that was discarded meanwhile.
class MediaSheet : public QWidget {
    Q_OBJECT

public:
    // How a sheet's list is built: anew on each refresh, or (the word list) only while it is
    // empty. A list built once drops a request made while its build runs, and emptying it
    // leaves its pictures until the next build replaces them.
    enum class ListBuild { EachRefresh, OnceUntilEmptied };

    // `images` and `button` (null for a sheet without one) belong to the window and must outlive
    // the sheet; a refresh that reaches its end enables the button exactly when the list has items.
    MediaSheet(const char* objectName, ImageList& images, QRadioButton* button, ListBuild build,
               MediaSheetEnvironment environment, QWidget* parent);

    // The message of a failed or empty media API reply for scenes, mini lectures and clips.
    static QString NetworkFailedFullWidthComma();
    // ... and for words and passages.
    static QString NetworkFailedAsciiComma();

    // Empties the list, e.g. before its catalogue is reloaded, and stops a running refresh at
    // its next step.
    void ClearList();

protected:
    enum class TextColour { Inherited, Navy };
    struct ListPanelOptions {
        const char* panel;
        int width;
        const char* label;
        QString title;
        const char* list;
        TextColour text = TextColour::Inherited;
    };

    // The player's subtitles box and full-screen button: none (a 20 px label heads the player),
    // or in a 41 px header, hidden until something plays and then shown, or never shown.
    enum class PlayerControls { None, ShownWhenPlaying, NeverShown };
    enum class Subtitles { Off, On };
    // A list beside a 10 px splitter, or of fixed width.
    enum class Divider { Fixed, Splitter };
    struct PlayerOptions {
        const char* area;
        const char* header;
        QString caption;
        const char* browser;
        Divider divider;
        PlayerControls controls = PlayerControls::None;
        const char* subtitlesBox = nullptr;
        Subtitles subtitles = Subtitles::Off;
        const char* fullScreenButton = nullptr;
        int fullScreenTop = 0;
    };
    // The controls of the player area.
    struct Player {
        QWidget* area = nullptr;
        QLabel* header = nullptr;
        QCheckBox* subtitles = nullptr;
        QPushButton* fullScreen = nullptr;
        WebBrowser* browser = nullptr;
    };

    // What a cover that cannot be fetched does: end the list there, or show ImgNoPic.
    enum class MissingCover { EndsList, ShowsNoPicture };
    // Items appear with their picture, or (visibly) as soon as they are listed, each one laid
    // out and painted before the next picture is fetched.
    enum class Growth { WithPicture, Visibly };
    // A refresh that raises either passes the error on or shows its text and keeps the items
    // made so far, so that a unit change goes on with its remaining steps.
    enum class Errors { Raise, Show };

    // How a sheet lists its catalogue.
    template <class Record>
    struct Listing {
        const TObjectList<Record>& records;
        QSize imageSize;
        const GbkString Record::*caption;
        // The record's unit code; null lists every record.
        const GbkString Record::*unit = nullptr;
        // The address of the record's cover (a field or a function), stretched with the halftone.
        // Without one every item shows `picture`, stretched plainly.
        std::function<GbkString(const Record&)> cover = {};
        QImage picture = {};
        MissingCover missing = MissingCover::EndsList;
        Growth growth = Growth::WithPicture;
        Errors errors = Errors::Raise;
    };

    // When the player is sent to its address: before the sheet is shown, right after, or once
    // the events were processed (the sheet then shown and painted).
    enum class Navigation { BeforeShowingPage, AfterShowingPage, AfterEvents };
    struct MediaRequest {
        // The media API GET: scheme + "://" + classroom host + path + the material's id.
        const char* scheme;
        const char* path;
        // Shown (after HttpGetText's own box for a failed request) when the reply is empty.
        QString replyEmptyMessage;
        // The player page's query up to the width, and the control whose width it gets.
        QString query;
        QWidget* widthOf;
        Navigation navigation = Navigation::BeforeShowingPage;
        // When not empty, shown instead of asking for a material without an id.
        QString missingIdMessage = {};
        // Runs once the page is shown, before the events are processed.
        std::function<void()> whenShown = {};
    };

    // The list panel: a title label over an icon view, which becomes the sheet's list.
    QListWidget* CreateListPanel(const ListPanelOptions& options);
    // The player area, put right of the list panel (created first).
    const Player& CreatePlayer(const PlayerOptions& options);

    // Lists the records under the re-entry rule above; with a unit field, those of `unitCode`.
    template <class Record>
    void RefreshList(const GbkString& unitCode, const Listing<Record>& listing) {
        RunRefresh(unitCode, listing.errors, [&](const GbkString& code) { ListRecords(listing, code); });
    }

    template <class Record>
    const Record* SelectedRecord() const {
        return recordOf<Record>(firstSelected(list_));
    }
    // The tail of a click: asks for the material's reference and, when one comes, sends the
    // player there and shows the sheet.
    void Play(const GbkString& materialId, const MediaRequest& request);

    void SubtitlesClick();
    void FullScreenClick();

private:
    template <class Record>
    void ListRecords(const Listing<Record>& listing, const GbkString& unitCode) {
        StartList(listing.imageSize);
        const TObjectList<Record>& records = listing.records;
        for (std::size_t i = 0; i < records.Count(); ++i) {
            const Record* record = records.Items(i);
            if (listing.unit != nullptr && record->*listing.unit != unitCode) continue;
            if (!listing.cover) {
                AddItem(record->*listing.caption, lentRecord(record), listing.picture, Stretch::Plain);
                continue;
            }
            QListWidgetItem* item = listing.growth == Growth::Visibly
                                        ? AddItem(record->*listing.caption, lentRecord(record))
                                        : nullptr;
            const FetchedPicture fetched = env_.fetchPicture(listing.cover(*record));
            // Fetching processes events: the catalogue may be gone or a newer request waiting.
            if (RefreshAbandoned()) return;
            if (!fetched.available && listing.missing == MissingCover::EndsList) return;
            const QImage picture = fetched.available ? fetched.picture : NoPicture();
            if (item == nullptr) {
                AddItem(record->*listing.caption, lentRecord(record), picture, Stretch::Halftone);
            } else {
                SetThumbnail(item, picture, Stretch::Halftone);
                if (!ShowGrowth()) return;
            }
        }
        UpdateButton();
    }

    enum class Stretch { Plain, Halftone };
    QListWidgetItem* AddItem(const GbkString& caption, const QVariant& record);
    void AddItem(const GbkString& caption, const QVariant& record, const QImage& picture, Stretch stretch);
    // Stretches `source` to the image list's size, appends it and shows it on the item; a null
    // source gives a blank white thumbnail.
    void SetThumbnail(QListWidgetItem* item, const QImage& source, Stretch stretch);
    static QImage NoPicture();
    // Lays the grown list out and paints it; false when the refresh was abandoned meanwhile.
    bool ShowGrowth();
    // Empties the image list (and the view, unless built once: it is empty) for a new build.
    void StartList(QSize imageSize);
    void SetIconSize(QSize imageSize);
    void UpdateButton();

    void RunRefresh(const GbkString& unitCode, Errors errors,
                    const std::function<void(const GbkString&)>& body);
    // True when the running refresh must stop: its list was emptied or a new request waits.
    bool RefreshAbandoned() const { return abandoned_; }

    // Offline, the player area says that it needs the network; true when it did.
    bool ShowNetworkNeeded();
    GbkString RequestReference(const MediaRequest& request, const GbkString& materialId) const;
    QString PlayerAddress(const MediaRequest& request, const GbkString& reply) const;

    MediaSheetEnvironment env_;
    ImageList& images_;
    QRadioButton* button_;
    const ListBuild build_;
    QListWidget* list_ = nullptr;
    PlayerControls controls_ = PlayerControls::None;
    Player player_;
    QLabel* networkNeeded_ = nullptr;  // made the first time it is needed
    bool refreshing_ = false;
    bool abandoned_ = false;
    std::optional<GbkString> pending_;
};
