#pragma once

// Box-editor sessions: a modeless editor window per box (modify, insert before, insert after) or
// sub line (a new routine above the top chain, a first box below an empty line), the put and get
// work files between the canvas and the editor, and the splice of the editor's result into the
// chains.

#include "app/core/BoxEditorTray.h"
#include "app/core/EditState.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>

namespace vellumora {

// Open a session of their mode on a box or a sub line, or bring the open one to the front.
void BoxEditModify(std::int16_t canvas, std::int16_t box);
void BoxEditBefore(std::int16_t canvas, std::int16_t box);
void BoxEditAfter(std::int16_t canvas, std::int16_t box);
void BoxEditUpper(std::int16_t canvas, std::int16_t sub);
void BoxEditLower(std::int16_t canvas, std::int16_t sub);

// Brings an editor to the front, restored to normal size, focused when enabled.
void EditorWindowFront(QWidget* editor);

// Ends a session: the session bit and slot cleared, the window unloaded; unless cancelled the
// result of the get file spliced in and applied. Both work files are deleted on every path.
// A session whose box, sub line or canvas is gone only has its files deleted.
void BoxEditReturn(QString& putFile, QString& getFile, std::int16_t& canvas, std::int16_t& index, std::int32_t& mode,
                   bool& cancel);
// The same for the editor's tray.
void BoxEditTrayReturn(const BoxEditorTray& tray, bool cancel);
// Applies the records of a get file to a box and its sub lines (kind, text, font, colour, loop
// side, free style; the case merge of a branch; sub levels dropped that the new kind lacks).
void BoxEditUpdate(std::int16_t canvas, const QString& getFile, std::int16_t box);

QString TrayPutFileNameMake(std::int16_t canvas, std::int16_t index, const QString& modeText);
QString TrayGetFileNameMake(std::int16_t canvas, std::int16_t index, const QString& modeText);

// Closes every session of the canvas without asking; each returns as cancelled.
void BoxEditorCloseAll(std::int16_t canvas);
// Closes an editor window held in a session slot and empties the slot; its own close handling
// returns the session as cancelled unless it was handed back already.
void BoxEditorUnload(QPointer<QWidget>& editor);

} // namespace vellumora
