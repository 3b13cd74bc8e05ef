#pragma once

#include <QString>
#include <functional>

namespace dovrin {

// How a catalogue or disk command ended.
enum class ChangeOutcome
{
    Done,
    Cancelled, // the user said no, gave an empty name, or there was nothing to act on
    Refused,   // the input broke a rule or named something taken; nothing was changed
    Failed,    // the file system or the comment store failed; nothing was changed, or the
               // message says what is left
};

struct ChangeResult
{
    ChangeOutcome outcome = ChangeOutcome::Cancelled;
    QString key = {}; // the catalogue's or disk's key after the change
};

// What a command does in the window besides the tree nodes; unset in dovrin-cli.
struct ChangeHooks
{
    // Unloads the search window, whose results could point at keys about to go.
    std::function<void()> closeSearch;
    // Empties the location and the file list and shows "Please wait..." before the tree is
    // filled again.
    std::function<void()> prepareListing;
};

} // namespace dovrin
