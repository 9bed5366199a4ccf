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

// The main window's controls, found by the names they carry.
inline QComboBox* books(const QObject& w) {
    return control<QComboBox>(w, "cbbooks");
}
inline QComboBox* units(const QObject& w) {
    return control<QComboBox>(w, "CBUnitClassUse");
}
inline QTabWidget* pageControl(const QObject& w) {
    return control<QTabWidget>(w, "PageControlClass");
}
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
// The first status panel, which carries every status text of the window.
inline QLabel* statusPanel(const QObject& w) {
    return control<QLabel>(w, "StatusBar1Panel0");
}
inline TextBookPage* textBook(const QObject& w) {
    return control<TextBookPage>(w, "TabTextBook");
}
inline ScenePage* sceneSheet(const QObject& w) {
    return control<ScenePage>(w, "TabScene");
}
inline PassagePage* passageSheet(const QObject& w) {
    return control<PassagePage>(w, "TabPassage");
}
inline MiniLecturePage* lectureSheet(const QObject& w) {
    return control<MiniLecturePage>(w, "TabMiniLecture");
}
inline SyllabusWordPage* wordSheet(const QObject& w) {
    return control<SyllabusWordPage>(w, "TabSyllabusWord");
}
inline PhonicsPage* phonicsSheet(const QObject& w) {
    return control<PhonicsPage>(w, "TabPhonics");
}
inline QuestionBankPage* questionBank(const QObject& w) {
    return control<QuestionBankPage>(w, "TabQuestionBank");
}
inline HomeworkPage* homeworkSheet(const QObject& w) {
    return control<HomeworkPage>(w, "TabHomework");
}
