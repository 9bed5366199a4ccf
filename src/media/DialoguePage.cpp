#include "DialoguePage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

DialoguePage::DialoguePage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabDialogue"));
    auto* panel = new QWidget(this);
    panel->setFixedWidth(329);
    auto* title = new QLabel(QStringLiteral("句型"), panel);
    title->setAlignment(Qt::AlignCenter);
    LVDialogueClassUse = new QListWidget(panel);
    LVDialogueClassUse->setObjectName(QStringLiteral("LVDialogueClassUse"));
    LVDialogueClassUse->setAccessibleName(QStringLiteral("句型"));
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(title);
    column->addWidget(LVDialogueClassUse, 1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    layout->addStretch(1);
}
