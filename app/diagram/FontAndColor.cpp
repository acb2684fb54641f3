#include "app/diagram/FontAndColor.h"

#include "app/core/CanvasSurface.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/ProgramLink.h"
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/diagram/PadDraw.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/printer/Printer.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace vellumora {

namespace {

using platform::graphics::DrawingTarget;
namespace vbrt = platform::vbrt;

const QString kStandard = QStringLiteral("標準");
const QString kCrLf = QStringLiteral("\r\n");
const QString kSection = QStringLiteral("FontAndColor");

// The one text printed or measured in one piece never exceeds this many twips.
constexpr double kMeasureLimit = 245745.0;

// The bits of a FontCode.
constexpr std::int32_t kNameMask = 0xFFFF;
constexpr std::int32_t kTenthsMask = 0x3FF;
constexpr int kBoldBit = 26;
constexpr int kItalicBit = 27;
constexpr int kStrikethruBit = 28;
constexpr int kUnderlineBit = 29;

[[noreturn]] void RaiseColor()
{
    vbrt::Raise(QStringLiteral("ColorModify"), QStringLiteral("ｶﾗｰｺｰﾄﾞ指定が不良です。"));
}

[[noreturn]] void RaiseFont(const QString& description)
{
    vbrt::Raise(QStringLiteral("FontModifyChech"), description);
}

QString IniValue(const QString& section, const QString& key)
{
    if (!CommonServices)
        return QString();
    return CommonServices->GetInitFile(section, key);
}

// Full-width katakana (and their voiced forms) to half-width ones, built from the half-width block.
const QHash<char16_t, char16_t>& NarrowKana()
{
    static const QHash<char16_t, char16_t> table = [] {
        QHash<char16_t, char16_t> t;
        for (char16_t h = 0xFF61; h <= 0xFF9F; ++h) {
            const QString wide = QString(QChar(h)).normalized(QString::NormalizationForm_KC);
            if (wide.size() == 1)
                t.insert(wide[0].unicode(), h);
        }
        return t;
    }();
    return table;
}

// Full-width letters, digits, signs, the ideographic blank and katakana become their half-width
// forms, so that "ｆｏｎｔｂｏｌｄ：ｏｎ" reads as "fontbold:on".
QString Narrow(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E) {
            out += QChar(char16_t(u - 0xFF01 + 0x21));
        } else if (u == 0x3000) {
            out += QLatin1Char(' ');
        } else if ((u >= 0x3001 && u <= 0x30FF) && u != 0x3099 && u != 0x309A) {
            const QString parts = QString(c).normalized(QString::NormalizationForm_D);
            QString narrowed;
            for (const QChar p : parts) {
                const auto it = NarrowKana().constFind(p.unicode());
                if (it == NarrowKana().constEnd()) {
                    narrowed.clear();
                    break;
                }
                narrowed += QChar(*it);
            }
            out += narrowed.isEmpty() ? QString(c) : narrowed;
        } else {
            out += c;
        }
    }
    return out;
}

QString FontKeyForm(const QString& text)
{
    return vbrt::Trim(Narrow(text)).toLower();
}

// The window that draws a canvas, or null for the printer side and canvases without one.
DrawingTarget* WindowOf(std::int16_t canvas)
{
    if (canvas < 1 || std::size_t(canvas) >= B.size())
        return nullptr;
    CanvasSurface* form = B[std::size_t(canvas)].form.data();
    return form ? static_cast<DrawingTarget*>(form) : nullptr;
}

FontColorState* CanvasFontState(std::int16_t canvas)
{
    if (canvas < 1 || std::size_t(canvas) >= B.size())
        return nullptr;
    return &B[std::size_t(canvas)].fontColor;
}

// -1 stands for the document's text colour. A document colour that is itself the default draws black.
std::int32_t Resolve(std::int32_t color)
{
    if (color != -1)
        return color;
    const std::int32_t document = ColorModify(ApplicationGlobals.DocumentColorName);
    return document < 0 ? 0 : document;
}

