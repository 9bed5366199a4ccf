#pragma once

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <initializer_list>

#include "Controls.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/TextBookPage.h"
#include "questions/HomeworkPage.h"
#include "questions/QuestionBankPage.h"

// The main window's controls, found by the names they carry: `books(w)` is the book combo of `w`.
template <class T>
struct NamedControl {
    const char* name;
    T* operator()(const QObject& w) const { return control<T>(w, name); }
};

inline constexpr NamedControl<QComboBox> books{"cbbooks"};
inline constexpr NamedControl<QComboBox> units{"CBUnitClassUse"};
inline constexpr NamedControl<QTabWidget> pageControl{"PageControlClass"};
// The first status panel, which carries every status text of the window.
inline constexpr NamedControl<QLabel> statusPanel{"StatusBar1Panel0"};
inline constexpr NamedControl<TextBookPage> textBook{"TabTextBook"};
inline constexpr NamedControl<ScenePage> sceneSheet{"TabScene"};
inline constexpr NamedControl<PassagePage> passageSheet{"TabPassage"};
inline constexpr NamedControl<MiniLecturePage> lectureSheet{"TabMiniLecture"};
inline constexpr NamedControl<SyllabusWordPage> wordSheet{"TabSyllabusWord"};
inline constexpr NamedControl<PhonicsPage> phonicsSheet{"TabPhonics"};
inline constexpr NamedControl<QuestionBankPage> questionBank{"TabQuestionBank"};
inline constexpr NamedControl<HomeworkPage> homeworkSheet{"TabHomework"};

inline QWidget* tab(const QObject& w, const char* name) {
    return control<QWidget>(w, name);
}
inline QRadioButton* radio(const QObject& w, const char* name) {
    return control<QRadioButton>(w, name);
}
inline QList<QRadioButton*> radios(const QObject& w, std::initializer_list<const char*> names) {
    QList<QRadioButton*> buttons;
    for (const char* name : names) buttons.append(radio(w, name));
    return buttons;
}
inline QTreeWidget* tree(const QObject& w, const char* name) {
    return control<QTreeWidget>(w, name);
}
