#include "platform/richtext/RichTextBox.h"

#include "platform/graphics/DrawingTarget.h"
#include "platform/textmeasure/TextMeasure.h"
#include "platform/vbrt/Value.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
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

void BackColorApply(QTextEdit& edit, std::int32_t color)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, ToQColor(color));
    palette.setColor(QPalette::Window, ToQColor(color));
    edit.setPalette(palette);
}

} // namespace

RichTextBox::RichTextBox(QWidget* parent) : parent_(parent) {}

RichTextBox::~RichTextBox() = default; // the parent owns the widget

QTextEdit* RichTextBox::edit() const
{
    if (edit_)
        return edit_;
    edit_ = new QTextEdit(parent_);
    edit_->setObjectName(QStringLiteral("rtxBox"));
    edit_->setAcceptRichText(false);
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit_->setLineWrapMode(QTextEdit::NoWrap);
    edit_->setEnabled(enabled_);
    edit_->setReadOnly(locked_);
    BackColorApply(*edit_, backColor_);
    edit_->setGeometry(ToPixels(left_), ToPixels(top_), std::max(0, ToPixels(width_)), std::max(0, ToPixels(height_)));
    edit_->setVisible(visible_);
    if (visible_)
        edit_->raise();
    return edit_;
}

void RichTextBox::place()
{
    if (edit_)
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

bool RichTextBox::Enabled() const { return edit()->isEnabled(); }

void RichTextBox::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (edit_)
        edit_->setEnabled(enabled);
}

void RichTextBox::SetVisible(bool visible)
{
    // Kept apart from the widget's own flag, which is false while the parent is hidden.
    visible_ = visible;
    if (!edit_ && !visible)
        return;
    edit()->setVisible(visible);
    if (visible)
        edit_->raise();
}

bool RichTextBox::Locked() const { return edit()->isReadOnly(); }

void RichTextBox::SetLocked(bool locked)
{
    locked_ = locked;
    if (edit_)
        edit_->setReadOnly(locked);
}

void RichTextBox::SetBackColor(std::int32_t color)
{
    backColor_ = color;
    if (edit_)
        BackColorApply(*edit_, color);
}

QString RichTextBox::Text() const
{
    QStringList lines;
    for (QTextBlock block = edit()->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines.join(QStringLiteral("\r\n"));
}

namespace {

// A line break is one position in the document and CR LF, two characters, in the text: offsets
// into the text are mapped onto the document line by line.
int DocumentPosition(const QTextDocument* document, std::int32_t offset)
{
    int lineStart = 0; // offset of the current line in the text
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1; // without its separator
        if (offset <= lineStart + length || !block.next().isValid())
            return block.position() + std::clamp(offset - lineStart, 0, length);
        lineStart += length + 2;
    }
    return 0;
}

std::int32_t TextOffset(const QTextDocument* document, int position)
{
    const QTextBlock block = document->findBlock(position);
    return position + block.blockNumber(); // one more character per line break before it
}

} // namespace

void RichTextBox::SetText(const QString& text)
{
    if (updating_ > 0)
        edit()->document()->setPlainText(text);
    else
        edit()->setPlainText(text);
    QTextCursor cursor(edit()->document());
    cursor.setPosition(0);
    setCursor(cursor);
}

void RichTextBox::BeginUpdate()
{
    if (updating_++ > 0)
        return;
    cursor_ = edit()->textCursor();
    QTextCursor(edit()->document()).beginEditBlock();
}

void RichTextBox::EndUpdate()
{
    if (updating_ == 0 || --updating_ > 0)
        return;
    QTextCursor(edit()->document()).endEditBlock();
    edit()->setTextCursor(cursor_);
}

QTextCursor RichTextBox::cursor() const
{
    return updating_ > 0 ? cursor_ : edit()->textCursor();
}

void RichTextBox::setCursor(const QTextCursor& cursor)
{
    // While an update runs the widget's own cursor is left alone: moving it lays the text out.
    if (updating_ > 0)
        cursor_ = cursor;
    else
        edit()->setTextCursor(cursor);
}

