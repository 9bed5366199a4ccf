#pragma once

#include <QList>
#include <QObject>

class QRadioButton;
class QWidget;

// The ten resource buttons of the class panel and the rules for offering them: what a book
// offers, what a unit offers, and which picks a new book or unit takes back. The buttons are
// children of the panel they are placed on; this object only keeps them together.
class ResourceBar : public QObject {
    Q_OBJECT

public:
    enum class Resource {
        Textbook,
        Homework,
        TestPaper,
        QuestionBank,
        Phonics,
        Dialogue,
        Word,
        Passage,
        Scene,
        MiniLecture,
    };

    // Places the buttons on `panel`, every one disabled and none checked.
    explicit ResourceBar(QWidget* panel);

    QRadioButton* button(Resource resource) const;
    bool isChecked(Resource resource) const;
    // Every resource, in the panel's order.
    static QList<Resource> all();

    // A book was picked: the book's own resources are offered, the unit's are taken back.
    void offerBook();
    // A unit with a code offers its words (its other resources are offered by their sheets
    // once their lists fill); a unit without one takes the unit's resources back.
    void offerUnit(bool hasCode);
    // After a unit change none of the unit's resources, nor the question bank, stays picked.
    void takeBackUnitPicks();
    // Leaves the resource unpicked; an auto-exclusive button cannot be unchecked otherwise.
    void uncheck(Resource resource);

private:
    QList<QRadioButton*> buttons_;  // in the order of Resource
};
