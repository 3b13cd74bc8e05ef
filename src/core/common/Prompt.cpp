#include "Prompt.h"

namespace dovrin {

bool Prompt::input(const QString&, const QString&, QString&)
{
    return false;
}

void Prompt::message(const QString& title, const QString& text, PromptIcon icon)
{
    ask({title, text, icon, PromptButtons::Ok, PromptAnswer::Ok});
}

bool Prompt::yesNo(const QString& title, const QString& text, PromptIcon icon,
                   PromptAnswer defaultAnswer)
{
    return ask({title, text, icon, PromptButtons::YesNo, defaultAnswer}) == PromptAnswer::Yes;
}

bool Prompt::okCancel(const QString& title, const QString& text, PromptIcon icon)
{
    return ask({title, text, icon, PromptButtons::OkCancel, PromptAnswer::Ok}) == PromptAnswer::Ok;
}

} // namespace dovrin
