#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace dovrin::scan {

// Reads one folder's entries straight from the kernel (getdents64) into a reused buffer:
// no allocation and no stat per entry. Symbolic links are never followed into folders.
class DirectoryReader
{
public:
    struct Entry
    {
        QByteArrayView name;
        unsigned char type; // DT_* from the directory entry; DT_UNKNOWN when the FS does not say
    };

    DirectoryReader();
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;

    // Opens the folder `name` inside the open folder `parentFd`. False with error() set.
    bool openAt(int parentFd, const char* name);
    // Opens a folder by its absolute path (ending with "/" or not), also one longer than
    // the kernel takes in one piece.
    bool openPath(const QByteArray& path);
    // The next entry other than "." and ".."; false at the end or on an error.
    bool next(Entry& entry);
    int fd() const { return m_fd; }
    // Hands the open folder over to the caller, who closes it.
    int release();
    void close();
    int error() const { return m_error; }

private:
    void reset(int fd);
    int m_fd = -1;
    int m_error = 0;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    size_t m_pos = 0;
};

} // namespace dovrin::scan
