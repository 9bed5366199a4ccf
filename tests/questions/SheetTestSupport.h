#pragma once

// Helpers shared by the question bank and assignment sheet tests: a data module pointed at a
// test server, a recorder standing in for the browsers, and user input on lists and drop-downs.
#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>
#include <memory>

#include "DataModule.h"
#include "ScriptedClassroom.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TUnitObj.h"
#include "questions/BrowserNavigation.h"
#include "questions/QuestionBankPage.h"
#include "web/WebBrowser.h"

// "browserName url" per navigation, in order; no browser engine is started.
struct NavigationLog {
    QStringList entries;
    BrowserNavigation recorder() {
        return
            [this](WebBrowser& browser, const QString& url) { entries << browser.objectName() + ' ' + url; };
    }
};

// The question bank sheet alone, as the window wires it, against a scripted classroom: the
// signed-in member, the window's paper list, the unit the window has chosen (none until set) and
// the navigations the sheet asks for. The sheet goes first, before what it points at.
struct QuestionBankAlone {
    std::unique_ptr<ScriptedClassroom> service = std::make_unique<ScriptedClassroom>();
    std::unique_ptr<TstudyDM> dm;
    MemberInfoRec member;
    TObjectList<TDictonaryTestPaperObj> papers;
    NavigationLog navigations;
    std::unique_ptr<TUnitObj> unit;
    std::unique_ptr<QuestionBankPage> page;

    QuestionBankAlone(const char* userId, QAnyStringView questionHost = {})
        : dm(dataModule(QString::fromStdString(service->host()), questionHost)) {
        member.UserId = GbkString(userId);
    }
    QuestionBankPage& open() {
        page = std::make_unique<QuestionBankPage>(
            dm->HTTPRIOLmvInClass_, dm->config(), member, papers, [this] { return unit.get(); },
            navigations.recorder());
        page->resize(1000, 700);
        page->show();
        return *page;
    }
};

// Chooses the entry with `text` as a user does: opens the drop-down and clicks the entry.
inline bool choose(QComboBox* combo, const QString& text) {
    const int target = combo->findText(text, Qt::MatchExactly);
    if (target < 0) return false;
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    if (!QTest::qWaitForWindowExposed(view->window())) return false;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(target, 0)).center());
    return combo->currentIndex() == target && !view->isVisible();
}

inline void clickRow(QAbstractItemView* view, int row) {
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 0)).center());
}

// What the window system delivers for a double click: press, release, press, double click, release.
inline void doubleClickRow(QAbstractItemView* view, int row) {
    const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre);
}

inline QStringList entryTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

inline QStringList comboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
}

// Each row's columns joined with "|".
inline QStringList rowTexts(const QTreeWidget* list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList columns;
        for (int c = 0; c < list->columnCount(); ++c) columns << list->topLevelItem(i)->text(c);
        rows << columns.join(u'|');
    }
    return rows;
}
