#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <map>

#include "PageInk.h"

// The ink of every page, per book, kept for the signed-in account beside its remembered place:
// $XDG_STATE_HOME/lumoclass/<SHA-256 of the account in hex>.ink, mode 0600. A change is written
// at most once a second (and at detach and destruction), whole, through a temporary file. The
// file stays under kMaxFileBytes by leaving out the books inked longest ago. A file that cannot
// be read or is too large reads as no ink; nothing else is touched.
class InkStore : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
    static constexpr int kSaveDelayMs = 1000;

    explicit InkStore(QString folder = defaultFolder(), QObject* parent = nullptr);
    ~InkStore() override;

    static QString defaultFolder();
    static const char* temporaryPrefix() { return ".ink-"; }
    QString inkFile(const QByteArray& account) const;

    // Writes the previous account's ink and reads this one's.
    void attach(const QByteArray& account);
    void detach();
    bool attached() const { return attached_; }

    // The page's ink, made empty on first use.
    PageInk& page(const QString& book, const QString& pageId);
    const PageInk* find(const QString& book, const QString& pageId) const;
    // After a change to a page's ink: the book counts as inked now and a write is due.
    void changed(const QString& book, const QString& pageId);
    // Writes a due change now.
    void flush();

    // The file's bytes for what is kept, leaving out the books inked longest ago until it fits
    // (and forgetting them, so what is kept is what the file holds).
    QByteArray encode();
    // Replaces what is kept by the file's content; false (and nothing kept) when it is not ours.
    bool decode(const QByteArray& bytes);

signals:
    void inkChanged(const QString& book, const QString& pageId);
    // Everything kept was replaced (another account, or none).
    void reloaded();

private:
    struct Book {
        qint64 inked = 0;  // ms since the epoch
        std::map<QString, PageInk> pages;
    };

    QByteArray encodeAll() const;

    QString folder_;
    QByteArray account_;
    bool attached_ = false;
    bool dirty_ = false;
    std::map<QString, Book> books_;
    QTimer save_;
};
