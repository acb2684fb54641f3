#pragma once

// Box-editor sessions on the canvases.

#include "app/core/EditState.h"

#include <cstdint>

namespace vellumora {

// Open a session of their mode on a box or a sub line, or bring the open one to the front.
void BoxEditModify(std::int16_t canvas, std::int16_t box);
void BoxEditBefore(std::int16_t canvas, std::int16_t box);
void BoxEditAfter(std::int16_t canvas, std::int16_t box);
void BoxEditUpper(std::int16_t canvas, std::int16_t sub);
void BoxEditLower(std::int16_t canvas, std::int16_t sub);

// Closes every session of the canvas without asking; each returns as cancelled.
void BoxEditorCloseAll(std::int16_t canvas);

} // namespace vellumora
