#pragma once

#include <QTest>
#include <array>
#include <initializer_list>
#include <tuple>

namespace dovrin::test {

// A Qt Test data table written one brace list a row: the row's name, then one value a column.
//   test::table<QString, int>({"text", "count"}, {{"empty", "", 0}, {"one", "a", 1}});
template <typename... Columns>
void table(const std::array<const char*, sizeof...(Columns)>& names,
           std::initializer_list<std::tuple<const char*, Columns...>> rows)
{
    std::size_t column = 0;
    (QTest::addColumn<Columns>(names[column++]), ...);
    for (const auto& row : rows) {
        std::apply([](const char* name,
                      const Columns&... values) { (QTest::newRow(name) << ... << values); },
                   row);
    }
}

// A table of one column, "row", of structs whose first member is the row's name: one brace
// list a row and one QFETCH for the lot.
//   struct Case { const char* name; QString text; int count; };
//   test::rows<Case>({{"empty", "", 0}, {"one", "a", 1}});  ...  QFETCH(Case, row);
template <typename Row> void rows(std::initializer_list<Row> all)
{
    QTest::addColumn<Row>("row");
    for (const Row& row : all)
        QTest::newRow(row.name) << row;
}

// The current row's values of the named columns, for one structured binding in place of a
// QFETCH a column:
//   auto [text, count] = test::fetch<QString, int>("text", "count");
template <typename... Columns, typename... Names> std::tuple<Columns...> fetch(Names... names)
{
    static_assert(sizeof...(Columns) == sizeof...(Names));
    return {*static_cast<Columns*>(QTest::qData(names, qMetaTypeId<Columns>()))...};
}

} // namespace dovrin::test
