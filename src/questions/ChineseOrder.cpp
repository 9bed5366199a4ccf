#include "ChineseOrder.h"

#include <QLocale>

QCollator ChineseOrder(bool numbers) {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(numbers);
    return collator;
}
