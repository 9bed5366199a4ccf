#include "FilterTestPapers.h"

#include <QCollator>
#include <QListWidget>
#include <algorithm>
#include <utility>
#include <vector>

#include "ChineseOrder.h"
#include "catalogue/ItemRecord.h"

void FilterTestPapers(const TObjectList<TDictonaryTestPaperObj>& testPapers, QListWidget* results,
                      const QString& keyword, const QString& type, const QString& area, const QString& year) {
    // Equal GBK bytes are equal texts, so the exact tests compare bytes; the keyword is searched
    // in the decoded name.
    const GbkString yearText = gbk::fromQString(year);
    const GbkString areaText = gbk::fromQString(area);
    const GbkString typeText = gbk::fromQString(type);

    struct Passed {
        QString name;
        QCollatorSortKey key;
        const TDictonaryTestPaperObj* record;
    };
    // A sort key per name costs one collation each instead of one per comparison.
    const QCollator order = ChineseOrder();
    std::vector<Passed> passed;
    for (const auto& record : testPapers) {
        if (!yearText.empty() && yearText != record->testyear) continue;
        if (!areaText.empty() && areaText != record->testarea) continue;
        if (!typeText.empty() && typeText != record->testtype) continue;
        QString name = gbk::toQString(record->testpapername);
        if (!keyword.isEmpty() && !name.contains(keyword, Qt::CaseSensitive)) continue;
        QCollatorSortKey key = order.sortKey(name);
        passed.push_back(Passed{std::move(name), std::move(key), record.get()});
    }
    std::stable_sort(passed.begin(), passed.end(),
                     [](const Passed& a, const Passed& b) { return a.key.compare(b.key) < 0; });

    // The list box's own sorting goes by character codes and would undo the Chinese order. Filled
    // in one go: entries added one by one cost more than the search itself.
    results->setSortingEnabled(false);
    results->clear();
    QStringList names;
    names.reserve(qsizetype(passed.size()));
    for (const Passed& entry : passed) names << entry.name;
    results->addItems(names);
    for (int row = 0; row < results->count(); ++row)
        results->item(row)->setData(RecordRole, lentRecord(passed[std::size_t(row)].record));
}

const TDictonaryTestPaperObj* EntryTestPaper(const QListWidgetItem* entry) {
    return recordOf<TDictonaryTestPaperObj>(entry);
}
