#pragma once

// The shapes of the box kinds that are more than a framed text: a branch with its column of case
// labels, a loop with its test bar, a tree box of module-structure charts, and a free-style box
// whose corners and inner lines its style bytes choose. BoxListXPosition calls them.

#include <cstdint>

namespace vellumora {

void BranchXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void LoopXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void TreeXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void FreeStyleXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);

} // namespace vellumora
