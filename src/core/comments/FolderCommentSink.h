#pragma once

#include <QString>

namespace dovrin {

// Where the comments of one folder's rows go: the main window's file list. A row key that is
// not in the list is ignored by the sink.
class FolderCommentSink
{
public:
    virtual ~FolderCommentSink() = default;
    virtual void setComment(const QString& rowKey, const QString& comment) = 0;
};

} // namespace dovrin
