#include "app/dialogs/OneLineField.h"

#include "app/diagram/FileInterface.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QValidator>

namespace vellumora {

namespace {

// Sees the field's whole text after each edit (typing, pasting, dropping), never a text the program
// sets: a line break or TAB the edit brought becomes a blank, the cursor staying behind what came in.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        const QString line = OneLineText(input);
        if (line != input) {
            pos = static_cast<int>(OneLineText(input.left(pos)).size());
            input = line;
        }
        return Acceptable;
    }
};

class OneLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            OneLineFieldSet(line);
        return editor;
    }
};

} // namespace

void OneLineFieldSet(QLineEdit* field)
{
    field->setValidator(new OneLineValidator(field));
}

void OneLineFieldSet(QComboBox* field)
{
    if (QLineEdit* line = field->lineEdit())
        OneLineFieldSet(line);
}

void OneLineColumnSet(QAbstractItemView* view, int column)
{
    view->setItemDelegateForColumn(column, new OneLineDelegate(view));
}

} // namespace vellumora
