#pragma once

#include "search/SearchRow.h"
#include "store/DatabaseFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

// Each harness defines the libFuzzer entry point with this line and a body.
#define DOVRIN_FUZZ_TARGET(data)                                                                   \
    static void fuzzOne(QByteArrayView data);                                                      \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)                       \
    {                                                                                              \
        fuzzOne(QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(size)));            \
        return 0;                                                                                  \
    }                                                                                              \
    static void fuzzOne(QByteArrayView data)

namespace dovrin::fuzz {

// A property did not hold: prints what and aborts, so that the fuzzer keeps the input.
[[noreturn]] void fail(const char* what, const QString& detail = {});
inline void require(bool ok, const char* what, const QString& detail = {})
{
    if (!ok)
        fail(what, detail);
}

// The input cut at a separator byte into at most `count` parts; the last part keeps the rest.
QList<QByteArrayView> split(QByteArrayView data, char separator, int count);

// A database folder of the process's own under the temporary folder, emptied for each input.
class ScratchFolder
{
public:
    static ScratchFolder& instance();

    const DatabaseFolder& database() const { return m_database; }
    // Removes everything in the folder.
    void clear();
    // Writes a file, making its folder; the path is relative and uses "/".
    void write(const QString& relativePath, QByteArrayView content);
    // Native path of a file or folder in it.
    QString path(const QString& relativePath) const;

private:
    ScratchFolder();
    ~ScratchFolder();
    QString m_root;
    DatabaseFolder m_database;
};

// Keeps the rows of a search.
class RowList final : public search::SearchSink
{
public:
    void clear() override { rows.clear(); }
    void addRow(const search::SearchRow& row) override { rows.append(row); }
    QList<search::SearchRow> rows;
};

} // namespace dovrin::fuzz
