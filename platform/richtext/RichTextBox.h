#pragma once

// The rich-text control: a text box laid over a window whose position and size are given in
// twips and whose selection carries its own colour and font. The program uses it to show a
// found text with the match highlighted.

#include <QString>
#include <QTextCursor>

#include <cstdint>

class QTextCharFormat;
class QTextEdit;
class QWidget;

namespace platform::richtext {

class RichTextBox {
public:
    // The control lives on parent; it starts hidden, enabled, not locked and empty.
    explicit RichTextBox(QWidget* parent);
    ~RichTextBox();
    RichTextBox(const RichTextBox&) = delete;
    RichTextBox& operator=(const RichTextBox&) = delete;

    // Position and size in twips of the parent (15 twips to a pixel).
    std::int32_t Left() const { return left_; }
    std::int32_t Top() const { return top_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    void SetLeft(std::int32_t twips);
    void SetTop(std::int32_t twips);
    void SetWidth(std::int32_t twips);
    void SetHeight(std::int32_t twips);
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // A locked box shows its text but the user cannot change it.
    bool Locked() const;
    void SetLocked(bool locked);
    // Colours are red + 256 x green + 65536 x blue.
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t color);

    // The plain text, lines joined by CR LF; setting it drops every format and puts the selection
    // at 0, length 0.
    QString Text() const;
    void SetText(const QString& text);

    // The selection, in UTF-16 characters of Text, where a line break counts as its CR and LF;
    // out-of-range values are cut to the text.
    std::int32_t SelStart() const;
    std::int32_t SelLength() const;
    void SetSelStart(std::int32_t start);
    void SetSelLength(std::int32_t length);

    // Formats applied to the selected characters; read back from its first character.
    std::int32_t SelColor() const;
    void SetSelColor(std::int32_t color);
    QString SelFontName() const;
    void SetSelFontName(const QString& name);
    double SelFontSize() const;           // points
    void SetSelFontSize(double points);
    bool SelBold() const;
    void SetSelBold(bool on);
    bool SelItalic() const;
    void SetSelItalic(bool on);
    bool SelStrikeThru() const;
    void SetSelStrikeThru(bool on);
    bool SelUnderline() const;
    void SetSelUnderline(bool on);

    // Changes of text and format between BeginUpdate and EndUpdate are laid out once, at
    // EndUpdate, instead of after each of them. Pairs nest.
    void BeginUpdate();
    void EndUpdate();

    // The widget, for tests and for stacking it over the parent's own drawing.
    QTextEdit* widget() const { return edit(); }

private:
    // The widget is made when first needed: a program window that holds a box it never shows
    // must not pay for a text editor.
    QTextEdit* edit() const;
    void place();
    QTextCursor cursor() const;
    void setCursor(const QTextCursor& cursor);
    QTextCharFormat selectionFormat() const;
    void mergeIntoSelection(const QTextCharFormat& format);

    QWidget* parent_;
    mutable QTextEdit* edit_ = nullptr;
    bool enabled_ = true;
    bool locked_ = false;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    bool visible_ = false;
    std::int32_t backColor_ = 0xFFFFFF;
    int updating_ = 0;
    QTextCursor cursor_; // the selection while an update runs
};

} // namespace platform::richtext
