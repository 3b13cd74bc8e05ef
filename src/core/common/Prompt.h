#pragma once

#include <QString>

namespace dovrin {

enum class PromptIcon
{
    None,
    Information,
    Question,
    Exclamation,
    Critical
};
enum class PromptButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
enum class PromptAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

// One message box: what the core wants to say or ask.
struct PromptRequest
{
    QString title;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

// The one way the core talks to the user. The windows answer with a real message box,
// the command-line tool on stderr, the tests from a script of answers.
class Prompt
{
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer ask(const PromptRequest& request) = 0;

    // An input box; returns false when the user cancelled.
    virtual bool input(const QString& title, const QString& label, QString& text);

    // Shorthands for the common shapes.
    void message(const QString& title, const QString& text, PromptIcon icon);
    void error(const QString& text)
    {
        message(QStringLiteral("Error"), text, PromptIcon::Critical);
    }
    bool yesNo(const QString& title, const QString& text, PromptIcon icon,
               PromptAnswer defaultAnswer = PromptAnswer::Yes);
    bool okCancel(const QString& title, const QString& text, PromptIcon icon);
};

// Answers every question with its default and says nothing: for code paths that must not block.
class SilentPrompt final : public Prompt
{
public:
    PromptAnswer ask(const PromptRequest& request) override { return request.defaultAnswer; }
};

} // namespace dovrin
