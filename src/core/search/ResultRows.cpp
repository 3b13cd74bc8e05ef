#include "ResultRows.h"

#include "store/TextCodec.h"

#include <cstring>
#include <new>

namespace dovrin::search {

namespace {

constexpr QChar kBackslash = u'\\';

} // namespace

void SearchSink::addRows(const ResultRows& rows, size_t first, size_t count)
{
    for (size_t i = first; i < first + count; ++i)
        addRow(rows.row(i));
}

void ResultRows::clear()
{
    m_entries.clear();
    m_folders.clear();
    m_folders.shrink_to_fit();
    m_extras.clear();
    m_extras.shrink_to_fit();
    m_text.clear();
    m_text.shrink_to_fit();
    m_textUsed = kTextBlock;
}

char16_t* ResultRows::reserveText(uint32_t length, Span& span)
{
    if (m_text.empty() || length > kTextBlock - m_textUsed) {
        // A text longer than a block gets a block of its own; the next starts a new one.
        const uint32_t size = length > kTextBlock ? length : kTextBlock;
        if (m_text.size() >= (size_t(1) << (32 - kTextShift)))
            throw std::bad_alloc();
        m_text.push_back(std::make_unique<char16_t[]>(size));
        m_textUsed = length > kTextBlock ? kTextBlock : length;
        span.at = uint32_t(m_text.size() - 1) << kTextShift;
        span.length = length;
        return m_text.back().get();
    }
    span.at = (uint32_t(m_text.size() - 1) << kTextShift) | m_textUsed;
    span.length = length;
    char16_t* out = m_text.back().get() + m_textUsed;
    m_textUsed += length;
    return out;
}

ResultRows::Span ResultRows::addText(QStringView text)
{
    Span span;
    char16_t* out = reserveText(uint32_t(text.size()), span);
    if (!text.isEmpty())
        std::memcpy(out, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    return span;
}

ResultRows::Span ResultRows::addDecoded(QByteArrayView bytes)
{
    // ASCII (nearly every name) is widened in place; anything else is decoded as the
    // record readers decode it.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n && p[i] < 0x80)
        ++i;
    if (i < n)
        return addText(text::decode(bytes));
    Span span;
    char16_t* out = reserveText(uint32_t(n), span);
    for (qsizetype k = 0; k < n; ++k)
        out[k] = char16_t(p[k]);
    return span;
}

void ResultRows::beginFolder(QStringView containerKey)
{
    if (!m_folders.empty() && text(m_folders.back()) == containerKey)
        return;
    m_folders.push_back(addText(containerKey));
}

void ResultRows::addRow(Entry entry)
{
    entry.folder = uint32_t(m_folders.size() - 1);
    m_entries.push_back(entry);
}

void ResultRows::addReducedFile(QByteArrayView name, qint64 size)
{
    Entry entry;
    entry.name = addDecoded(name);
    entry.size = size;
    entry.flags = HasSize;
    addRow(entry);
}

void ResultRows::addFile(QByteArrayView name, qint64 size, RecordDateTime modified)
{
    Entry entry;
    entry.name = addDecoded(name);
    entry.size = size;
    entry.modified = modified.seconds();
    entry.flags = HasSize | HasModified;
    addRow(entry);
}

void ResultRows::addFolder(QByteArrayView name)
{
    Entry entry;
    entry.name = addDecoded(name);
    entry.flags = FolderKey | uint8_t(uint8_t(SearchRow::Image::Closed) << ImageShift);
    addRow(entry);
}

ResultRows::Extra& ResultRows::extraOf(Entry& entry)
{
    if (entry.extra == 0) {
        m_extras.emplace_back();
        entry.extra = uint32_t(m_extras.size());
    }
    return m_extras[entry.extra - 1];
}

void ResultRows::append(const SearchRow& row)
{
    beginFolder(row.inFolder);
    Entry entry;
    entry.name = addText(row.name);
    entry.folder = uint32_t(m_folders.size() - 1);
    entry.flags = uint8_t(uint8_t(row.image) << ImageShift);
    if (row.hasSize) {
        entry.flags |= HasSize;
        entry.size = row.size;
    }
    if (row.hasModified) {
        entry.flags |= HasModified;
        entry.modified = row.modified.seconds();
    }
    // Most keys are the container key and the name, some with "\" after it.
    const qsizetype folderLength = row.inFolder.size();
    const qsizetype nameLength = row.name.size();
    const QStringView key(row.key);
    const bool prefixed =
        key.startsWith(row.inFolder) && QStringView(key).sliced(folderLength).startsWith(row.name);
    if (prefixed && key.size() == folderLength + nameLength) {
        // container key and name
    } else if (prefixed && key.size() == folderLength + nameLength + 1 &&
               key.back() == kBackslash) {
        entry.flags |= FolderKey;
    } else {
        entry.flags |= StoredKey;
        extraOf(entry).key = row.key;
    }
    if (!row.comment.isEmpty())
        extraOf(entry).comment = row.comment;
    m_entries.push_back(entry);
}

void ResultRows::append(const ResultRows& other, size_t first, size_t count)
{
    uint32_t lastOther = UINT32_MAX;
    for (size_t i = first; i < first + count; ++i) {
        Entry entry = other.m_entries[i];
        if (entry.folder != lastOther) {
            lastOther = entry.folder;
            beginFolder(other.text(other.m_folders[entry.folder]));
        }
        entry.folder = uint32_t(m_folders.size() - 1);
        entry.name = addText(other.text(entry.name));
        if (entry.extra != 0) {
            m_extras.push_back(other.m_extras[entry.extra - 1]);
            entry.extra = uint32_t(m_extras.size());
        }
        m_entries.push_back(entry);
    }
}

void ResultRows::setComment(size_t row, const QString& comment)
{
    Entry& entry = m_entries[row];
    if (comment.isEmpty() && entry.extra == 0)
        return;
    extraOf(entry).comment = comment;
}

QString ResultRows::key(size_t i) const
{
    const Entry& entry = m_entries[i];
    if (entry.flags & StoredKey)
        return m_extras[entry.extra - 1].key;
    const QStringView folder = text(m_folders[entry.folder]);
    const QStringView name = text(entry.name);
    const bool slash = entry.flags & FolderKey;
    QString key(folder.size() + name.size() + (slash ? 1 : 0), Qt::Uninitialized);
    QChar* out = key.data();
    std::memcpy(out, folder.data(), size_t(folder.size()) * sizeof(QChar));
    std::memcpy(out + folder.size(), name.data(), size_t(name.size()) * sizeof(QChar));
    if (slash)
        out[folder.size() + name.size()] = kBackslash;
    return key;
}

bool ResultRows::keyEquals(size_t i, QStringView key) const
{
    const Entry& entry = m_entries[i];
    if (entry.flags & StoredKey)
        return m_extras[entry.extra - 1].key == key;
    const QStringView folder = text(m_folders[entry.folder]);
    const QStringView name = text(entry.name);
    const bool slash = entry.flags & FolderKey;
    if (key.size() != folder.size() + name.size() + (slash ? 1 : 0))
        return false;
    if (slash && key.back() != kBackslash)
        return false;
    return key.first(folder.size()) == folder && key.sliced(folder.size(), name.size()) == name;
}

QStringView ResultRows::comment(size_t i) const
{
    const Entry& entry = m_entries[i];
    return entry.extra == 0 ? QStringView() : QStringView(m_extras[entry.extra - 1].comment);
}

SearchRow ResultRows::row(size_t i) const
{
    SearchRow row;
    row.key = key(i);
    row.name = name(i).toString();
    row.inFolder = inFolder(i).toString();
    row.size = size(i);
    row.hasSize = hasSize(i);
    row.modified = modified(i);
    row.hasModified = hasModified(i);
    row.comment = comment(i).toString();
    row.image = image(i);
    return row;
}

} // namespace dovrin::search
