#pragma once

// Brings a found box into view: the canvas window slides in small eased steps until the box
// lies inside the visible workspace, and where the box is on the screen is kept for the search
// dialog to step aside from.

#include "app/core/DiagramRecords.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace vellumora {

// One step of a slide: the window's new Left and Top in twips, after waiting Delay milliseconds.
struct SlideStep {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Delay = 0;

    friend bool operator==(const SlideStep&, const SlideStep&) = default;
};

// A rectangle in twips, in screen coordinates.
struct ScreenRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The box found last, on the screen; cut to the visible workspace after a slide.
inline ScreenRect FoundBoxRect;

// The eased steps from start to target: a ramp up of nine steps, 200-twip strides, a ramp down
// of nine steps, each axis on its own; at least one step, the last at the target.
std::vector<SlideStep> SlidePathMake(const Point& start, const Point& target);

// Plays a slide as timer steps on the event loop: before each step it waits the step's delay,
// then calls move with the step's place; when the last step is made, then runs. A slide of the
// same window that is still running is dropped first. The slide ends early, without then, when
// window goes away.
void SlidePlay(QWidget* window, const std::vector<SlideStep>& steps,
               std::function<void(std::int32_t x, std::int32_t y)> move, std::function<void()> then = {});
// Whether a slide of the window is still running.
bool SlideRunning(const QWidget* window);

// Test seam: with steps by hand on, a slide waits for SlidesAdvance instead of its step's delay
// (off: the timer again, and the slides waiting go on by it).
void SlideStepsByHand(bool byHand);
// Makes the next step of every slide waiting for one; answers how many slides moved.
int SlidesAdvance();

// Brings the canvas window to the front and slides it until the box is in view; sets
// FoundBoxRect at once. then runs when the window has arrived (at once when nothing moves).
void CanvasSlideToBox(std::int16_t canvas, std::int16_t box, std::function<void()> then = {});

} // namespace vellumora
