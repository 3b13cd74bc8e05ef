#include "TextMatcher.h"

#include "store/TextCodec.h"

#include <cstring>

namespace dovrin::search {

namespace {

inline char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}

bool equalsAsciiFolded(const char* a, const char* upper, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        if (asciiUpper(a[i]) != upper[i])
            return false;
    }
    return true;
}

bool isAsciiText(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// True when upper-casing the name may give ASCII letters from other characters: ß -> SS,
// ı -> I, ſ -> S, ŉ -> ʼN, ǰ -> J̌, ẖ ẗ ẘ ẙ ẚ, the ligatures ﬀ to ﬆ, and ß (0xDF) in an older
// Windows-1252 record. Other names hold the text only where their ASCII bytes hold it.
bool mayUpperToAscii(QByteArrayView name)
{
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const qsizetype n = name.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        if (c < 0xC3)
            continue;
        const unsigned char next = i + 1 < n ? p[i + 1] : 0;
        const unsigned char third = i + 2 < n ? p[i + 2] : 0;
        switch (c) {
        case 0xC3:
            if (next == 0x9F)
                return true;
            break;
        case 0xC4:
            if (next == 0xB1)
                return true;
            break;
        case 0xC5:
            if (next == 0xBF || next == 0x89)
                return true;
            break;
        case 0xC7:
            if (next == 0xB0)
                return true;
            break;
        case 0xDF:
            return true;
        case 0xE1:
            if (next == 0xBA && third >= 0x96 && third <= 0x9A)
                return true;
            break;
        case 0xEF:
            if (next == 0xAC && third <= 0x86)
                return true;
            break;
        default:
            break;
        }
    }
    return false;
}

} // namespace

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

qsizetype findAsciiFolded(QByteArrayView haystack, QByteArrayView upperNeedle)
{
    const qsizetype n = upperNeedle.size();
    if (n == 0)
        return 0;
    const char* h = haystack.data();
    const char first = upperNeedle[0];
    const bool letter = first >= 'A' && first <= 'Z';
    for (qsizetype i = 0; i + n <= haystack.size(); ++i) {
        const char c = h[i];
        if ((c == first || (letter && c == first + 32)) &&
            equalsAsciiFolded(h + i + 1, upperNeedle.data() + 1, n - 1))
            return i;
    }
    return -1;
}

UpperCaser::UpperCaser(const QLocale& locale) : m_locale(locale)
{
    switch (locale.language()) {
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
    case QLocale::Lithuanian:
    case QLocale::Greek:
        m_viaLocale = true;
        break;
    default:
        break;
    }
    const QString lower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
    m_asciiIsPlain = upper(lower) == QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

QString UpperCaser::upper(const QString& text) const
{
    return m_viaLocale ? m_locale.toUpper(text) : text.toUpper();
}

TextMatcher::TextMatcher(SearchMode mode, const QString& upperText, const UpperCaser& caser)
    : m_mode(mode), m_upperText(upperText), m_caser(caser)
{
    m_needleIsAscii = isAsciiText(upperText);
    if (m_needleIsAscii)
        m_asciiNeedle = upperText.toLatin1();
    // The letters that the characters of mayUpperToAscii() upper-case to; any other byte of
    // the text must stand in the name itself.
    constexpr QByteArrayView kGiven = "AFHIJLNSTWY";
    for (const char c : std::as_const(m_asciiNeedle)) {
        if (!kGiven.contains(c))
            m_needs[uchar(c) >> 6] |= uint64_t(1) << (uchar(c) & 63);
    }
}

bool TextMatcher::mayHoldNeedle(QByteArrayView name) const
{
    uint64_t has[2] = {0, 0};
    for (const char c : name) {
        if (uchar(c) < 0x80) {
            const auto u = uchar(asciiUpper(c));
            has[u >> 6] |= uint64_t(1) << (u & 63);
        }
    }
    return (m_needs[0] & ~has[0]) == 0 && (m_needs[1] & ~has[1]) == 0;
}

bool TextMatcher::matches(QByteArrayView name) const
{
    if (asciiNamesFast()) {
        if (isAscii(name))
            return m_needleIsAscii && matchesAscii(name);
        // An ASCII text can only stand where the name's own ASCII bytes hold it, unless a
        // character upper-cases to ASCII letters; then the name's text is upper-cased whole.
        if (m_needleIsAscii && !mayUpperToAscii(name))
            return matchesAscii(name);
        // Upper-casing the whole name is slow; most names lack a byte the text needs.
        if (m_needleIsAscii && !mayHoldNeedle(name))
            return false;
    }
    const QString text = text::decode(name);
    return matchesUpper(m_caser.upper(text), text);
}

bool TextMatcher::matches(const QString& text) const
{
    if (asciiNamesFast() && isAsciiText(text)) {
        if (!m_needleIsAscii)
            return false;
        const QByteArray bytes = text.toLatin1();
        return matchesAscii(bytes);
    }
    return matchesUpper(m_caser.upper(text), text);
}

bool TextMatcher::matchesAscii(QByteArrayView name) const
{
    const QByteArrayView needle = m_asciiNeedle;
    const qsizetype n = needle.size();
    switch (m_mode) {
    case SearchMode::Whole:
        return name.size() == n && equalsAsciiFolded(name.data(), needle.data(), n);
    case SearchMode::Start:
        return name.size() >= n && equalsAsciiFolded(name.data(), needle.data(), n);
    case SearchMode::Extension: {
        const char* dot = static_cast<const char*>(memrchr(name.data(), '.', size_t(name.size())));
        if (!dot)
            return false;
        const QByteArrayView extension = name.sliced(dot - name.data() + 1);
        return extension.size() == n && equalsAsciiFolded(extension.data(), needle.data(), n);
    }
    default:
        return findAsciiFolded(name, needle) >= 0;
    }
}

bool TextMatcher::matchesUpper(const QString& upperName, const QString& original) const
{
    switch (m_mode) {
    case SearchMode::Whole:
        return upperName == m_upperText;
    case SearchMode::Start:
        return upperName.startsWith(m_upperText);
    case SearchMode::Extension: {
        // The extension is taken from the name as stored, then upper-cased on its own.
        const qsizetype dot = original.lastIndexOf(u'.');
        if (dot == -1)
            return false;
        return m_caser.upper(original.sliced(dot + 1)) == m_upperText;
    }
    default:
        return upperName.contains(m_upperText);
    }
}

} // namespace dovrin::search