void Decode(FontColorState& state, FontCode code)
{
    state.fontCode = code;
    state.nameIndex = FontNameIndex(code);
    state.sizeTenths = FontSizeIndex(code);
    state.bold = FontBoldFlag(code);
    state.italic = FontItalicFlag(code);
    state.strikethru = FontStrikethruFlag(code);
    state.underline = FontUnderlineFlag(code);
    state.fontDirty = false;
}

void ApplyFont(DrawingTarget& target, const FontColorState& state)
{
    target.SetFontName(FontNameText(state.nameIndex));
    target.SetFontSize(static_cast<float>(FontSizeValue(state.sizeTenths)));
    target.SetFontBold(state.bold);
    target.SetFontItalic(state.italic);
    target.SetFontStrikethru(state.strikethru);
    target.SetFontUnderline(state.underline);
}

// The font-dependent members of LO follow the printer's font.
void LayoutConstantsMeasure()
{
    LO.maxTextColumns = 10;
    LO.maxTextLines = 10;
    // A font that measures nothing would divide by zero below; one twip keeps the limits finite.
    const std::int32_t w = std::max<std::int32_t>(1, TextWidthGet(QStringLiteral("A"), 0));
    const std::int32_t h = std::max<std::int32_t>(1, TextHeightGet(QStringLiteral("A"), 0, true));
    LO.charWidth = w;
    LO.charHeight = h;
    LO.routineLineGap = vbrt::CLng(0.3 * h);
    LO.innerLeft = w;
    LO.innerRight = w;
    LO.innerTop = vbrt::CLng(0.5 * h);
    LO.innerBottom = vbrt::CLng(0.5 * h);
    LO.declareBarGap = vbrt::CLng(0.5 * w);
    LO.ioSideGap = vbrt::CLng(0.5 * w);
    LO.externalSideGap = vbrt::CLng(0.3 * h);
    LO.branchNotchDepth = w;
    LO.branchGap = w;
    LO.branchTop = vbrt::CLng(0.5 * LO.innerTop);
    LO.branchBottom = 2 * LO.innerBottom;
    LO.loopBarGap = vbrt::CLng(0.5 * w);
    LO.labelRadiusMargin = vbrt::CLng(0.3 * h);
    LO.jumpGap = vbrt::CLng(0.3 * w);
    LO.freeStyleHorizontal = vbrt::CLng(0.7 * w);
    LO.freeStyleVertical = vbrt::CLng(0.7 * h);
    LO.jointHorizontal = vbrt::CLng(0.5 * w);
    LO.jointVertical = vbrt::CLng(0.5 * h);
    LO.maxTextColumns = static_cast<std::int32_t>(vbrt::Int(kMeasureLimit / (2.0 * w) * 0.9));
    LO.maxTextLines = static_cast<std::int32_t>(vbrt::Int(kMeasureLimit / h * 0.9));
}

// Whether the target measuring for this canvas draws bold.
bool TargetBold(std::int16_t canvas)
{
    const FontColorState* state = CanvasFontState(canvas);
    return state ? state->bold : CurrentFontColorState.bold;
}

double MeasureWidth(const QString& text, std::int16_t canvas)
{
    if (DrawingTarget* window = WindowOf(canvas))
        return window->TextWidth(text);
    return platform::printer::SystemPrinter().TextWidth(text);
}

double MeasureHeight(const QString& text, std::int16_t canvas)
{
    if (DrawingTarget* window = WindowOf(canvas))
        return window->TextHeight(text);
    return platform::printer::SystemPrinter().TextHeight(text);
}

std::int16_t ColorComponent(const QString& field, int entry)
{
    // A component outside 0 to 255 would make a different colour than the one named.
    const QString value = vbrt::Trim(field);
    if (vbrt::IsNumeric(value)) {
        const double number = vbrt::RoundHalfEven(vbrt::CDbl(value));
        if (number >= 0 && number <= 255)
            return static_cast<std::int16_t>(number);
    }
    vbrt::Raise(QStringLiteral("FontAndColorLoad"),
                QStringLiteral("[FontAndColor] Color%1 の色指定が不良です。").arg(entry));
}

} // namespace

