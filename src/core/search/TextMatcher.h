#pragma once

#include "SearchMode.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLocale>
#include <QString>

namespace dovrin::search {

// Upper-cases by the user's locale. For most languages this is Unicode's own mapping
// (É -> É, ß -> SS), which QString does without the locale's slower machinery; the languages
// with their own rules (Turkish dotted i, Greek accents, ...) go through the locale.
class UpperCaser
{
public:
    explicit UpperCaser(const QLocale& locale = QLocale());
    QString upper(const QString& text) const;
    // True when upper-casing an ASCII text is plain ASCII upper-casing.
    bool asciiIsPlain() const { return m_asciiIsPlain; }
    // True when a text upper-cases character by character, each whatever its neighbours, the
    // same in every locale: the locale's own rules (Turkish, Lithuanian, Greek) are not used.
    bool isPerCharacter() const { return !m_viaLocale; }

private:
    QLocale m_locale;
    bool m_viaLocale = false;
    bool m_asciiIsPlain = true;
};

// One mode's test of a name (or a comment, or a record path) against the upper-cased search
// text, ignoring letter case. ASCII names are compared byte by byte; a name with any other
// byte is decoded and upper-cased by the locale first.
class TextMatcher
{
public:
    TextMatcher(SearchMode mode, const QString& upperText, const UpperCaser& caser);

    // A name as a record file holds it (UTF-8, or Windows-1252 from older records).
    bool matches(QByteArrayView name) const;
    bool matches(const QString& text) const;

    // The search text as upper-case ASCII bytes; empty when it holds other characters.
    QByteArrayView asciiNeedle() const { return m_asciiNeedle; }
    // False when only names with non-ASCII bytes can match (the text has such characters).
    bool asciiNamesCanMatch() const { return m_needleIsAscii; }
    // True when ASCII names may be tested byte by byte.
    bool asciiNamesFast() const { return m_caser.asciiIsPlain(); }

private:
    bool matchesAscii(QByteArrayView name) const;
    // False when the name's ASCII bytes lack one that the text needs and that no other
    // character can give by upper-casing.
    bool mayHoldNeedle(QByteArrayView name) const;
    bool matchesUpper(const QString& upperName, const QString& original) const;

    SearchMode m_mode;
    QString m_upperText;
    QByteArray m_asciiNeedle;
    bool m_needleIsAscii = true;
    uint64_t m_needs[2] = {0, 0}; // those bytes of the ASCII text, as bits
    const UpperCaser& m_caser;
};

// Finds the upper-case ASCII needle in bytes, ignoring the case of ASCII letters.
qsizetype findAsciiFolded(QByteArrayView haystack, QByteArrayView upperNeedle);
bool isAscii(QByteArrayView bytes);

} // namespace dovrin::search
