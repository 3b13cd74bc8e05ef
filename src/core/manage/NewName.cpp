#include "NewName.h"

#include "common/Prompt.h"

namespace dovrin {

QString askNewName(Prompt& prompt, const QString& kind, const QString& oldName)
{
    QString newName = oldName;
    if (!prompt.input(QStringLiteral("Input required"),
                      QStringLiteral("Please enter the new name for the ") + kind +
                          QStringLiteral(" '") + oldName + QStringLiteral("':"),
                      newName))
        return {};
    return newName.trimmed();
}

} // namespace dovrin
