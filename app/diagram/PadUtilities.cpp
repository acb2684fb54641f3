#include "app/diagram/PadUtilities.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/PrintRecords.h"
#include "app/core/Utilities.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/ReportSetting.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QDir>

#include <variant>
#include <vector>

namespace vellumora {

namespace {

namespace vbrt = platform::vbrt;

const QString kCrLf = QStringLiteral("\r\n");
const QString kTab = QStringLiteral("\t");

// Every setting a document carries, read and written together so that a text with one bad value
// can be refused as a whole.
struct DocumentSettings {
    QString CanvasColorName;
    bool NoteNotShow = false;
    bool NoteNotFrame = false;
    bool FrameSameText = false;
    QString FrameColor;
    bool ReplaceJump = false;
    ReportSettingRecord rs;

    static DocumentSettings Current()
    {
        const ApplicationGlobalsRecord& g = ApplicationGlobals;
        return {g.CanvasColorName, g.NoteNotShow, g.NoteNotFrame, g.FrameSameText, g.FrameColor, g.ReplaceJump, RS};
    }

    void Store() const
    {
        ApplicationGlobalsRecord& g = ApplicationGlobals;
        g.CanvasColorName = CanvasColorName;
        g.NoteNotShow = NoteNotShow;
        g.NoteNotFrame = NoteNotFrame;
        g.FrameSameText = FrameSameText;
        g.FrameColor = FrameColor;
        g.ReplaceJump = ReplaceJump;
        RS = rs;
    }
};

using Target = std::variant<QString*, bool*, std::int32_t*>;

struct SettingItem {
    QString key;
    Target target;
    bool centimetreDefault; // the ini gives this length in centimetres
};

// The keys in their fixed order, each bound to its field of s.
std::vector<SettingItem> SettingItems(DocumentSettings& s)
{
    static const char* const sides[] = {"Left", "Right", "Top", "Bottom"};
    static const char* const bands[] = {"Header", "Footer"};
    static const char* const positions[] = {"Left", "Center", "Right"};
    const QString printer = QStringLiteral("Printer");
    ReportSettingRecord& rs = s.rs;

    std::vector<SettingItem> items{
        {QStringLiteral("CanvasColor"), &s.CanvasColorName, false},
        {QStringLiteral("NoteNotShow"), &s.NoteNotShow, false},
        {QStringLiteral("NoteNotFrame"), &s.NoteNotFrame, false},
        {QStringLiteral("FrameSameText"), &s.FrameSameText, false},
        {QStringLiteral("FrameColor"), &s.FrameColor, false},
        {QStringLiteral("ReplaceJump"), &s.ReplaceJump, false},
        {printer + QStringLiteral("PaperStyle"), &rs.paperStyle, false},
    };
    for (int side = 0; side < 4; ++side)
        items.push_back({printer + QLatin1String(sides[side]) + QStringLiteral("Margin"), &rs.margin[side], true});
    items.push_back({printer + QStringLiteral("Frame"), &rs.frameShow[0], false});
    for (int side = 0; side < 4; ++side)
        items.push_back({printer + QLatin1String(sides[side]) + QStringLiteral("Space"), &rs.space[side], true});
    for (int band = 0; band < 2; ++band) {
        const QString head = printer + QLatin1String(bands[band]);
        items.push_back({head + QStringLiteral("Frame"), &rs.frameShow[band + 1], false});
        items.push_back({head + QStringLiteral("Height"), band == 0 ? &rs.headerHeight : &rs.footerHeight, false});
        for (int position = 0; position < 3; ++position) {
            const int slot = 3 * band + position;
            const QString slotKey = head + QLatin1String(positions[position]);
            items.push_back({slotKey + QStringLiteral("Explain"), &rs.explain[slot], false});
            items.push_back({slotKey + QStringLiteral("FontName"), &rs.fontName[slot], false});
            items.push_back({slotKey + QStringLiteral("FontSize"), &rs.fontSize[slot], false});
            items.push_back({slotKey + QStringLiteral("FontBold"), &rs.fontBold[slot], false});
            items.push_back({slotKey + QStringLiteral("FontItalic"), &rs.fontItalic[slot], false});
            items.push_back({slotKey + QStringLiteral("FontStrikethru"), &rs.fontStrikethru[slot], false});
            items.push_back({slotKey + QStringLiteral("FontUnderLine"), &rs.fontUnderLine[slot], false});
            items.push_back({slotKey + QStringLiteral("Color"), &rs.color[slot], false});
        }
    }
    for (int n = 0; n < 5; ++n)
        items.push_back({printer + QStringLiteral("Text") + QString::number(n + 1), &rs.extraText[n], false});
    items.push_back({printer + QStringLiteral("UpdateDateFormat"), &rs.updateDateFormat, false});
    items.push_back({printer + QStringLiteral("NowDateFormat"), &rs.nowDateFormat, false});
    return items;
}

QString ValueText(const Target& target)
{
    // A value is one line of the settings text: its line breaks, every kind of them, go as TABs, and
    // a TAB of its own, which would come back as a line break, as a blank.
    if (auto* text = std::get_if<QString*>(&target))
        return LineBreaksReplace(QString(**text).replace(kTab, QStringLiteral(" ")), kTab);
    if (auto* flag = std::get_if<bool*>(&target))
        return **flag ? QStringLiteral("True") : QStringLiteral("False");
    return QString::number(*std::get<std::int32_t*>(target));
}

void SettingItemAppend(QString& text, const QString& key, const QString& value)
{
    if (!text.isEmpty())
        text += kCrLf;
    text += QString(key).remove(QLatin1Char(' ')) + QLatin1Char(':') + value;
}

// Keys are compared without their blanks (inside ones too) and without regard to letter case.
QString KeyForm(const QString& key)
{
    return QString(key).remove(QLatin1Char(' ')).toLower();
}

// The value of the first line whose key matches, and that line's index; "" and -1 when none does.
QString ValueOf(const QStringList& lines, const QString& key, qsizetype& index)
{
    const QString wanted = KeyForm(key);
    for (index = 0; index < lines.size(); ++index) {
        const QString& line = lines[index];
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString lineKey = colon < 0 ? line : line.left(colon);
        if (KeyForm(lineKey) == wanted)
            return colon < 0 ? QString() : line.mid(colon + 1);
    }
    index = -1;
    return {};
}

[[noreturn]] void RaiseBadValue(const SettingItem& item, const QString& value, std::int32_t number)
{
    throw vbrt::Error(number, QStringLiteral("DocumentSettingsText"),
                      QStringLiteral("文書の設定 %1 の値 \"%2\" が正しくありません。").arg(item.key, value));
}

bool BooleanOf(const SettingItem& item, const QString& value)
{
    const QString word = vbrt::Trim(value).toLower();
    if (word == QLatin1String("true"))
        return true;
    if (word == QLatin1String("false"))
        return false;
    if (vbrt::IsNumeric(value))
        return vbrt::CDbl(value) != 0;
    RaiseBadValue(item, value, vbrt::ErrorNumber::TypeMismatch);
}

std::int32_t LongOf(const SettingItem& item, const QString& value)
{
    if (!vbrt::IsNumeric(value))
        RaiseBadValue(item, value, vbrt::ErrorNumber::TypeMismatch);
    try {
        return vbrt::CLng(vbrt::CDbl(value));
    } catch (const vbrt::Error& e) {
        RaiseBadValue(item, value, e.number());
    }
}

// A default the ini file lacks or gets wrong is the ini file's fault, not the document's: the
// message names the file and the key.
[[noreturn]] void RaiseBadDefault(const SettingItem& item, const QString& value, std::int32_t number)
{
    const QString ini = QDir(CommonServices->GetAppPath()).filePath(CommonServices->GetAppExeName() + ".ini");
    throw vbrt::Error(number, QStringLiteral("DocumentSettingsText"),
                      value.isEmpty()
                          ? QStringLiteral("設定ファイル %1 の [Default] に %2 がありません。").arg(ini, item.key)
                          : QStringLiteral("設定ファイル %1 の [Default] %2 の値 \"%3\" が正しくありません。")
                                .arg(ini, item.key, value));
}

void SettingItemValueSet(const SettingItem& item, const QString& value)
{
    if (auto* text = std::get_if<QString*>(&item.target))
        **text = QString(value).replace(kTab, kCrLf);
    else if (auto* flag = std::get_if<bool*>(&item.target))
        **flag = value.isEmpty() ? false : BooleanOf(item, value);
    else
        *std::get<std::int32_t*>(item.target) = value.isEmpty() ? 0 : LongOf(item, value);
}

void SettingItemRead(const QStringList& lines, const SettingItem& item, qsizetype* refusedLine)
{
    qsizetype index = -1;
    const QString value = ValueOf(lines, item.key, index);
    if (!value.isEmpty()) {
        try {
            SettingItemValueSet(item, value);
        } catch (const vbrt::Error&) {
            if (refusedLine)
                *refusedLine = index;
            throw;
        }
        return;
    }
    const QString fromIni = CommonServices ? CommonServices->GetInitFile(QStringLiteral("Default"), item.key) : QString();
    try {
        // Only the ini gives centimetres; documents carry twips.
        if (item.centimetreDefault && !vbrt::IsNumeric(fromIni))
            RaiseBadValue(item, fromIni, vbrt::ErrorNumber::TypeMismatch);
        SettingItemValueSet(item, item.centimetreDefault
                                      ? QString::number(CentimeterToTwip(static_cast<float>(vbrt::CDbl(fromIni))))
                                      : fromIni);
    } catch (const vbrt::Error& e) {
        if (!CommonServices)
            throw;
        RaiseBadDefault(item, fromIni, e.number());
    }
}

} // namespace

QString DocumentSettingsText(bool writeMode, const QString& text, qsizetype* refusedLine)
{
    DocumentSettings settings = DocumentSettings::Current();
    const std::vector<SettingItem> items = SettingItems(settings);
    if (writeMode) {
        QString out;
        for (const SettingItem& item : items)
            SettingItemAppend(out, item.key, ValueText(item.target));
        return out;
    }
    const QStringList lines = text.split(kCrLf);
    for (const SettingItem& item : items)
        SettingItemRead(lines, item, refusedLine);
    settings.Store();
    ReportSettingApply();
    return text;
}

const QStringList& DocumentSettingKeys()
{
    static const QStringList keys = [] {
        DocumentSettings scratch;
        QStringList out;
        for (const SettingItem& item : SettingItems(scratch))
            out << item.key;
        return out;
    }();
    return keys;
}

} // namespace vellumora
