// The search's test of a name against the search text, in every mode and several locales.
// Input: a mode and locale byte, the search text, NUL, the name.
#include "FuzzSupport.h"
#include "search/TextMatcher.h"
#include "store/TextCodec.h"

#include <array>

using namespace dovrin;
using search::SearchMode;

namespace {

const std::array<QLocale, 6> kLocales = {
    QLocale::c(),
    QLocale(QLocale::English, QLocale::UnitedStates),
    QLocale(QLocale::Turkish, QLocale::Turkey),
    QLocale(QLocale::German, QLocale::Germany),
    QLocale(QLocale::Greek, QLocale::Greece),
    QLocale(QLocale::Lithuanian, QLocale::Lithuania),
};

const std::array<SearchMode, 6> kModes = {SearchMode::Name,     SearchMode::Extension,
                                          SearchMode::Whole,    SearchMode::Start,
                                          SearchMode::Comments, SearchMode::Folder};

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    if (data.isEmpty())
        return;
    const auto choice = static_cast<unsigned char>(data[0]);
    const QList<QByteArrayView> parts = fuzz::split(data.sliced(1), '\0', 2);
    if (parts.size() < 2 || parts[0].isEmpty())
        return;
    static std::array<std::unique_ptr<search::UpperCaser>, kLocales.size()> casers;
    auto& caser = casers[choice % kLocales.size()];
    if (!caser)
        caser = std::make_unique<search::UpperCaser>(kLocales[choice % kLocales.size()]);
    const SearchMode mode = kModes[(choice / kLocales.size()) % kModes.size()];

    const QString upperText = caser->upper(text::decode(parts[0]));
    const search::TextMatcher matcher(mode, upperText, *caser);
    const QByteArrayView name = parts[1];
    const QString decoded = text::decode(name);

    // The rule as the modes state it, on the whole decoded name.
    const QString upperName = caser->upper(decoded);
    bool expected = false;
    switch (mode) {
    case SearchMode::Whole:
        expected = upperName == upperText;
        break;
    case SearchMode::Start:
        expected = upperName.startsWith(upperText);
        break;
    case SearchMode::Extension: {
        const qsizetype dot = decoded.lastIndexOf(u'.');
        expected = dot >= 0 && caser->upper(decoded.sliced(dot + 1)) == upperText;
        break;
    }
    default:
        expected = upperName.contains(upperText);
        break;
    }
    fuzz::require(matcher.matches(name) == expected, "the byte test disagrees with the rule",
                  upperText + u'|' + decoded);
    fuzz::require(matcher.matches(decoded) == expected, "the text test disagrees with the rule",
                  upperText + u'|' + decoded);

    // The folded search the file-list walk relies on.
    if (!matcher.asciiNeedle().isEmpty()) {
        const qsizetype at = search::findAsciiFolded(name, matcher.asciiNeedle());
        QByteArray upperBytes = name.toByteArray();
        for (char& c : upperBytes) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 32);
        }
        fuzz::require(at == upperBytes.indexOf(matcher.asciiNeedle()),
                      "the folded search finds another place", upperText + u'|' + decoded);
    }
}
