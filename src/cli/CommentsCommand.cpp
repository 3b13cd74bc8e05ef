#include "CliSupport.h"
#include "Commands.h"
#include "comments/CommentStore.h"
#include "store/DatabaseFolder.h"

#include <cstdio>

namespace dovrin::cli {

// Lists key TAB comment in store order, optionally only the keys that begin with a prefix.
int runComments(CliContext& context)
{
    if (context.args.size() > 1) {
        std::fprintf(stderr, "Usage: dovrin-cli [--database DIR] comments [PREFIX]\n");
        return kRefused;
    }
    DatabaseFolder folder;
    if (!resolveDatabaseFolder(context, folder))
        return kFailure;
    const QString prefix = context.args.value(0);
    CommentStore store(folder);
    const QList<CommentEntry> entries = store.entries();
    if (!store.lastError().isEmpty()) {
        std::fprintf(stderr, "dovrin-cli: %s\n", qPrintable(store.lastError()));
        return kFailure;
    }
    QByteArray out;
    for (const CommentEntry& e : entries) {
        if (!e.key.startsWith(prefix))
            continue;
        out += e.key.toUtf8() + '\t' + e.comment.toUtf8() + '\n';
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    if (store.unreadableLines() > 0)
        std::fprintf(stderr,
                     "dovrin-cli: %d line(s) of FileComments.dat are not comments; "
                     "they are kept as they are\n",
                     store.unreadableLines());
    return kSuccess;
}

} // namespace dovrin::cli
