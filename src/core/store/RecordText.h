#pragma once

#include "RecordDateTime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace dovrin {

inline constexpr QByteArrayView kLineEnd = "\r\n";

// Splits text into lines; a line ends with CR LF, a bare LF or a bare CR.
class LineReader
{
public:
    explicit LineReader(QByteArrayView data) : m_data(data) {}
    bool atEnd() const { return m_pos >= m_data.size(); }
    // The next line without its line end; false at the end of the data.
    bool next(QByteArrayView& line);
    qsizetype position() const { return m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

// Reads quoted field lists field by field. A comma or a line end ends a field; which line a
// field stands on does not matter. A quoted field runs to its closing quote and whatever
// follows it up to the next delimiter is dropped; an unquoted field is trimmed of blanks.
// A blank line reads as one empty field.
class FieldReader
{
public:
    struct Field
    {
        QByteArrayView bytes;
        bool quoted = false;
        bool isEmpty() const { return bytes.isEmpty(); }
    };

    explicit FieldReader(QByteArrayView data) : m_data(data) {}

    bool atEnd() const { return m_pos >= m_data.size(); }
    // The next field; false at the end of the data.
    bool next(Field& field);
    // The 1-based line of the next field, for messages.
    int line() const { return m_line; }
    // The byte offset of the next field.
    qsizetype position() const { return m_pos; }

    // Typed reads: false when there is no field left or its text is not of the type.
    // A field with no text reads as 0, false or the empty text.
    bool readString(QString& value);
    bool readInt64(qint64& value);
    bool readInt16(qint16& value);
    bool readReal(double& value);
    bool readBool(bool& value);

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
    int m_line = 1;
};

// Field parsers shared by the reader and by fast paths that split lines themselves.
namespace fields {
bool parseInt64(QByteArrayView text, qint64& value);
// Whole numbers, and the fixed-point "1234.0000" form of sizes (rounded to whole).
bool parseSize(QByteArrayView text, qint64& value);
bool parseReal(QByteArrayView text, double& value);
bool parseBool(QByteArrayView text, bool& value);
} // namespace fields

// Writers. Plain lines end with CR LF; numbers on plain lines carry a blank (or minus) before
// and a blank after. Quoted field lists separate fields with commas and no blanks.
namespace write {
void plainLine(QByteArray& out, QByteArrayView text);
void plainLine(QByteArray& out, const QString& text);
void plainNumberLine(QByteArray& out, qint64 value);
void quoted(QByteArray& out, QByteArrayView text);
void quoted(QByteArray& out, const QString& text);
void number(QByteArray& out, qint64 value);
// At most 15 significant digits, a period, no trailing zeros, no period when whole.
void real(QByteArray& out, double value);
void boolean(QByteArray& out, bool value);
void dateTime(QByteArray& out, RecordDateTime value);
inline void comma(QByteArray& out)
{
    out.append(',');
}
inline void lineEnd(QByteArray& out)
{
    out.append(kLineEnd);
}
} // namespace write

// The number-to-text rule of status texts: a blank stands where a minus sign would.
QString signedNumberText(qint64 value);

} // namespace dovrin
