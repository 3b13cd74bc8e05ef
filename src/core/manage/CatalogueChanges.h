#pragma once

#include "ChangeResult.h"

#include <QString>
#include <QStringList>

namespace dovrin {

class Database;
class DatabaseFolder;
class Prompt;

// The Catalogue menu's commands without their window: create, delete and rename a catalogue
// folder and bring the comment store, the disk table and the tree into line. Names are asked
// for and problems told through the prompt; the window and dovrin-cli answer it each their way.
class CatalogueChanges
{
public:
    CatalogueChanges(Database& database, Prompt& prompt, ChangeHooks hooks = {});

    // Asks for the name; adds the new catalogue's node (not selected, children unsorted).
    ChangeResult create();
    // The selected node's key ("Holidays\"); empty when nothing is selected. Only an empty
    // folder goes (files whose names begin with "." are not counted, and then keep it).
    ChangeResult remove(const QString& catalogueKey);
    // Asks for the new name; the disks are loaded again under the renamed node.
    ChangeResult rename(const QString& catalogueKey);

private:
    Database& m_database;
    Prompt& m_prompt;
    ChangeHooks m_hooks;
};

inline constexpr char16_t kNoCatalogueText[] = u"<no catalogue>";

// The catalogues the loader loads, in the file system's listing order.
QStringList catalogueNames(const DatabaseFolder& database);
// What the catalogue chooser offers: "<no catalogue>" and then every catalogue, leaving out
// `leaveOut` (a catalogue name, or "." for the pseudo-catalogue), compared exactly.
QStringList catalogueChoices(const DatabaseFolder& database, const QString& leaveOut);
// The target of a choice: "Holidays\", or ".\" for "<no catalogue>".
QString targetOfChoice(const QString& choice);

} // namespace dovrin