std::int32_t RichTextBox::SelStart() const
{
    return TextOffset(edit()->document(), cursor().selectionStart());
}

std::int32_t RichTextBox::SelLength() const
{
    const QTextCursor selection = cursor();
    return TextOffset(edit()->document(), selection.selectionEnd()) - TextOffset(edit()->document(), selection.selectionStart());
}

void RichTextBox::SetSelStart(std::int32_t start)
{
    // Setting the start collapses the selection, as the old control did.
    QTextCursor selection(edit()->document());
    selection.setPosition(DocumentPosition(edit()->document(), std::max(start, 0)));
    setCursor(selection);
}

void RichTextBox::SetSelLength(std::int32_t length)
{
    QTextCursor selection = cursor();
    const int start = selection.selectionStart();
    const std::int32_t startOffset = TextOffset(edit()->document(), start);
    selection.setPosition(start);
    selection.setPosition(DocumentPosition(edit()->document(), startOffset + std::max(length, 0)), QTextCursor::KeepAnchor);
    setCursor(selection);
}

QTextCharFormat RichTextBox::selectionFormat() const
{
    // The format of the first selected character (of the character at the caret when none is).
    QTextCursor selection = cursor();
    const int start = selection.selectionStart();
    selection.setPosition(start);
    if (start < edit()->document()->characterCount() - 1)
        selection.setPosition(start + 1, QTextCursor::KeepAnchor);
    return selection.charFormat();
}

void RichTextBox::mergeIntoSelection(const QTextCharFormat& format)
{
    QTextCursor selection = cursor();
    if (selection.hasSelection())
        selection.mergeCharFormat(format);
    else if (updating_ > 0)
        cursor_.mergeCharFormat(format);
    else
        edit()->mergeCurrentCharFormat(format);
}

std::int32_t RichTextBox::SelColor() const
{
    return FromQColor(selectionFormat().foreground().color());
}

void RichTextBox::SetSelColor(std::int32_t color)
{
    QTextCharFormat format;
    format.setForeground(ToQColor(color));
    mergeIntoSelection(format);
}

QString RichTextBox::SelFontName() const
{
    const QTextCharFormat format = selectionFormat();
    return format.hasProperty(RequestedFontName) ? format.stringProperty(RequestedFontName)
                                                 : format.fontFamilies().toStringList().value(0);
}

void RichTextBox::SetSelFontName(const QString& name)
{
    QTextCharFormat format;
    format.setFontFamilies({platform::textmeasure::SubstituteFontFamily(name)});
    format.setProperty(RequestedFontName, name);
    mergeIntoSelection(format);
}

double RichTextBox::SelFontSize() const
{
    return selectionFormat().fontPointSize();
}

void RichTextBox::SetSelFontSize(double points)
{
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeIntoSelection(format);
}

bool RichTextBox::SelBold() const { return selectionFormat().fontWeight() >= QFont::Bold; }

void RichTextBox::SetSelBold(bool on)
{
    QTextCharFormat format;
    format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    mergeIntoSelection(format);
}

bool RichTextBox::SelItalic() const { return selectionFormat().fontItalic(); }

void RichTextBox::SetSelItalic(bool on)
{
    QTextCharFormat format;
    format.setFontItalic(on);
    mergeIntoSelection(format);
}

bool RichTextBox::SelStrikeThru() const { return selectionFormat().fontStrikeOut(); }

void RichTextBox::SetSelStrikeThru(bool on)
{
    QTextCharFormat format;
    format.setFontStrikeOut(on);
    mergeIntoSelection(format);
}

bool RichTextBox::SelUnderline() const { return selectionFormat().fontUnderline(); }

void RichTextBox::SetSelUnderline(bool on)
{
    QTextCharFormat format;
    format.setFontUnderline(on);
    mergeIntoSelection(format);
}

} // namespace platform::richtext
