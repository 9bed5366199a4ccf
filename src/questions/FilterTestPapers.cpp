#include "FilterTestPapers.h"

#include <QListWidget>
#include <algorithm>
#include <utility>
#include <vector>

void FilterTestPapers(const TObjectList<TDictonaryTestPaperObj>& testPapers, QListWidget* results,
                      const QString& keyword, const QString& type, const QString& area, const QString& year) {
    // Equal GBK bytes are equal texts, so the exact tests compare bytes; the keyword is searched
    // in the decoded name.
    const GbkString yearText = gbk::fromQString(year);
    const GbkString areaText = gbk::fromQString(area);
    const GbkString typeText = gbk::fromQString(type);

    std::vector<std::pair<QString, const TDictonaryTestPaperObj*>> passed;
    for (const auto& record : testPapers) {
        if (!yearText.empty() && yearText != record->testyear) continue;
        if (!areaText.empty() && areaText != record->testarea) continue;
        if (!typeText.empty() && typeText != record->testtype) continue;
        QString name = gbk::toQString(record->testpapername);
        if (!keyword.isEmpty() && !name.contains(keyword, Qt::CaseSensitive)) continue;
        passed.emplace_back(std::move(name), record.get());
    }
    std::stable_sort(passed.begin(), passed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // Filled in one go and in order: inserting thousands of entries one by one into a sorting
    // list box costs more than the search itself.
    const bool sorting = results->isSortingEnabled();
    results->setSortingEnabled(false);
    results->clear();
    QStringList names;
    names.reserve(qsizetype(passed.size()));
    for (const auto& entry : passed) names << entry.first;
    results->addItems(names);
    for (int row = 0; row < results->count(); ++row)
        results->item(row)->setData(Qt::UserRole, QVariant::fromValue(passed[std::size_t(row)].second));
    results->setSortingEnabled(sorting);
}

const TDictonaryTestPaperObj* EntryTestPaper(const QListWidgetItem* entry) {
    if (entry == nullptr) return nullptr;
    return entry->data(Qt::UserRole).value<const TDictonaryTestPaperObj*>();
}
