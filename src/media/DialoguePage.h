#pragma once

#include <QWidget>

class QListWidget;

// The dialogue sheet ("句型"): a titled, empty list. Nothing fills it and its radio button is
// never shown; it keeps the page order of the page control.
class DialoguePage : public QWidget {
    Q_OBJECT

public:
    explicit DialoguePage(QWidget* parent = nullptr);

    QListWidget* LVDialogueClassUse = nullptr;
};
