#include "platform/richtext/RichTextBox.h"

#include "platform/graphics/DrawingTarget.h"
#include "platform/textmeasure/TextMeasure.h"
#include "platform/vbrt/Value.h"

#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

namespace platform::richtext {

namespace {

using platform::graphics::TwipsPerPixel;
// The font name the program asked for; the family drawn is its installed substitute.
constexpr int RequestedFontName = QTextFormat::UserProperty + 1;

int ToPixels(std::int32_t twips)
{
    return static_cast<int>(platform::vbrt::RoundHalfEven(static_cast<double>(twips) / TwipsPerPixel));
}

using platform::graphics::FromQColor;
using platform::graphics::ToQColor;

} // namespace

RichTextBox::RichTextBox(QWidget* parent) : edit_(new QTextEdit(parent))
{
    edit_->setObjectName(QStringLiteral("rtxBox"));
    edit_->setAcceptRichText(false);
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setLineWrapMode(QTextEdit::NoWrap);
    edit_->hide();
    SetBackColor(backColor_);
    place();
}

RichTextBox::~RichTextBox() = default; // the parent owns the widget

void RichTextBox::place()
{
    edit_->setGeometry(ToPixels(left_), ToPixels(top_), std::max(0, ToPixels(width_)), std::max(0, ToPixels(height_)));
}

void RichTextBox::SetLeft(std::int32_t twips) { left_ = twips; place(); }
void RichTextBox::SetTop(std::int32_t twips) { top_ = twips; place(); }
void RichTextBox::SetWidth(std::int32_t twips) { width_ = twips; place(); }
void RichTextBox::SetHeight(std::int32_t twips) { height_ = twips; place(); }

void RichTextBox::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    place();
}

bool RichTextBox::Enabled() const { return edit_->isEnabled(); }
void RichTextBox::SetEnabled(bool enabled) { edit_->setEnabled(enabled); }

void RichTextBox::SetVisible(bool visible)
{
    // Kept apart from the widget's own flag, which is false while the parent is hidden.
    visible_ = visible;
    edit_->setVisible(visible);
    if (visible)
        edit_->raise();
}

bool RichTextBox::Locked() const { return edit_->isReadOnly(); }
void RichTextBox::SetLocked(bool locked) { edit_->setReadOnly(locked); }

void RichTextBox::SetBackColor(std::int32_t color)
{
    backColor_ = color;
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, ToQColor(color));
    palette.setColor(QPalette::Window, ToQColor(color));
    edit_->setPalette(palette);
}

QString RichTextBox::Text() const
{
    return edit_->toPlainText();
}

void RichTextBox::SetText(const QString& text)
{
    edit_->setPlainText(text);
    QTextCursor cursor(edit_->document());
    cursor.setPosition(0);
    edit_->setTextCursor(cursor);
}

std::int32_t RichTextBox::SelStart() const
{
    return edit_->textCursor().selectionStart();
}

std::int32_t RichTextBox::SelLength() const
{
    const QTextCursor cursor = edit_->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void RichTextBox::SetSelStart(std::int32_t start)
{
    // Setting the start collapses the selection, as the old control did.
    const int end = edit_->document()->characterCount() - 1;
    QTextCursor cursor(edit_->document());
    cursor.setPosition(std::clamp(start, 0, end));
    edit_->setTextCursor(cursor);
}

void RichTextBox::SetSelLength(std::int32_t length)
{
    const int end = edit_->document()->characterCount() - 1;
    QTextCursor cursor = edit_->textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(std::clamp(start + std::max(length, 0), start, end), QTextCursor::KeepAnchor);
    edit_->setTextCursor(cursor);
}

namespace {

// The format of the first selected character (of the character at the caret when none is).
QTextCharFormat SelectionFormat(const QTextEdit* edit)
{
    QTextCursor cursor = edit->textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    if (start < edit->document()->characterCount() - 1)
        cursor.setPosition(start + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

void MergeIntoSelection(QTextEdit* edit, const QTextCharFormat& format)
{
    QTextCursor cursor = edit->textCursor();
    if (cursor.hasSelection())
        cursor.mergeCharFormat(format);
    else
        edit->mergeCurrentCharFormat(format);
}

} // namespace

std::int32_t RichTextBox::SelColor() const
{
    return FromQColor(SelectionFormat(edit_).foreground().color());
}

void RichTextBox::SetSelColor(std::int32_t color)
{
    QTextCharFormat format;
    format.setForeground(ToQColor(color));
    MergeIntoSelection(edit_, format);
}

QString RichTextBox::SelFontName() const
{
    const QTextCharFormat format = SelectionFormat(edit_);
    return format.hasProperty(RequestedFontName) ? format.stringProperty(RequestedFontName)
                                                 : format.fontFamilies().toStringList().value(0);
}

void RichTextBox::SetSelFontName(const QString& name)
{
    QTextCharFormat format;
    format.setFontFamilies({platform::textmeasure::SubstituteFontFamily(name)});
    format.setProperty(RequestedFontName, name);
    MergeIntoSelection(edit_, format);
}

double RichTextBox::SelFontSize() const
{
    return SelectionFormat(edit_).fontPointSize();
}

void RichTextBox::SetSelFontSize(double points)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    MergeIntoSelection(edit_, format);
}

bool RichTextBox::SelBold() const { return SelectionFormat(edit_).fontWeight() >= QFont::Bold; }

void RichTextBox::SetSelBold(bool on)
{
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    MergeIntoSelection(edit_, format);
}

bool RichTextBox::SelItalic() const { return SelectionFormat(edit_).fontItalic(); }

void RichTextBox::SetSelItalic(bool on)
{
    QTextCharFormat format;
    format.setFontItalic(on);
    MergeIntoSelection(edit_, format);
}

bool RichTextBox::SelStrikeThru() const { return SelectionFormat(edit_).fontStrikeOut(); }

void RichTextBox::SetSelStrikeThru(bool on)
{
    QTextCharFormat format;
    format.setFontStrikeOut(on);
    MergeIntoSelection(edit_, format);
}

bool RichTextBox::SelUnderline() const { return SelectionFormat(edit_).fontUnderline(); }

void RichTextBox::SetSelUnderline(bool on)
{
    QTextCharFormat format;
    format.setFontUnderline(on);
    MergeIntoSelection(edit_, format);
}

} // namespace platform::richtext
