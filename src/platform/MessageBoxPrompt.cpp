#include "MessageBoxPrompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace dovrin::platform {

namespace {

struct QueuedInput
{
    QString text;
    bool accepted = true;
};

struct TestHooks
{
    QList<PromptAnswer> answers;
    QList<QueuedInput> inputs;
    QList<PromptRequest> answered;
};

TestHooks& hooks()
{
    static TestHooks instance;
    return instance;
}

QMessageBox::Icon boxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok:
        return QMessageBox::Ok;
    case PromptButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton boxButton(PromptAnswer answer)
{
    switch (answer) {
    case PromptAnswer::Ok:
        return QMessageBox::Ok;
    case PromptAnswer::Cancel:
        return QMessageBox::Cancel;
    case PromptAnswer::Yes:
        return QMessageBox::Yes;
    case PromptAnswer::No:
        return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

PromptAnswer answerOf(int button, PromptButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return PromptAnswer::Ok;
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    case QMessageBox::Cancel:
        return PromptAnswer::Cancel;
    default:
        break;
    }
    // Closed without a button (Escape on a box without an escape button).
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
}

} // namespace

PromptAnswer MessageBoxPrompt::ask(const PromptRequest& request)
{
    TestHooks& h = hooks();
    if (!h.answers.isEmpty()) {
        h.answered.append(request);
        return h.answers.takeFirst();
    }

    QMessageBox box(boxIcon(request.icon), request.title, request.text, boxButtons(request.buttons),
                    m_owner);
    const QMessageBox::StandardButton defaultButton = boxButton(request.defaultAnswer);
    if (box.standardButtons() & defaultButton)
        box.setDefaultButton(defaultButton);
    if (request.buttons == PromptButtons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    // A message may come while the busy pointer is up; the box itself must not look busy.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int button = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    return answerOf(button, request.buttons);
}

bool MessageBoxPrompt::input(const QString& title, const QString& label, QString& text)
{
    TestHooks& h = hooks();
    if (!h.inputs.isEmpty()) {
        h.answered.append(
            {title, label, PromptIcon::None, PromptButtons::OkCancel, PromptAnswer::Ok});
        const QueuedInput next = h.inputs.takeFirst();
        if (next.accepted)
            text = next.text;
        return next.accepted;
    }

    bool accepted = false;
    const QString result =
        QInputDialog::getText(m_owner, title, label, QLineEdit::Normal, text, &accepted);
    if (accepted)
        text = result;
    return accepted;
}

void MessageBoxPrompt::setNextAnswer(PromptAnswer answer)
{
    hooks().answers.append(answer);
}

void MessageBoxPrompt::setNextInput(const QString& text, bool accepted)
{
    hooks().inputs.append({text, accepted});
}

const QList<PromptRequest>& MessageBoxPrompt::answeredRequests()
{
    return hooks().answered;
}

int MessageBoxPrompt::pendingAnswers()
{
    return int(hooks().answers.size() + hooks().inputs.size());
}

void MessageBoxPrompt::resetTestHooks()
{
    hooks() = TestHooks();
}

} // namespace dovrin::platform
