#pragma once

// Data tables written a row a line. clang-format spreads a `QTest::newRow(..) << "a" << "b"` chain of
// string literals one value a line, which buries a table's rows; these take the same values as
// arguments instead.
#include <QtTest>
#include <array>
#include <cstddef>

// QTest::addColumn<T>(name) for each type and name in turn.
template <typename... Types>
void addColumns(const std::array<const char*, sizeof...(Types)>& names) {
    std::size_t i = 0;
    (QTest::addColumn<Types>(names[i++]), ...);
}

// QTest::newRow(name) << values...; the name is taken as it is, not as a format.
template <typename... Values>
QTestData& addRow(const char* name, const Values&... values) {
    return (QTest::newRow(name) << ... << values);
}
