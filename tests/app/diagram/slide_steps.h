#pragma once

// Slides driven by hand: a test makes each step itself instead of waiting for the step's delay.

#include "app/diagram/CanvasSlide.h"

#include <QWidget>

namespace slide_test {

// Switches steps by hand on for the life of the object.
struct StepsByHand {
    StepsByHand() { vellumora::SlideStepsByHand(true); }
    ~StepsByHand() { vellumora::SlideStepsByHand(false); }
    StepsByHand(const StepsByHand&) = delete;
    StepsByHand& operator=(const StepsByHand&) = delete;
};

// Advances every slide until the window's own has ended; the advances it took (a slide that
// never ends stops the count at a ceiling far above any real path).
inline int StepsUntilStill(const QWidget* window)
{
    int advances = 0;
    while (vellumora::SlideRunning(window) && advances < 100000) {
        vellumora::SlidesAdvance();
        ++advances;
    }
    return advances;
}

} // namespace slide_test