void FontAndColorLoad()
{
    ApplicationGlobalsRecord& g = ApplicationGlobals;

    g.ColorTable.assign(1, ColorTableRecord{QString(), kStandard, 0, 0, 0, -1});
    for (int i = 1; i <= 100; ++i) {
        const QStringList fields = IniValue(kSection, QStringLiteral("Color%1").arg(i)).split(QLatin1Char(':'));
        if (fields.size() != 5)
            break;
        ColorTableRecord entry;
        entry.name = vbrt::Trim(fields[0]);
        entry.caption = vbrt::Trim(fields[1]);
        entry.red = ColorComponent(fields[2], i);
        entry.green = ColorComponent(fields[3], i);
        entry.blue = ColorComponent(fields[4], i);
        entry.color = entry.red + 256 * entry.green + 65536 * entry.blue;
        g.ColorTable.push_back(entry);
    }

    const auto loadList = [](QStringList& list, const QString& key) {
        list = QStringList{kStandard};
        for (int j = 1; j <= 100; ++j) {
            const QString value = IniValue(kSection, key + QString::number(j));
            if (value.isEmpty())
                break;
            list.append(vbrt::Trim(value));
        }
    };
    loadList(g.FontNameList, QStringLiteral("FontName"));
    loadList(g.FontSizeList, QStringLiteral("FontSize"));

    // Without a first font name in the ini file the document font stays "標準", which draws in the
    // fallback font instead of failing.
    const QString firstFont = g.FontNameList.size() > 1 ? g.FontNameList[1] : g.FontNameList[0];
    g.DefaultFontName = StringDefault(IniValue(QStringLiteral("Default"), QStringLiteral("FontName")), firstFont);
    g.DefaultFontSize = StringDefault(IniValue(QStringLiteral("Default"), QStringLiteral("FontSize")), g.FontSizeList[0]);
    g.DefaultColor = StringDefault(IniValue(QStringLiteral("Default"), QStringLiteral("Color")), g.ColorTable[0].caption);

    g.DocumentFontName = g.DefaultFontName;
    g.DocumentFontSize = g.DefaultFontSize;
    g.DocumentColorName = g.DefaultColor;
    FontAndSizeShow();

    g.CanvasColorName = StringDefault(IniValue(kSection, QStringLiteral("CanvasColorDefault")),
                                      ColorName(platform::graphics::DefaultBackColor));

    DefaultFontSet(QStringLiteral("fontname:標準\r\nfontsize:標準\r\nfontbold:off\r\nfontitalic:off\r\n"
                                  "fontstrikethru:off\r\nfontunderline:off"));
}

void FontAndColorClear()
{
    ApplicationGlobals.FontNameList.clear();
    ApplicationGlobals.FontSizeList.clear();
    ApplicationGlobals.ColorTable.clear();
}

bool DefaultFontSetting(const QString& caption)
{
    ApplicationGlobalsRecord& g = ApplicationGlobals;
    FontSettingTray tray;
    tray.TrayFontSettingMode = false;
    tray.TrayFontName = g.DocumentFontName;
    tray.TrayFontSize = g.DocumentFontSize;
    tray.TrayColor = g.DocumentColorName;
    tray.TrayCaption = caption;
    Program().FontSettingShow(tray);
    if (tray.TrayCancel)
        return false;
    const QString fontName = tray.TrayFontName;
    const QString fontSize = tray.TrayFontSize;
    const QString colorName = tray.TrayColor;
    if (fontName == g.DocumentFontName && fontSize == g.DocumentFontSize && colorName == g.DocumentColorName)
        return false;
    // The snapshot holds the document settings as they were.
    SetModifyFlag(true);
    HistoryAdd(caption, 0);
    g.DocumentFontName = fontName;
    g.DocumentFontSize = fontSize;
    g.DocumentColorName = colorName;
    FontAndSizeShow();
    CanvasesRefreshInOrder();
    return true;
}

