#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QStringList>

namespace dovrin::test {

// Answers questions from a script and records every request. Without a scripted answer it
// takes the request's default answer.
class ScriptedPrompt final : public Prompt
{
public:
    void answer(PromptAnswer next) { m_answers.append(next); }
    void answerInput(const QString& text, bool ok = true) { m_inputs.append({text, ok}); }

    PromptAnswer ask(const PromptRequest& request) override;
    bool input(const QString& title, const QString& label, QString& text) override;

    const QList<PromptRequest>& requests() const { return m_requests; }
    QStringList texts() const;
    QStringList titles() const;
    void clear() { m_requests.clear(); }

private:
    QList<PromptAnswer> m_answers;
    QList<QPair<QString, bool>> m_inputs;
    QList<PromptRequest> m_requests;
};

} // namespace dovrin::test
