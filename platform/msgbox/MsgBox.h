#pragma once

// Message boxes with the old styles and answer codes. Tests queue answers, and offscreen a box
// without a queued answer takes its default button, so nothing modal ever blocks a test.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace platform::msgbox {

namespace Style {
constexpr std::int32_t OKOnly = 0;
constexpr std::int32_t OKCancel = 1;
constexpr std::int32_t AbortRetryIgnore = 2;
constexpr std::int32_t YesNoCancel = 3;
constexpr std::int32_t YesNo = 4;
constexpr std::int32_t RetryCancel = 5;
constexpr std::int32_t Critical = 16;
constexpr std::int32_t Question = 32;
constexpr std::int32_t Exclamation = 48;
constexpr std::int32_t Information = 64;
constexpr std::int32_t DefaultButton1 = 0;
constexpr std::int32_t DefaultButton2 = 256;
constexpr std::int32_t DefaultButton3 = 512;
} // namespace Style

namespace Answer {
constexpr std::int16_t OK = 1;
constexpr std::int16_t Cancel = 2;
constexpr std::int16_t Abort = 3;
constexpr std::int16_t Retry = 4;
constexpr std::int16_t Ignore = 5;
constexpr std::int16_t Yes = 6;
constexpr std::int16_t No = 7;
} // namespace Answer

// Shows a modal message box and returns the answer code of the button pressed
// (Esc or closing answers Cancel where there is one, else the only or last button). The box is
// centred on the window that raised it: the modal dialog in front when one is open, else the
// dialog that is the active window, else the parent's window, else the active window.
std::int16_t MsgBox(const QString& prompt, std::int32_t buttons, const QString& title, QWidget* parent = nullptr);

// The answer of a style's default button (what Enter presses).
std::int16_t DefaultAnswer(std::int32_t buttons);

// Test seam: answers given in order to the next boxes, and the boxes shown so far.
struct Shown {
    QString prompt;
    std::int32_t buttons;
    QString title;
    QWidget* owner = nullptr; // the window the box is centred on
};
void QueueAnswer(std::int16_t answer);
// Runs as each box is shown, before its answer is given; ClearQueue removes it.
void SetShownHandler(std::function<void(const Shown&)> handler);
void ClearQueue();
std::vector<Shown>& ShownBoxes();
// The prompts of the boxes shown so far, in their order.
QStringList ShownPrompts();

} // namespace platform::msgbox
