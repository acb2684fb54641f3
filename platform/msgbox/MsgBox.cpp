#include "platform/msgbox/MsgBox.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

#include <deque>
#include <utility>

namespace platform::msgbox {

namespace {

std::deque<std::int16_t>& Queue()
{
    static std::deque<std::int16_t> queue;
    return queue;
}

std::function<void(const Shown&)>& ShownHandler()
{
    static std::function<void(const Shown&)> handler;
    return handler;
}

std::vector<std::int16_t> ButtonsOf(std::int32_t buttons)
{
    switch (buttons & 7) {
    case Style::OKCancel: return {Answer::OK, Answer::Cancel};
    case Style::AbortRetryIgnore: return {Answer::Abort, Answer::Retry, Answer::Ignore};
    case Style::YesNoCancel: return {Answer::Yes, Answer::No, Answer::Cancel};
    case Style::YesNo: return {Answer::Yes, Answer::No};
    case Style::RetryCancel: return {Answer::Retry, Answer::Cancel};
    default: return {Answer::OK};
    }
}

QString Caption(std::int16_t answer)
{
    switch (answer) {
    case Answer::OK: return QStringLiteral("OK");
    case Answer::Cancel: return QStringLiteral("キャンセル");
    case Answer::Abort: return QStringLiteral("中止(&A)");
    case Answer::Retry: return QStringLiteral("再試行(&R)");
    case Answer::Ignore: return QStringLiteral("無視(&I)");
    case Answer::Yes: return QStringLiteral("はい(&Y)");
    default: return QStringLiteral("いいえ(&N)");
    }
}

QMessageBox::Icon IconOf(std::int32_t buttons)
{
    switch (buttons & 0x70) {
    case Style::Critical: return QMessageBox::Critical;
    case Style::Question: return QMessageBox::Question;
    case Style::Exclamation: return QMessageBox::Warning;
    case Style::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

std::int16_t EscapeAnswer(const std::vector<std::int16_t>& answers)
{
    for (std::int16_t a : answers)
        if (a == Answer::Cancel)
            return a;
    return answers.size() == 1 ? answers.front() : std::int16_t(0);
}

// A box raised while a dialog is in front belongs to that dialog, whoever asked for it: a modal
// one, or a modeless one the user works in. Closing, the box hands the activation back to its
// owner, so the dialog takes the keys again (Enter, Esc) instead of the window behind it.
QWidget* OwnerOf(QWidget* parent)
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeWindow()))
        return dialog;
    if (parent)
        return parent->window();
    return QApplication::activeWindow();
}

} // namespace

std::int16_t DefaultAnswer(std::int32_t buttons)
{
    const auto answers = ButtonsOf(buttons);
    const std::size_t index = static_cast<std::size_t>((buttons & 0xF00) >> 8);
    return answers[index < answers.size() ? index : 0];
}

std::int16_t MsgBox(const QString& prompt, std::int32_t buttons, const QString& title, QWidget* parent)
{
    QWidget* owner = OwnerOf(parent);
    ShownBoxes().push_back({prompt, buttons, title, owner});
    if (ShownHandler())
        ShownHandler()(ShownBoxes().back());
    if (!Queue().empty()) {
        const std::int16_t answer = Queue().front();
        Queue().pop_front();
        return answer;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return DefaultAnswer(buttons);

    const auto answers = ButtonsOf(buttons);
    QMessageBox box(IconOf(buttons), title, prompt, QMessageBox::NoButton, owner);
    std::vector<std::pair<QAbstractButton*, std::int16_t>> made;
    for (std::int16_t a : answers) {
        QPushButton* b = box.addButton(Caption(a), QMessageBox::ActionRole);
        made.emplace_back(b, a);
        if (a == DefaultAnswer(buttons))
            box.setDefaultButton(b);
    }
    const std::int16_t escape = EscapeAnswer(answers);
    for (auto& [button, answer] : made)
        if (answer == escape)
            box.setEscapeButton(button);
    box.exec();
    for (auto& [button, answer] : made)
        if (box.clickedButton() == button)
            return answer;
    return escape ? escape : answers.back();
}

void QueueAnswer(std::int16_t answer) { Queue().push_back(answer); }

void SetShownHandler(std::function<void(const Shown&)> handler) { ShownHandler() = std::move(handler); }

void ClearQueue()
{
    Queue().clear();
    ShownHandler() = nullptr;
    ShownBoxes().clear();
}

std::vector<Shown>& ShownBoxes()
{
    static std::vector<Shown> shown;
    return shown;
}

QStringList ShownPrompts()
{
    QStringList prompts;
    for (const Shown& box : ShownBoxes())
        prompts << box.prompt;
    return prompts;
}

} // namespace platform::msgbox
