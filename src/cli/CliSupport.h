#pragma once

#include "CliContext.h"
#include "common/Progress.h"
#include "common/Prompt.h"
#include "files/RealPath.h"

#include <memory>

namespace dovrin {
class Database;
class DatabaseFolder;
namespace search {
class CommentLookup;
}
} // namespace dovrin

namespace dovrin::cli {

// Prints every message and question on stderr ("Title: text"). Questions get No, so the tool
// never deletes what the user did not name; OK/Cancel problems take their OK branch.
class StderrPrompt final : public Prompt
{
public:
    PromptAnswer ask(const PromptRequest& request) override;
};

// On a terminal, draws the status and a progress bar on stderr; otherwise stays quiet.
// Ctrl+C asks the job to stop (a second Ctrl+C ends the process at once).
class TerminalProgress final : public Progress
{
public:
    TerminalProgress();
    ~TerminalProgress() override;

    void setStatus(int line, const QString& text) override;
    void setValue(int value) override;
    bool yield() override;
    bool yieldMany(int) override { return stopRequested(); } // a yield only looks at Ctrl+C
    bool stopRequested() const override;
    void requestStop() override;

    // Clears the bar line so that later output starts on a clean line.
    void finish();

private:
    void draw();
    bool m_terminal;
    bool m_drawn = false;
    int m_value = 0;
    QString m_status;
    qint64 m_lastDraw = 0;
};

// Resolves the database folder (--database, else the settings' DatabasePath, else the
// program folder) and loads it, reporting bad records through the prompt.
// Returns false, after saying why on stderr, when the folder cannot be used.
bool openDatabase(const CliContext& context, Database& database);
// The same, reading the comment store on another core while this one loads the disks, which
// it does alone: for commands that list rows with their comments.
bool openDatabase(const CliContext& context, Database& database,
                  std::unique_ptr<search::CommentLookup>& comments);
// The same choice of folder, without loading it: for commands that need no disk table.
bool resolveDatabaseFolder(const CliContext& context, DatabaseFolder& folder);

// The key of a catalogued file or folder, with "/" taken for "\", and its real path.
struct LocatedKey
{
    QString key;
    files::RealPath path;
};
// For commands whose one argument (of argumentCount) is a KEY: loads the database and finds
// the key's real path. kSuccess, or the exit status after saying why: wrong arguments, a
// database that cannot be used, or a key that no loaded disk holds.
int locateKey(CliContext& context, qsizetype argumentCount, const char* usage, Database& database,
              LocatedKey& located);

} // namespace dovrin::cli