std::int32_t ColorModify(const QString& spec)
{
    if (vbrt::Trim(spec).isEmpty())
        return CurrentFontColorState.foreColor;

    const QString upper = spec.toUpper();
    for (const ColorTableRecord& entry : ApplicationGlobals.ColorTable) {
        if (upper == entry.name.toUpper() || upper == entry.caption.toUpper())
            return entry.color;
    }

    const QStringList parts = spec.split(QLatin1Char(','));
    if (parts.size() != 3)
        RaiseColor();
    double red = -1, green = -1, blue = -1;
    for (const QString& part : parts) {
        const QString rest = part.mid(1);
        if (part.isEmpty() || !vbrt::IsNumeric(rest))
            continue;
        const double value = vbrt::RoundHalfEven(vbrt::CDbl(rest));
        const QChar letter = part[0].toLower();
        if (letter == QLatin1Char('r'))
            red = value;
        else if (letter == QLatin1Char('g'))
            green = value;
        else if (letter == QLatin1Char('b'))
            blue = value;
    }
    const auto inRange = [](double v) { return v >= 0 && v <= 255; };
    if (!inRange(red) || !inRange(green) || !inRange(blue))
        RaiseColor();
    return static_cast<std::int32_t>(red) + 256 * static_cast<std::int32_t>(green)
        + 65536 * static_cast<std::int32_t>(blue);
}

QString ColorName(std::int32_t value)
{
    if (value < 0)
        return QString();
    for (const ColorTableRecord& entry : ApplicationGlobals.ColorTable) {
        if (entry.color == value)
            return entry.caption;
    }
    return QStringLiteral("r%1,g%2,b%3").arg(value % 256).arg((value / 256) % 256).arg(value / 65536);
}

std::int32_t BoxColorModify(const QString& spec)
{
    return ColorModify(vbrt::Trim(spec).isEmpty() ? kStandard : spec);
}

QString BoxColorName(std::int32_t value)
{
    return value < 0 ? kStandard : ColorName(value);
}

void DefaultColorSet(const QString& spec)
{
    CurrentFontColorState.foreColor = ColorModify(spec);
}

void DrawStateReset(std::int16_t canvas)
{
    if (FontColorState* state = CanvasFontState(canvas)) {
        state->fontDirty = true;
        state->colorDirty = true;
    }
    CurrentFontColorState.fontDirty = true;
    CurrentFontColorState.colorDirty = true;
}

void ForeColorSet(std::int32_t color, std::int16_t canvas)
{
    const bool frameSameText = ApplicationGlobals.FrameSameText;
    if (FontColorState* state = CanvasFontState(canvas)) {
        if (state->foreColor != color || state->colorDirty) {
            state->foreColor = color;
            state->colorDirty = false;
            const std::int32_t resolved = Resolve(color);
            if (frameSameText)
                state->drawColor = resolved;
            if (DrawingTarget* window = WindowOf(canvas)) {
                window->SetFillColor(resolved);
                window->SetForeColor(resolved);
            }
        }
    }
    FontColorState& printer = CurrentFontColorState;
    if (printer.foreColor != color || printer.colorDirty) {
        printer.foreColor = color;
        if (frameSameText)
            printer.drawColor = Resolve(color);
        PrinterColorApply();
    }
}

void DrawColorSet(std::int32_t color, std::int16_t canvas)
{
    const bool frameSameText = ApplicationGlobals.FrameSameText;
    if (FontColorState* state = CanvasFontState(canvas))
        state->drawColor = Resolve(frameSameText ? state->foreColor : color);
    CurrentFontColorState.drawColor = Resolve(frameSameText ? CurrentFontColorState.foreColor : color);
}

void PrinterColorApply()
{
    const std::int32_t resolved = Resolve(CurrentFontColorState.foreColor);
    CurrentFontColorState.colorDirty = false;
    platform::printer::Printer& printer = platform::printer::SystemPrinter();
    printer.SetColorMode(2);
    printer.SetFillColor(resolved);
    printer.SetForeColor(resolved);
}

void DefaultFontSet(const QString& text)
{
    CurrentFontColorState.fontCode = FontModifyChech(text);
    FontSelect(CurrentFontColorState.fontCode, 0);
}

