#pragma once

// Text measuring in twips, shared by the printer and every drawing target, and the table that
// maps the Windows font names kept in documents and the ini file onto installed fonts.

#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>

namespace platform::textmeasure {

// A font as the program selects it: a name (a Windows name is kept as written), a size in
// points (single precision, as the old platform holds it) and four styles.
struct FontSpec {
    QString name;
    float size = 0.0f;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;

    bool operator==(const FontSpec&) const = default;
};

// The installed family that draws a font name: the substitution table first ("ＭＳ ゴシック" ->
// Noto Sans Mono CJK JP, ...; families with a real bold face, the IPA fonts where those are
// missing; full-width letters, blanks and letter case do not matter), then an installed family of
// that name, else a Japanese fallback.
QString SubstituteFontFamily(const QString& name);

// The Qt font for a spec, sized in the unit of the painter that draws it: unitsPerPoint is 20 for
// a painter working in twips. A font sized in points under a scaling transform is scaled twice.
QFont MakeQFont(const FontSpec& spec, double unitsPerPoint = 20.0);

// The font of a FontSpec for a painter working in twips, and its ascent. Made once for each FontSpec: a
// repaint draws the same few fonts box after box. The reference holds until the next font is asked for.
struct DrawingFont {
    QFont font;
    double ascent = 0.0;
};
const DrawingFont& DrawingFontFor(const FontSpec& spec);

// Measures one line of text (no line breaks) in twips.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual double LineWidth(const FontSpec& font, const QString& line) const = 0;
    // Height of one line: the font's ascent plus descent.
    virtual double LineHeight(const FontSpec& font) const = 0;
};

// The real measurer: installed fonts (through the substitution table) on a 1440-dpi surface.
class FontTextMeasurer : public TextMeasurer {
public:
    double LineWidth(const FontSpec& font, const QString& line) const override;
    double LineHeight(const FontSpec& font) const override;
};

// A measurer for tests that assert exact twips, independent of installed fonts:
// width = Shift_JIS bytes x size x 10 (a full-width character counts two bytes),
// line height = size x 25; styles change nothing.
class FakeTextMeasurer : public TextMeasurer {
public:
    double LineWidth(const FontSpec& font, const QString& line) const override;
    double LineHeight(const FontSpec& font) const override;
};

// The measurer every target uses; the font measurer unless a test switched.
const TextMeasurer& CurrentTextMeasurer();
// Switches every target (printer and canvas windows) to the fake measurer, or back.
void UseFakeTextMeasurer(bool fake);
// Measures with the given measurer, which must outlive its use; null restores the font measurer.
void SetTextMeasurer(const TextMeasurer* measurer);

// The lines of a text broken at CR LF or LF; an empty text is one empty line.
QStringList SplitTextLines(const QString& text);

// Width of a text that may hold CR LF (or LF) line breaks: the widest line.
double MeasureTextWidth(const FontSpec& font, const QString& text);
// Height of a text: one line height per line (an empty text is one line).
double MeasureTextHeight(const FontSpec& font, const QString& text);

} // namespace platform::textmeasure
