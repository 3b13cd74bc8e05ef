#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace dovrin::reports {

// A body line of a text listing: 200 characters that start as blanks, into which texts are
// put at fixed columns (column 1 is the first), each overwriting what stood there and cut at
// column 200. Texts are UTF-8; columns count characters, not bytes. Lines of plain ASCII, the
// common case, are built byte by byte; the first other character switches the line to one
// cell per character.
class ListingLine
{
public:
    static constexpr int kWidth = 200;

    ListingLine() { clear(); }
    void clear();
    // The text's first character goes to `column`.
    void put(int column, QByteArrayView utf8);
    // The text's last character goes to `column`.
    void putEndingAt(int column, QByteArrayView utf8);
    // Appends the line and CR LF.
    void appendTo(QByteArray& out) const;

private:
    void putCells(int column, QByteArrayView utf8);
    void widen();

    char m_bytes[kWidth];
    char32_t m_cells[kWidth];
    bool m_wide = false;
};

// True when every byte is below 0x80.
bool isAscii(QByteArrayView bytes);
// The number of characters of UTF-8 text.
int characterCount(QByteArrayView utf8);

} // namespace dovrin::reports
