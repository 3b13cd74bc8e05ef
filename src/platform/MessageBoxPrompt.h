#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace dovrin::platform {

// Shows the core's messages and questions as real message boxes, and its input boxes as
// QInputDialog. Tests queue answers with setNextAnswer()/setNextInput(): a queued answer is
// taken instead of opening the box, and the request is recorded so the test can check it.
class MessageBoxPrompt final : public Prompt
{
public:
    explicit MessageBoxPrompt(QWidget* owner = nullptr) : m_owner(owner) {}

    void setOwner(QWidget* owner) { m_owner = owner; }

    PromptAnswer ask(const PromptRequest& request) override;
    bool input(const QString& title, const QString& label, QString& text) override;

    // Test hooks. Answers are used in the order queued, one per box.
    static void setNextAnswer(PromptAnswer answer);
    static void setNextInput(const QString& text, bool accepted = true);
    // Requests answered from the queue, oldest first; input boxes appear with their label
    // as the text and PromptButtons::OkCancel.
    static const QList<PromptRequest>& answeredRequests();
    static int pendingAnswers();
    static void resetTestHooks();

private:
    QPointer<QWidget> m_owner;
};

} // namespace dovrin::platform
