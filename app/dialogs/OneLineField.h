#pragma once

// The one-line fields whose value reaches a document or a search (a canvas name, a case text in
// the box editor's grid, the search and replace texts): what is typed, pasted or dropped into one
// stays one line, its line breaks and TABs turned into blanks as it comes in. A value set by the
// program keeps what it holds until it is edited.

class QAbstractItemView;
class QComboBox;
class QLineEdit;

namespace vellumora {

void OneLineFieldSet(QLineEdit* field);
// An editable list's text.
void OneLineFieldSet(QComboBox* field);
// The cells of one column (from 0) of a table, through the editor they are edited in.
void OneLineColumnSet(QAbstractItemView* view, int column);

} // namespace vellumora
