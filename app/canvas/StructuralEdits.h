#pragma once

// Edits of a chart's structure made without the box editor: the guards and the question before
// a delete, deleting one box or a box or chain with everything below it, cutting and joining a
// vertical line, the font and colour of boxes, and removing every page break. Only the box and
// sub-line records change here; the caller lays out and repaints the canvas afterwards. The font
// choice and the document-modified flag they share with the main window are in EditState.

#include "app/core/EditState.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// True when a box editor is open where a delete would reach (the box; with lump everything below
// it too; without a box and sub line the canvas's whole top chain, any session): the refusal has
// been shown and the delete must not run. A sub line stands for its owning box.
bool BoxEditingCheck(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool lump);
// Looks for open editor sessions from the box: at depth 0 the box alone (with lump also its
// subtrees), below that every box of each chain. anySession counts the before and after
// sessions too, else only the modify session.
bool BoxEditingFind(std::int16_t canvas, std::int16_t box, bool lump, bool anySession, std::int16_t depth);
// Asks before a delete; true when the user did not answer Yes.
bool BoxDeleteConfirm(bool lump);

// Deletes one box: the chains below its sub lines, one after the other, take its place.
void BoxDeleteSingle(std::int16_t canvas, std::int16_t box);
// Takes a box with everything below it out of its chain and frees it.
void BoxUnlink(std::int16_t canvas, std::int16_t box);
// Frees the chain below a sub line (0 or less: the canvas's top chain) with everything below it;
// the sub line stays, empty.
void SubUnlink(std::int16_t canvas, std::int16_t sub);
// Cuts the vertical line above a box with a chink box; a line already cut stays as it is.
void VLineChink(std::int16_t canvas, std::int16_t box);
// Joins the vertical line above a box again by freeing the chink box before it.
void VLineConnect(std::int16_t canvas, std::int16_t box);

// Shows the font dialog preset from the first box concerned; keeps the accepted choice in
// ToolbarFontState. True when cancelled.
bool BoxFontDialog(std::int16_t canvas, std::int16_t box, std::int16_t sub, const QString& caption);
// Gives the box (box 1 or more) or every box of the sub line's chain (or of the top chain) the
// font and colour of ToolbarFontState; with lump also everything below them.
void BoxFontApply(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool lump);
void BoxFontApplyLump(std::int16_t canvas, std::int16_t box, bool lump, bool single, std::int32_t fontCode,
                      std::int32_t colorCode);

// Removes every page break of every open canvas and places the marks again.
void NewPageResetAll();

} // namespace vellumora
