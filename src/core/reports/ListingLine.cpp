#include "ListingLine.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <cstring>

namespace dovrin::reports {

bool isAscii(QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype n = bytes.size();
    quint64 any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n)
        any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) == 0;
}

int characterCount(QByteArrayView utf8)
{
    int count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void ListingLine::clear()
{
    std::memset(m_bytes, ' ', kWidth);
    m_wide = false;
}

void ListingLine::put(int column, QByteArrayView utf8)
{
    if (column > kWidth || utf8.isEmpty())
        return;
    if (m_wide || !isAscii(utf8)) {
        putCells(column, utf8);
        return;
    }
    // Characters that would stand left of column 1 are dropped.
    qsizetype skip = 0;
    if (column < 1) {
        skip = 1 - column;
        column = 1;
    }
    if (skip >= utf8.size())
        return;
    const qsizetype n = std::min<qsizetype>(utf8.size() - skip, kWidth - column + 1);
    std::memcpy(m_bytes + column - 1, utf8.data() + skip, size_t(n));
}

void ListingLine::putEndingAt(int column, QByteArrayView utf8)
{
    const int length = isAscii(utf8) ? int(utf8.size()) : characterCount(utf8);
    put(column - length + 1, utf8);
}

void ListingLine::widen()
{
    for (int i = 0; i < kWidth; ++i)
        m_cells[i] = static_cast<unsigned char>(m_bytes[i]);
    m_wide = true;
}

void ListingLine::putCells(int column, QByteArrayView utf8)
{
    if (!m_wide)
        widen();
    const QList<uint> characters = QString::fromUtf8(utf8).toUcs4();
    int cell = column - 1;
    for (const uint c : characters) {
        if (cell >= kWidth)
            break;
        if (cell >= 0)
            m_cells[cell] = char32_t(c);
        ++cell;
    }
}

void ListingLine::appendTo(QByteArray& out) const
{
    if (m_wide)
        out.append(QString::fromUcs4(m_cells, kWidth).toUtf8());
    else
        out.append(m_bytes, kWidth);
    out.append("\r\n", 2);
}

} // namespace dovrin::reports