FontCode FontModifyChech(const QString& text)
{
    const QString trimmed = vbrt::Trim(text);
    if (trimmed.isEmpty())
        return CurrentFontColorState.fontCode;
    if (trimmed == kStandard)
        return 0;

    std::int32_t nameIndex = 0;
    std::int32_t tenths = 0;
    bool styles[4] = {false, false, false, false};
    static const QString styleKeys[4] = {QStringLiteral("fontbold"), QStringLiteral("fontitalic"),
                                         QStringLiteral("fontstrikethru"), QStringLiteral("fontunderline")};
    static const QString styleErrors[4] = {QStringLiteral("ﾌｫﾝﾄ太字指定が不良です。"), QStringLiteral("ﾌｫﾝﾄ斜体指定が不良です。"),
                                           QStringLiteral("ﾌｫﾝﾄ取消線指定が不良です。"), QStringLiteral("ﾌｫﾝﾄ下線指定が不良です。")};

    for (const QString& line : text.split(kCrLf)) {
        const QStringList fields = FontKeyForm(line).split(QLatin1Char(':'));
        const QString& key = fields[0];
        if (key == QLatin1String("fontname")) {
            const QString nameError = QStringLiteral("ﾌｫﾝﾄ名指定が不良です。");
            if (fields.size() != 2)
                RaiseFont(nameError);
            const QStringList& names = ApplicationGlobals.FontNameList;
            const auto found = std::find_if(names.begin(), names.end(),
                                            [&](const QString& name) { return FontKeyForm(name) == fields[1]; });
            if (found == names.end())
                RaiseFont(nameError);
            nameIndex = static_cast<std::int32_t>(found - names.begin());
        } else if (key == QLatin1String("fontsize")) {
            const QString sizeError = QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。");
            if (fields.size() != 2)
                RaiseFont(sizeError);
            if (fields[1] == kStandard) {
                tenths = 0;
                continue;
            }
            if (!vbrt::IsNumeric(fields[1]))
                RaiseFont(sizeError);
            const double points = vbrt::CDbl(fields[1]);
            const double times10 = points * 10.0;
            const double whole = vbrt::RoundHalfEven(times10);
            // One decimal place at most; the product carries the binary error of the decimal text.
            if (std::abs(times10 - whole) > 1e-9 || points < 8.0 || points > 25.0)
                RaiseFont(sizeError);
            tenths = static_cast<std::int32_t>(whole);
        } else {
            for (int s = 0; s < 4; ++s) {
                if (key != styleKeys[s])
                    continue;
                if (fields.size() == 1 || (fields.size() == 2 && fields[1] == QLatin1String("on")))
                    styles[s] = true;
                else if (fields.size() == 2 && fields[1] == QLatin1String("off"))
                    styles[s] = false;
                else
                    RaiseFont(styleErrors[s]);
            }
        }
    }

    const std::int32_t flags = ((int(styles[3]) * 2 + int(styles[2])) * 2 + int(styles[1])) * 2 + int(styles[0]);
    return (flags * 1024 + tenths) * 65536 + nameIndex;
}

QString FontModifyText(FontCode code)
{
    QStringList parts;
    if (FontNameIndex(code) > 0)
        parts << QStringLiteral("fontname:") + FontNameText(FontNameIndex(code));
    if (FontSizeIndex(code) > 0)
        parts << QStringLiteral("fontsize:") + QString::number(FontSizeIndex(code) / 10.0);
    if (FontBoldFlag(code))
        parts << QStringLiteral("fontbold:on");
    if (FontItalicFlag(code))
        parts << QStringLiteral("fontitalic:on");
    if (FontStrikethruFlag(code))
        parts << QStringLiteral("fontstrikethru:on");
    if (FontUnderlineFlag(code))
        parts << QStringLiteral("fontunderline:on");
    return parts.join(kCrLf);
}

