#pragma once

#include "ChangeResult.h"

#include <QString>
#include <functional>

namespace dovrin {

class Database;
class Prompt;

// The Disk menu's delete, rename and move without their window: the record files change as
// one (ChangeJournal), the comment store follows, then the disk table and the tree. Questions
// and problems go through the prompt.
class DiskChanges
{
public:
    DiskChanges(Database& database, Prompt& prompt, ChangeHooks hooks = {});

    // Each takes the selected disk's key (Holidays\Photos\), empty when nothing is selected.
    // Asks "Delete?" (No by default); on Done the disk is out of the table and the tree.
    ChangeResult remove(const QString& diskKey);
    // Asks for the new name; the disk keeps its table entry, and its node comes back under
    // the new key, not yet read.
    ChangeResult rename(const QString& diskKey);

    // Given the catalogue to leave out ("." for the pseudo-catalogue), returns the target:
    // "Holidays\", ".\", or ":" when nothing was chosen.
    using TargetChooser = std::function<QString(const QString& leaveOut)>;
    // On Done the disk stands last in the table, its node (not yet read) under the target.
    ChangeResult move(const QString& diskKey, const TargetChooser& chooseTarget);

private:
    // Takes the journal's lock and checks that no scan of another process holds the record;
    // false after saying why.
    bool mayChange(class ChangeJournal& journal, const QString& recordPath);

    Database& m_database;
    Prompt& m_prompt;
    ChangeHooks m_hooks;
};

} // namespace dovrin
