#include "RowPrinter.h"

#include <cstdio>

namespace dovrin::cli {

namespace {

constexpr qsizetype kFlushAt = 1 << 20;

} // namespace

RowPrinter::RowPrinter(const DisplayFormat& format) : m_format(format)
{
    m_buffer.reserve(kFlushAt + 4096);
}

void RowPrinter::addRow(const search::SearchRow& row)
{
    append(row.key);
    m_buffer.append('\t');
    append(row.name);
    m_buffer.append('\t');
    append(row.inFolder);
    m_buffer.append('\t');
    if (row.hasSize)
        m_format.appendSize(m_buffer, row.size);
    m_buffer.append('\t');
    if (row.hasModified)
        append(m_format.dateTime(row.modified));
    m_buffer.append('\t');
    append(row.comment);
    m_buffer.append('\n');
    if (m_buffer.size() >= kFlushAt)
        flush();
}

void RowPrinter::addRows(const search::ResultRows& rows, size_t first, size_t count)
{
    for (size_t i = first; i < first + count; ++i) {
        append(rows.key(i));
        m_buffer.append('\t');
        append(rows.name(i));
        m_buffer.append('\t');
        append(rows.inFolder(i));
        m_buffer.append('\t');
        if (rows.hasSize(i))
            m_format.appendSize(m_buffer, rows.size(i));
        m_buffer.append('\t');
        if (rows.hasModified(i))
            append(m_format.dateTime(rows.modified(i)));
        m_buffer.append('\t');
        append(rows.comment(i));
        m_buffer.append('\n');
        if (m_buffer.size() >= kFlushAt)
            flush();
    }
}

void RowPrinter::printLine(const QString& text)
{
    append(text);
    m_buffer.append('\n');
    if (m_buffer.size() >= kFlushAt)
        flush();
}

void RowPrinter::flush()
{
    if (!m_buffer.isEmpty())
        std::fwrite(m_buffer.constData(), 1, size_t(m_buffer.size()), stdout);
    m_buffer.truncate(0);
    std::fflush(stdout);
}

void RowPrinter::append(QStringView text)
{
    // ASCII (most keys and names) is copied without a conversion object.
    const qsizetype n = text.size();
    const QChar* chars = text.constData();
    qsizetype i = 0;
    while (i < n && chars[i].unicode() < 0x80)
        ++i;
    if (i == n) {
        const qsizetype start = m_buffer.size();
        m_buffer.resize(start + n);
        char* out = m_buffer.data() + start;
        for (qsizetype k = 0; k < n; ++k)
            out[k] = char(chars[k].unicode());
    } else {
        m_buffer.append(text.toUtf8());
    }
}

} // namespace dovrin::cli
