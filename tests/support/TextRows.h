#pragma once

#include <QStringList>
#include <QTest>
#include <initializer_list>

namespace dovrin::test {

// Adds a data row per text "tag|cell|cell...", one line a row: every column of the table is a
// QString (the test converts what it needs). `separator` for tables whose cells hold a "|".
inline void addTextRows(std::initializer_list<const char*> rows, QChar separator = u'|')
{
    for (const char* row : rows) {
        QStringList cells = QString::fromUtf8(row).split(separator);
        QTestData& data = QTest::newRow(qPrintable(cells.takeFirst()));
        for (const QString& cell : cells)
            data << cell;
    }
}

} // namespace dovrin::test
