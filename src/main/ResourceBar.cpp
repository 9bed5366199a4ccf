#include "ResourceBar.h"

#include <QRadioButton>
#include <QRect>

#include "look/Look.h"

namespace {

using Resource = ResourceBar::Resource;

constexpr Resource kBookResources[] = {Resource::Textbook, Resource::Homework, Resource::TestPaper,
                                       Resource::QuestionBank, Resource::Phonics};
constexpr Resource kUnitResources[] = {Resource::Word, Resource::Passage, Resource::Scene,
                                       Resource::MiniLecture};

struct Placement {
    const char* name;
    const char* caption;
    QRect place;
    bool largerFont;
};

// In the order of Resource.
const Placement kPlacements[] = {
    {"RBtnTextbook", "教材", {377, 5, 59, 17}, false},
    {"RBtnHomeworkClassUse", "练习", {453, 5, 58, 17}, false},
    {"RBtnTestPaperClassUse", "考卷", {530, 6, 56, 15}, false},
    {"RBTNQuestionBank", "题库", {609, 4, 59, 17}, false},
    {"RBtnPhonics", "自然拼读", {689, 7, 96, 15}, true},
    {"RBtnDialogueClassUse", "句型", {793, 7, 56, 15}, true},
    {"RBtnWordClassUse", "单词", {377, 29, 59, 17}, false},
    {"RbtnPassageClassUse", "课文", {454, 28, 57, 17}, false},
    {"RbtnSceneClassUse", "场景", {529, 28, 57, 17}, false},
    {"RBtnMiniLectureClassUse", "微课", {609, 27, 59, 19}, false},
};

}  // namespace

ResourceBar::ResourceBar(QWidget* panel) : QObject(panel) {
    setObjectName(QStringLiteral("ResourceBar"));
    for (const Placement& placement : kPlacements) {
        auto* button = new QRadioButton(QString::fromUtf8(placement.caption), panel);
        button->setObjectName(QLatin1String(placement.name));
        button->setGeometry(placement.place);
        button->setEnabled(false);
        if (placement.largerFont) button->setFont(pixelFont(13, Weight::Bold));
        buttons_.append(button);
    }
    // The dialogue resource has no content; its button is never offered.
    button(Resource::Dialogue)->setVisible(false);
}

QRadioButton* ResourceBar::button(Resource resource) const {
    return buttons_.at(static_cast<int>(resource));
}

bool ResourceBar::isChecked(Resource resource) const {
    return button(resource)->isChecked();
}

QList<ResourceBar::Resource> ResourceBar::all() {
    QList<Resource> resources;
    for (int i = 0; i <= static_cast<int>(Resource::MiniLecture); ++i)
        resources.append(static_cast<Resource>(i));
    return resources;
}

void ResourceBar::offerBook() {
    for (Resource resource : kBookResources) button(resource)->setEnabled(true);
    for (Resource resource : kUnitResources) {
        uncheck(resource);
        button(resource)->setEnabled(false);
    }
}

void ResourceBar::offerUnit(bool hasCode) {
    if (hasCode) {
        button(Resource::Word)->setEnabled(true);
    } else {
        for (Resource resource : kUnitResources) button(resource)->setEnabled(false);
    }
}

void ResourceBar::takeBackUnitPicks() {
    for (Resource resource : kUnitResources) uncheck(resource);
    uncheck(Resource::QuestionBank);
}

void ResourceBar::uncheck(Resource resource) {
    QRadioButton* radio = button(resource);
    if (!radio->isChecked()) return;
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
}
