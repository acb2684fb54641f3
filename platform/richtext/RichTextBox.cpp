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
    QStringList lines;
    for (QTextBlock block = edit_->document()->begin(); block.isValid(); block = block.next())
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
    edit_->setPlainText(text);
    QTextCursor cursor(edit_->document());
    cursor.setPosition(0);
    edit_->setTextCursor(cursor);
}

std::int32_t RichTextBox::SelStart() const
{
    return TextOffset(edit_->document(), edit_->textCursor().selectionStart());
}

std::int32_t RichTextBox::SelLength() const
{
    const QTextCursor cursor = edit_->textCursor();
    return TextOffset(edit_->document(), cursor.selectionEnd()) - TextOffset(edit_->document(), cursor.selectionStart());
}

void RichTextBox::SetSelStart(std::int32_t start)
{
    // Setting the start collapses the selection, as the old control did.
    QTextCursor cursor(edit_->document());
    cursor.setPosition(DocumentPosition(edit_->document(), std::max(start, 0)));
    edit_->setTextCursor(cursor);
}

void RichTextBox::SetSelLength(std::int32_t length)
{
    QTextCursor cursor = edit_->textCursor();
    const int start = cursor.selectionStart();
    const std::int32_t startOffset = TextOffset(edit_->document(), start);
    cursor.setPosition(start);
    cursor.setPosition(DocumentPosition(edit_->document(), startOffset + std::max(length, 0)), QTextCursor::KeepAnchor);
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
