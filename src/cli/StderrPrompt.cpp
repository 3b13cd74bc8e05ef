#include "CliSupport.h"

#include <cstdio>

namespace dovrin::cli {

PromptAnswer StderrPrompt::ask(const PromptRequest& request)
{
    QString text = request.text;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(text));
    switch (request.buttons) {
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
        return PromptAnswer::Ok;
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
        return PromptAnswer::No;
    }
    return PromptAnswer::No;
}

} // namespace dovrin::cli
