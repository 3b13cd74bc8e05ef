#include "CliSupport.h"
#include "Commands.h"
#include "comments/CommentEdit.h"
#include "comments/CommentStore.h"
#include "store/DatabaseFolder.h"

#include <cstdio>

namespace dovrin::cli {

// comment KEY prints the comment (nothing when none); comment KEY TEXT stores TEXT the way the
// edit command would, except that an empty TEXT clears the comment without asking.
int runComment(CliContext& context)
{
    if (context.args.isEmpty() || context.args.size() > 2) {
        std::fprintf(stderr, "Usage: dovrin-cli [--database DIR] comment KEY [TEXT]\n");
        return kRefused;
    }
    DatabaseFolder folder;
    if (!resolveDatabaseFolder(context, folder))
        return kFailure;
    CommentStore store(folder);
    const QString& key = context.args.first();
    const QString current = store.get(key);
    if (!store.lastError().isEmpty()) {
        std::fprintf(stderr, "dovrin-cli: %s\n", qPrintable(store.lastError()));
        return kFailure;
    }
    if (context.args.size() == 1) {
        if (!current.isEmpty())
            std::printf("%s\n", current.toUtf8().constData());
        return kSuccess;
    }
    const QString comment = comments::normalizedComment(context.args.at(1));
    if (comment == current)
        return kSuccess;
    if (!store.set(key, comment)) {
        std::fprintf(stderr, "dovrin-cli: %s\n", qPrintable(store.lastError()));
        return kFailure;
    }
    return kSuccess;
}

} // namespace dovrin::cli
