#include "FileListStream.h"

#include <cstring>

namespace dovrin {

bool FileListStream::open(const QString& nativePath)
{
    m_file.close();
    m_file.setFileName(nativePath);
    m_size = m_wholeEnd = 0;
    m_lineOffset = 0;
    m_atEnd = false;
    m_fields = FieldReader(QByteArrayView());
    m_error.clear();
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool FileListStream::next(FileListItem& item)
{
    if (!m_file.isOpen())
        return false;
    if (!m_atEnd && m_wholeEnd - m_fields.position() < kReadAhead && !refill())
        return false;
    return readFileListItem(m_fields, item, m_error, m_lineOffset);
}

// Moves the unread bytes to the front and reads on until enough whole lines lie ahead (a
// line longer than a block makes the buffer grow to hold it).
bool FileListStream::refill()
{
    const qsizetype consumed = m_fields.position();
    m_lineOffset += m_fields.line() - 1;
    const qsizetype kept = m_size - consumed;
    if (kept > 0)
        std::memmove(m_buffer.data(), m_buffer.constData() + consumed, size_t(kept));
    m_size = kept;
    do {
        if (m_buffer.size() < m_size + kBlockSize)
            m_buffer.resize(m_size + kBlockSize);
        const qint64 got = m_file.read(m_buffer.data() + m_size, kBlockSize);
        if (got < 0) {
            m_error = m_file.errorString();
            m_file.close();
            return false;
        }
        m_atEnd = got == 0;
        m_size += got;
        if (m_atEnd) {
            m_wholeEnd = m_size;
        } else {
            m_wholeEnd = QByteArrayView(m_buffer.constData(), m_size).lastIndexOf('\n') + 1;
        }
    } while (!m_atEnd && m_wholeEnd < kReadAhead);
    m_fields = FieldReader(QByteArrayView(m_buffer.constData(), m_wholeEnd));
    return true;
}

} // namespace dovrin
