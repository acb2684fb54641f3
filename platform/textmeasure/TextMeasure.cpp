#include "platform/textmeasure/TextMeasure.h"

#include "platform/codepage/CodePage.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <vector>

namespace platform::textmeasure {

namespace {

// Windows font names as documents and the ini file hold them, reduced by TableKey, and the installed
// families that draw each, the first installed one winning. The first choices have a real bold face:
// a family without one gets its bold faked, and a painter that scales (twips on screen, the page in
// print and PDF) draws the fake as regular, so bold text would print thin in a box measured for it.
struct Substitution {
    const char16_t* key;
    const char* family;
    const char* spare;
};
constexpr const char* kGothic = "Noto Sans Mono CJK JP";
constexpr const char* kPGothic = "Noto Sans CJK JP";
constexpr const char* kMincho = "Noto Serif CJK JP";
constexpr Substitution kSubstitutions[] = {
    {u"msゴシック", kGothic, "IPAGothic"},    {u"msgothic", kGothic, "IPAGothic"},
    {u"msmincho", kMincho, "IPAMincho"},      {u"ms明朝", kMincho, "IPAMincho"},
    {u"mspゴシック", kPGothic, "IPAPGothic"}, {u"mspgothic", kPGothic, "IPAPGothic"},
    {u"msuigothic", kPGothic, "IPAPGothic"},  {u"メイリオ", kPGothic, "IPAPGothic"},
    {u"meiryo", kPGothic, "IPAPGothic"},      {u"meiryoui", kPGothic, "IPAPGothic"},
    {u"msp明朝", kMincho, "IPAPMincho"},      {u"mspmincho", kMincho, "IPAPMincho"},
};
constexpr Substitution kFallback = {u"", kGothic, "IPAGothic"};

// Full-width letters and half-width katakana fold onto one form; blanks and letter case do not count.
QString TableKey(const QString& name)
{
    QString key = name.normalized(QString::NormalizationForm_KC).toLower();
    key.remove(QLatin1Char(' '));
    return key;
}

QString InstalledChoice(const Substitution& s)
{
    const QString family = QString::fromLatin1(s.family);
    return QFontDatabase::hasFamily(family) ? family : QString::fromLatin1(s.spare);
}

QString ResolveFamily(const QString& name)
{
    const QString key = TableKey(name);
    for (const Substitution& s : kSubstitutions) {
        if (key == QString::fromUtf16(s.key))
            return InstalledChoice(s);
    }
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : installed) {
        if (TableKey(family) == key)
            return family;
    }
    return InstalledChoice(kFallback);
}

const FontTextMeasurer kFontMeasurer;
const FakeTextMeasurer kFakeMeasurer;
const TextMeasurer* gMeasurer = &kFontMeasurer;

// Measuring selects the same few fonts again and again (a canvas is measured box by box, then
// painted box by box, then laid out again after each edit): keep the metrics of each font and the
// width of every line measured in it. A width depends on nothing but the font and the line, so the
// pair is the whole key; the tables are dropped when they grow past a bound.
class MetricsCache {
public:
    struct Entry {
        FontSpec spec;
        QFontMetricsF metrics;
        QHash<QString, double> widths;
        DrawingFont drawing;
    };

    Entry& For(const FontSpec& font)
    {
        if (last_ && last_->spec == font)
            return *last_;
        for (const std::unique_ptr<Entry>& entry : entries_) {
            if (entry->spec == font)
                return *(last_ = entry.get());
        }
        if (entries_.size() >= kMaxFonts)
            Clear();
        const QFont made = MakeQFont(font);
        const QFontMetricsF metrics(made);
        entries_.push_back(std::make_unique<Entry>(Entry{font, metrics, {}, {made, metrics.ascent()}}));
        return *(last_ = entries_.back().get());
    }

    double Width(const FontSpec& font, const QString& line)
    {
        Entry& entry = For(font);
        if (const auto it = entry.widths.constFind(line); it != entry.widths.constEnd())
            return *it;
        const double width = entry.metrics.horizontalAdvance(line);
        if (widthCount_ >= kMaxWidths) {
            for (const std::unique_ptr<Entry>& e : entries_)
                e->widths.clear();
            widthCount_ = 0;
        }
        entry.widths.insert(line, width);
        ++widthCount_;
        return width;
    }

    void Clear()
    {
        last_ = nullptr;
        entries_.clear();
        widthCount_ = 0;
    }

private:
    static constexpr std::size_t kMaxFonts = 64;
    static constexpr std::size_t kMaxWidths = 200000;

    std::vector<std::unique_ptr<Entry>> entries_;
    Entry* last_ = nullptr;
    std::size_t widthCount_ = 0;
};
MetricsCache gMetrics;

} // namespace

QStringList SplitTextLines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return unified.split(QLatin1Char('\n'));
}

QString SubstituteFontFamily(const QString& name)
{
    static QHash<QString, QString> resolved;
    auto it = resolved.constFind(name);
    if (it != resolved.constEnd())
        return *it;
    const QString family = ResolveFamily(name);
    resolved.insert(name, family);
    return family;
}

QFont MakeQFont(const FontSpec& spec, double unitsPerPoint)
{
    QFont font(SubstituteFontFamily(spec.name));
    font.setPixelSize(std::max(1, qRound(double(spec.size) * unitsPerPoint)));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setStrikeOut(spec.strikethru);
    font.setUnderline(spec.underline);
    // Outlines without hinting measure the same at every size, so layout does not hang on the grid.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

const DrawingFont& DrawingFontFor(const FontSpec& spec)
{
    return gMetrics.For(spec).drawing;
}

double FontTextMeasurer::LineWidth(const FontSpec& font, const QString& line) const
{
    return gMetrics.Width(font, line);
}

double FontTextMeasurer::LineHeight(const FontSpec& font) const
{
    const QFontMetricsF& m = gMetrics.For(font).metrics;
    return m.ascent() + m.descent();
}

double FakeTextMeasurer::LineWidth(const FontSpec& font, const QString& line) const
{
    return double(codepage::ByteWidth(line)) * double(font.size) * 10.0;
}

double FakeTextMeasurer::LineHeight(const FontSpec& font) const
{
    return double(font.size) * 25.0;
}

const TextMeasurer& CurrentTextMeasurer()
{
    return *gMeasurer;
}

void UseFakeTextMeasurer(bool fake)
{
    gMeasurer = fake ? static_cast<const TextMeasurer*>(&kFakeMeasurer) : &kFontMeasurer;
}

void SetTextMeasurer(const TextMeasurer* measurer)
{
    gMeasurer = measurer ? measurer : &kFontMeasurer;
}

double MeasureTextWidth(const FontSpec& font, const QString& text)
{
    // Most texts are one line: measured as they are, without splitting a copy.
    if (!text.contains(QLatin1Char('\n')))
        return std::max(0.0, gMeasurer->LineWidth(font, text));
    double widest = 0.0;
    for (const QString& line : SplitTextLines(text))
        widest = std::max(widest, gMeasurer->LineWidth(font, line));
    return widest;
}

double MeasureTextHeight(const FontSpec& font, const QString& text)
{
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    return gMeasurer->LineHeight(font) * double(lines);
}

} // namespace platform::textmeasure
