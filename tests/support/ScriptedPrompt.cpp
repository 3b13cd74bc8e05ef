#include "ScriptedPrompt.h"

namespace dovrin::test {

PromptAnswer ScriptedPrompt::ask(const PromptRequest& request)
{
    m_requests.append(request);
    return m_answers.isEmpty() ? request.defaultAnswer : m_answers.takeFirst();
}

bool ScriptedPrompt::input(const QString& title, const QString& label, QString& text)
{
    m_requests.append({title, label, PromptIcon::None, PromptButtons::OkCancel, PromptAnswer::Ok});
    if (m_inputs.isEmpty())
        return false;
    const auto [value, ok] = m_inputs.takeFirst();
    if (ok)
        text = value;
    return ok;
}

QStringList ScriptedPrompt::texts() const
{
    QStringList out;
    for (const auto& r : m_requests)
        out << r.text;
    return out;
}

QStringList ScriptedPrompt::titles() const
{
    QStringList out;
    for (const auto& r : m_requests)
        out << r.title;
    return out;
}

} // namespace dovrin::test
