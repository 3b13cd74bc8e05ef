#include "RecordText.h"

#include "TextCodec.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace dovrin {

bool LineReader::next(QByteArrayView& line)
{
    if (m_pos >= m_data.size())
        return false;
    const char* begin = m_data.data() + m_pos;
    const qsizetype left = m_data.size() - m_pos;
    // A CR is looked for only before the LF, so that data without CRs is not searched to its
    // end for every line.
    const void* nl = std::memchr(begin, '\n', size_t(left));
    const char* stop = nl ? static_cast<const char*>(nl) : begin + left;
    if (const void* cr = std::memchr(begin, '\r', size_t(stop - begin)))
        stop = static_cast<const char*>(cr);
    line = QByteArrayView(begin, stop - begin);
    qsizetype consumed = stop - begin;
    if (stop < begin + left) {
        ++consumed;
        if (*stop == '\r' && stop + 1 < begin + left && stop[1] == '\n')
            ++consumed;
    }
    m_pos += consumed;
    return true;
}

namespace {

// Bytes that end a field: 1 for ",", 2 for CR and LF; quotes also end a quoted field.
constexpr auto kStops = [] {
    std::array<unsigned char, 256> t{};
    t[','] = 1;
    t['\r'] = 2;
    t['\n'] = 2;
    t['"'] = 4;
    return t;
}();

} // namespace

bool FieldReader::next(Field& field)
{
    // Local pointers keep the hot loops free of member stores; millions of lines pass here.
    const char* const begin = m_data.data();
    const char* const end = begin + m_data.size();
    const char* p = begin + m_pos;
    if (p >= end)
        return false;
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;

    auto stopAt = [&](const char* q, unsigned char mask) {
        while (q < end && !(kStops[static_cast<unsigned char>(*q)] & mask))
            ++q;
        return q;
    };

    if (p < end && *p == '"') {
        const char* start = p + 1;
        // A quoted field never runs past its line: an unterminated quote ends at the line end.
        const char* stop = stopAt(start, 2 | 4);
        field.bytes = QByteArrayView(start, stop - start);
        field.quoted = true;
        p = stop;
        if (p < end && *p == '"')
            ++p;
        p = stopAt(p, 1 | 2);
    } else {
        const char* start = p;
        p = stopAt(p, 1 | 2);
        const char* stop = p;
        while (stop > start && (stop[-1] == ' ' || stop[-1] == '\t'))
            --stop;
        field.bytes = QByteArrayView(start, stop - start);
        field.quoted = false;
    }

    if (p < end) {
        if (*p == ',') {
            ++p;
        } else {
            if (*p == '\r' && p + 1 < end && p[1] == '\n')
                ++p;
            ++p;
            ++m_line;
        }
    }
    m_pos = p - begin;
    return true;
}

bool FieldReader::readString(QString& value)
{
    Field f;
    if (!next(f))
        return false;
    value = text::decode(f.bytes);
    return true;
}

bool FieldReader::readInt64(qint64& value)
{
    Field f;
    return next(f) && fields::parseInt64(f.bytes, value);
}

bool FieldReader::readInt16(qint16& value)
{
    qint64 wide;
    if (!readInt64(wide) || wide < -32768 || wide > 32767)
        return false;
    value = qint16(wide);
    return true;
}

bool FieldReader::readReal(double& value)
{
    Field f;
    return next(f) && fields::parseReal(f.bytes, value);
}

bool FieldReader::readBool(bool& value)
{
    Field f;
    return next(f) && fields::parseBool(f.bytes, value);
}

namespace fields {

bool parseInt64(QByteArrayView text, qint64& value)
{
    if (text.isEmpty()) {
        value = 0;
        return true;
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end;
}

bool parseSize(QByteArrayView text, qint64& value)
{
    const qsizetype dot = text.indexOf('.');
    if (dot == -1)
        return parseInt64(text, value);
    if (!parseInt64(text.first(dot), value))
        return false;
    const QByteArrayView fraction = text.sliced(dot + 1);
    if (fraction.isEmpty())
        return true;
    for (const char c : fraction) {
        if (c < '0' || c > '9')
            return false;
    }
    if (fraction[0] >= '5') {
        // Rounding away from zero past the largest size fails like any other bad size.
        if (value == std::numeric_limits<qint64>::max() ||
            value == std::numeric_limits<qint64>::min())
            return false;
        value += value < 0 ? -1 : 1;
    }
    return true;
}

bool parseReal(QByteArrayView text, double& value)
{
    if (text.isEmpty()) {
        value = 0;
        return true;
    }
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool parseBool(QByteArrayView text, bool& value)
{
    if (text.isEmpty() || text == "#FALSE#") {
        value = false;
        return true;
    }
    if (text == "#TRUE#") {
        value = true;
        return true;
    }
    return false;
}

} // namespace fields

namespace write {

void plainLine(QByteArray& out, QByteArrayView text)
{
    out.append(text);
    out.append(kLineEnd);
}

void plainLine(QByteArray& out, const QString& text)
{
    plainLine(out, QByteArrayView(text::encode(text)));
}

void plainNumberLine(QByteArray& out, qint64 value)
{
    if (value >= 0)
        out.append(' ');
    number(out, value);
    out.append(' ');
    out.append(kLineEnd);
}

void quoted(QByteArray& out, QByteArrayView text)
{
    out.append('"');
    out.append(text);
    out.append('"');
}

void quoted(QByteArray& out, const QString& text)
{
    quoted(out, QByteArrayView(text::encode(text)));
}

void number(QByteArray& out, qint64 value)
{
    char buf[24];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, ptr - buf);
}

void real(QByteArray& out, double value)
{
    if (!std::isfinite(value))
        value = 0;
    // Fifteen digits round the largest values up past the largest double, which would not
    // read back: they are written as the largest fifteen-digit value instead.
    constexpr double kLargest = 1.79769313486231e308;
    value = std::clamp(value, -kLargest, kLargest);
    char buf[40];
    // %.15g gives at most 15 significant digits without trailing zeros, and no exponent for
    // the sizes stored here; the C locale of snprintf is not used: to_chars is locale-free.
    const auto [ptr, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    QByteArrayView text(buf, ptr - buf);
    out.append(text);
}

void boolean(QByteArray& out, bool value)
{
    out.append(value ? "#TRUE#" : "#FALSE#");
}

void dateTime(QByteArray& out, RecordDateTime value)
{
    value.appendRecordText(out);
}

} // namespace write

QString signedNumberText(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

} // namespace dovrin
