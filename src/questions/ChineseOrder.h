#pragma once

#include <QCollator>

// The order in which a Chinese desktop lists texts, whatever the system's locale: ICU's
// collation for zh_CN. Digits come first, then Chinese characters in pinyin order (the order of
// GBK's level-one characters, but for a few characters of two readings), then Latin letters,
// compared without case first and lowercase before capitals only between otherwise equal
// texts. With `numbers`, runs of digits compare by their value ("9" before "10").
QCollator ChineseOrder(bool numbers = false);