void FontSelect(FontCode code, std::int16_t canvas)
{
    if (FontColorState* state = CanvasFontState(canvas)) {
        if (state->fontCode != code || state->fontDirty) {
            Decode(*state, code);
            if (DrawingTarget* window = WindowOf(canvas))
                ApplyFont(*window, *state);
        }
    }
    if (CurrentFontColorState.fontCode != code || CurrentFontColorState.fontDirty) {
        Decode(CurrentFontColorState, code);
        ApplyFont(platform::printer::SystemPrinter(), CurrentFontColorState);
        LayoutConstantsMeasure();
    }
}

std::int16_t FontNameIndex(FontCode code)
{
    return static_cast<std::int16_t>(code & kNameMask);
}

QString FontNameText(std::int16_t nameIndex)
{
    if (nameIndex == 0)
        return ApplicationGlobals.DocumentFontName;
    const QStringList& names = ApplicationGlobals.FontNameList;
    if (nameIndex < 0 || nameIndex >= names.size())
        vbrt::RaiseNumber(vbrt::ErrorNumber::SubscriptOutOfRange, QStringLiteral("FontNameText"));
    return names[nameIndex];
}

std::int16_t FontSizeIndex(FontCode code)
{
    return static_cast<std::int16_t>((code >> 16) & kTenthsMask);
}

double FontSizeValue(std::int16_t tenths)
{
    if (tenths != 0)
        return tenths / 10.0;
    // A document size that is no number ("標準" when the ini file names no default size) draws at
    // the old platform's default size rather than failing in the middle of a paint.
    const QString& size = ApplicationGlobals.DocumentFontSize;
    return vbrt::IsNumeric(size) ? vbrt::CDbl(size) : 10.0;
}

QString FontSizeText(double points)
{
    const double tenths = vbrt::RoundHalfEven(points * 10.0);
    return QString::number(tenths / 10.0, 'f', std::fmod(tenths, 10.0) == 0 ? 0 : 1);
}

bool FontBoldFlag(FontCode code)
{
    return (code >> kBoldBit) & 1;
}

bool FontItalicFlag(FontCode code)
{
    return (code >> kItalicBit) & 1;
}

bool FontStrikethruFlag(FontCode code)
{
    return (code >> kStrikethruBit) & 1;
}

bool FontUnderlineFlag(FontCode code)
{
    return (code >> kUnderlineBit) & 1;
}

std::int32_t TextWidthGet(const QString& text, std::int16_t canvas)
{
    const QString s = TabToNewLine(text);
    const std::int32_t columns = LO.maxTextColumns;
    // Before the first printer font there is no limit yet: measure in one piece.
    if (columns >= 1 && s.size() > columns) {
        const QStringList lines = s.split(kCrLf);
        std::int32_t result = 0;
        if (lines.size() == 1) {
            for (qsizetype at = 0; at < s.size(); at += columns)
                result += TextWidthGet(s.mid(at, columns), canvas);
        } else {
            for (const QString& line : lines)
                result = std::max(result, TextWidthGet(line, canvas));
        }
        return result;
    }
    double width = vbrt::RoundHalfEven(MeasureWidth(s, canvas));
    // Bold text takes a tenth more room than the platform reports.
    if (TargetBold(canvas))
        width = vbrt::Int(width * 22.0 / 20.0);
    return static_cast<std::int32_t>(width);
}

std::int32_t TextHeightGet(const QString& text, std::int16_t canvas, bool split)
{
    const QString s = TabToNewLine(text);
    if (split && LO.maxTextLines >= 1 && s.count(kCrLf) + 1 > LO.maxTextLines) {
        const QStringList lines = s.split(kCrLf);
        const qsizetype group = std::max<qsizetype>(1, qsizetype(vbrt::Int(0.9 * LO.maxTextLines)));
        std::int32_t result = 0;
        for (qsizetype at = 0; at < lines.size(); at += group)
            result += TextHeightGet(lines.mid(at, group).join(kCrLf), canvas, false);
        return result;
    }
    return static_cast<std::int32_t>(vbrt::RoundHalfEven(MeasureHeight(s, canvas)));
}

QString TabToNewLine(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\t'), QStringLiteral("\r\n    "));
    return s;
}

void PrinterDocEnd()
{
    platform::printer::SystemPrinter().EndDoc();
}

} // namespace vellumora
