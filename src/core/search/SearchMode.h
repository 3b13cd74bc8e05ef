#pragma once

#include <QString>

namespace dovrin::search {

// The eight search options; exactly one runs per search.
enum class SearchMode
{
    Name,       // part of the file name
    Extension,  // the file extension, after the last "."
    Whole,      // the whole file name
    Start,      // the start of a file name
    Everything, // list every file; the text is not used
    Comments,   // part of a file comment
    Folder,     // part of a folder's name followed by "\"
    DiskName,   // part of a disk's record path
};

// True for the modes that test file names in the file-list files.
constexpr bool testsFileNames(SearchMode mode)
{
    return mode == SearchMode::Name || mode == SearchMode::Extension || mode == SearchMode::Whole ||
           mode == SearchMode::Start;
}

} // namespace dovrin::search
