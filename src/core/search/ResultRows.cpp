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
    m_textUsed = 0;
    m_textCapacity = 0;
    m_nextTextBlock = kFirstTextBlock;
}

char16_t* ResultRows::reserveText(uint32_t length, Span& span)
{
    if (m_text.empty() || length > m_textCapacity - m_textUsed) {
        // Blocks grow from small to large; a text longer than a block gets one of its own.
        const uint32_t grown = m_nextTextBlock;
        m_nextTextBlock = qMin(kTextBlock, grown * 4);
        const uint32_t size = qMax(length, grown);
        if (m_text.size() >= (size_t(1) << (32 - kTextShift)))
            throw std::bad_alloc();
        TextBlock& block = m_text.emplace_back();
        if (size >= kTextBlock) {
            block.large = LargeBuffer(size_t(size) * sizeof(char16_t));
            block.data = block.large.as<char16_t>();
        } else {
            block.small.reset(new char16_t[size]);
            block.data = block.small.get();
        }
        m_textCapacity = size > kTextBlock ? 0 : size;
        m_textUsed = size > kTextBlock ? 0 : length;
        span.at = uint32_t(m_text.size() - 1) << kTextShift;
        span.length = length;
        return block.data;
    }
    span.at = (uint32_t(m_text.size() - 1) << kTextShift) | m_textUsed;
    span.length = length;
    char16_t* out = m_text.back().data + m_textUsed;
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

void ResultRows::setName(Entry& entry, QStringView name)
{
    if (uint32_t(name.size()) > Entry::kMaxLength) {
        entry.addFlags(LongName);
        extraOf(entry).name = name.toString();
        return;
    }
    const Span span = addText(name);
    entry.nameAt = span.at;
    entry.lengthAndFlags = span.length | (entry.lengthAndFlags & ~Entry::kMaxLength);
}

void ResultRows::setDecodedName(Entry& entry, QByteArrayView name)
{
    if (uint32_t(name.size()) > Entry::kMaxLength / 2) {
        setName(entry, text::decode(name));
        return;
    }
    const Span span = addDecoded(name);
    entry.nameAt = span.at;
    entry.lengthAndFlags = span.length | (entry.lengthAndFlags & ~Entry::kMaxLength);
}

void ResultRows::addRow(Entry entry)
{
    entry.folder = uint32_t(m_folders.size() - 1);
    m_entries.push_back(entry);
}

void ResultRows::addReducedFile(QByteArrayView name, qint64 size)
{
    Entry entry{};
    entry.setFlags(HasSize);
    setDecodedName(entry, name);
    entry.size = size;
    addRow(entry);
}

void ResultRows::addFile(QByteArrayView name, qint64 size, RecordDateTime modified)
{
    Entry entry{};
    entry.setFlags(HasSize | HasModified);
    setDecodedName(entry, name);
    entry.size = size;
    entry.modified = modified.seconds();
    addRow(entry);
}

void ResultRows::addFolder(QByteArrayView name)
{
    Entry entry{};
    entry.setFlags(FolderKey | uint8_t(uint8_t(SearchRow::Image::Closed) << ImageShift));
    setDecodedName(entry, name);
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
    Entry entry{};
    entry.folder = uint32_t(m_folders.size() - 1);
    entry.setFlags(uint8_t(uint8_t(row.image) << ImageShift));
    setName(entry, row.name);
    if (row.hasSize) {
        entry.addFlags(HasSize);
        entry.size = row.size;
    }
    if (row.hasModified) {
        entry.addFlags(HasModified);
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
        entry.addFlags(FolderKey);
    } else {
        entry.addFlags(StoredKey);
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
        if (!(entry.flags() & LongName)) {
            const Span name = addText(other.text(Span{entry.nameAt, entry.nameLength()}));
            entry.nameAt = name.at;
        }
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
    if (entry.flags() & StoredKey)
        return m_extras[entry.extra - 1].key;
    const QStringView folder = text(m_folders[entry.folder]);
    const QStringView name = this->name(i);
    const bool slash = entry.flags() & FolderKey;
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
    if (entry.flags() & StoredKey)
        return m_extras[entry.extra - 1].key == key;
    const QStringView folder = text(m_folders[entry.folder]);
    const QStringView name = this->name(i);
    const bool slash = entry.flags() & FolderKey;
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
