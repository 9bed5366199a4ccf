#pragma once

#include <QImage>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <optional>

#include "MediaSheetEnvironment.h"
#include "service/GbkText.h"

class ImageList;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class WebBrowser;

// The common frame of the media sheets: a thumbnail list on the left, a player under a header
// on the right. It builds the controls, makes thumbnails, asks the media API for a material's
// reference and composes the player address; each sheet adds its list's rules and handlers.
//
// List items carry a plain pointer to their catalogue record; the window owns the records and
// must empty the list (ClearList) before it reloads that catalogue. A refresh that processes
// events while it fetches pictures is never re-entered: a second request waits until the
// running one has stopped, and the running one stops at its next step when it is superseded
// or its list is emptied, so it never reaches a record that was discarded meanwhile.
class MediaSheet : public QWidget {
    Q_OBJECT

public:
    MediaSheet(const char* objectName, MediaSheetEnvironment environment, QWidget* parent);

    // The message of a failed or empty media API reply for scenes, mini lectures and clips.
    static QString NetworkFailedFullWidthComma();
    // ... and for words and passages.
    static QString NetworkFailedAsciiComma();

protected:
    // The controls of one player area.
    struct Player {
        QWidget* area = nullptr;
        QLabel* header = nullptr;
        QCheckBox* subtitles = nullptr;
        QPushButton* fullScreen = nullptr;
        WebBrowser* browser = nullptr;
    };

    // The list panel: a title label over an icon view. Returns the view.
    QListWidget* CreateListPanel(const char* panelName, int width, const char* labelName,
                                 const QString& title, const char* listName, bool navyText);
    // The player area under a 41 px header with the subtitles box and full-screen button, or
    // (`withControls` false) under a 20 px label alone.
    Player CreatePlayer(const char* areaName, const char* headerName, const QString& caption,
                        bool withControls, const char* checkName, bool checked, const char* buttonName,
                        int buttonTop, const char* browserName);
    // Puts the list panel and the player side by side, with a 10 px splitter or none.
    void Arrange(QWidget* listPanel, QWidget* playerArea, bool splitter);

    // Adds an item with `caption` carrying `record`.
    static QListWidgetItem* AddItem(QListWidget* list, const GbkString& caption, const void* record);
    // Stretches `source` to the image list's size, appends it and shows it on the item; a null
    // source gives a blank white thumbnail.
    static void SetThumbnail(QListWidgetItem* item, ImageList& images, const QImage& source, bool halftone);
    // Empties the view and its image list and sets the list's image size.
    static void ResetList(QListWidget* list, ImageList& images, QSize imageSize);
    static void SetIconSize(QListWidget* list, QSize imageSize);
    template <class Record>
    static const Record* SelectedRecord(QListWidget* list) {
        return static_cast<const Record*>(SelectedRecordPointer(list));
    }

    // One media API GET on the classroom server: scheme + "://" + host + path + value. A failed
    // request shows HttpGetText's box; a failed or empty reply then shows `replyEmptyMessage`
    // and gives empty text.
    GbkString RequestReference(const char* scheme, const char* path, const GbkString& value,
                               const QString& replyEmptyMessage) const;
    // "https://" + host + "/mediaplayerhtml/" + page + queryFirstPart + width + "px&url=" + reply.
    QString PlayerAddress(const QString& queryFirstPart, int width, const GbkString& reply) const;

    // Runs a refresh body under the re-entry rule above. With `ignoreWhileRunning` a request
    // made while one runs is dropped (unless the running one's list was emptied meanwhile).
    void RunRefresh(const GbkString& unitCode, bool ignoreWhileRunning,
                    const std::function<void(const GbkString&)>& body);
    // True when the running refresh must stop: its list was emptied or a new request waits.
    bool RefreshAbandoned() const { return abandoned_; }
    // To be called by a sheet's ClearList: stops a running refresh at its next step.
    void AbandonRefresh() { abandoned_ = refreshing_; }

    void SubtitlesClick(const Player& player);
    void FullScreenClick(const Player& player);

    MediaSheetEnvironment env_;

private:
    static const void* SelectedRecordPointer(QListWidget* list);

    bool refreshing_ = false;
    bool abandoned_ = false;
    std::optional<GbkString> pending_;
};
