#include "app/diagram/TagTable.h"

#include "app/diagram/PadUtilities.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/Processing.h"
#include "app/core/PrintRecords.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QStringList>

namespace vellumora {

namespace {

using platform::vbrt::Trim;

// The attribute rows, in table order: the row index is the bit number.
struct AttributeRow {
    const char* name;
    std::int32_t value;
};
constexpr AttributeRow kAttributeRows[] = {
    {"BlockTag", TagAttribute::BlockTag},
    {"BlockEndTag", TagAttribute::BlockEndTag},
    {"DerivedTag", TagAttribute::DerivedTag},
    {"SpecialTag", TagAttribute::SpecialTag},
    {"OtherTag", TagAttribute::OtherTag},
    {"Frame", TagAttribute::Frame},
    {"TextUnnecessary", TagAttribute::TextUnnecessary},
    {"SubLevel", TagAttribute::SubLevel},
    {"MultiSub", TagAttribute::MultiSub},
    {"LargeText", TagAttribute::LargeText},
    {"SmallText", TagAttribute::SmallText},
    {"CanDivide", TagAttribute::CanDivide},
    {"NoVerticalGap", TagAttribute::NoVerticalGap},
    {"NullTextSuppress", TagAttribute::NullTextSuppress},
};

// Row texts of the tag table: box name, mnemonic, attribute names joined by "+".
// The row for id n is entry n - 1.
const char* const kTagRows[] = {
    " , &&document, OtherTag",
    " , &&end-document, OtherTag",
    "定義Box, &&routine, BlockTag+Frame+SubLevel+NullTextSuppress+Obstinate1",
    " , &&end-routine, BlockEndTag",
    "処理Box, &&block, BlockTag+Frame+LargeText+CanDivide+Obstinate1",
    "宣言Box, &&declare, BlockTag+Frame+LargeText+CanDivide+Obstinate1",
    "入力Box, &&input, BlockTag+Obstinate1",
    "出力Box, &&output, BlockTag+Obstinate1",
    "参照Box, &&external, BlockTag+Frame+Obstinate1",
    "選択Box, &&branch, BlockTag+SubLevel+MultiSub+Obstinate1",
    " , &&end-branch, BlockEndTag",
    "反復Box, &&loop, BlockTag+Frame+SubLevel+Obstinate1",
    " , &&end-loop, BlockEndTag",
    "Label, &&label, BlockTag+SmallText+Obstinate1",
    "Break, &&break, BlockTag+Frame+TextUnnecessary+Obstinate1",
    "Continue, &&continue, BlockTag+Frame+TextUnnecessary+Obstinate1",
    "Jump, &&jump, BlockTag+Frame+SmallText+Obstinate1",
    "ﾂﾘｰBox, &&tree, BlockTag+Frame+SubLevel+Obstinate2",
    " , &&end-tree, BlockEndTag",
    "注釈Box, &&note, BlockTag+LargeText+CanDivide+Obstinate1+Obstinate2",
    " , &&chink, SpecialTag+NoVerticalGap",
    "自由Box, &&freeStyle, BlockTag+Obstinate1",
    " , &&egg, SpecialTag",
    "ｹｰｽ, &&case, OtherTag+SmallText",
    " , &&color, OtherTag",
    " , &&font, OtherTag",
    " , &&name, OtherTag",
    " , &&before, OtherTag",
    " , &&after, OtherTag",
    " , &&style, OtherTag",
    " , &&text, OtherTag",
    " , &&lowerPage, OtherTag",
    " , &&rightPage, OtherTag",
    " , &&obstinate, OtherTag",
};
static_assert(std::size(kTagRows) == TagId::Last);

struct StyleRow {
    const char* name;
    const char* values;
};
constexpr StyleRow kStyleRows[] = {
    {"LeftUpperCorner", "Off:Cut:Curve"},
    {"LeftLowerCorner", "Off:Cut:Curve"},
    {"RightUpperCorner", "Off:Cut:Curve"},
    {"RightLowerCorner", "Off:Cut:Curve"},
    {"LeftLine", "Off:On"},
    {"RightLine", "Off:On"},
    {"UpperLine", "Off:On"},
    {"LowerLine", "Off:On"},
    {"Overlap", "Off:Horizontal:Vertical"},
};

constexpr int kChartKinds = 5;

// A built-in row that names an attribute the table lacks is only logged: the tables never fail to build.
void TagAttributeMissing(const QString& mnemonic, const QString& attributes, const QString& name)
{
    DebugLogWrite(QStringLiteral("ﾆｰﾓﾆｯｸ"), mnemonic, 0, ErrorDebugClass);
    DebugLogWrite(QStringLiteral("付加属性"), attributes, 0, ErrorDebugClass);
    DebugLogWrite(QStringLiteral("該当無し属性"), name, 0, ErrorDebugClass);
}

[[noreturn]] void FreeStyleError()
{
    platform::vbrt::Raise(QStringLiteral("FreeStyleBox"), QStringLiteral("ﾌﾘｰｽﾀｲﾙの指定に間違いがあります。"));
}

// Later items win; the items before a bad one stay stored.
void FreeStyleApply(std::vector<std::uint8_t>& style, const QString& styleText)
{
    style.assign(PR.StyleAttributeTable.size(), 0);
    QString text = styleText.toLower();
    text.replace(QLatin1Char(';'), QLatin1String("\r\n"));
    if (text.isEmpty())
        return;
    for (const QString& item : text.split(QLatin1String("\r\n"))) {
        // An empty item (";;" or a trailing ";") names nothing and is passed over.
        if (Trim(item).isEmpty())
            continue;
        const QStringList fields = item.split(QLatin1Char(':'));
        const QString name = Trim(fields.value(0));
        const QString value = Trim(fields.value(1));
        bool matched = false;
        for (std::size_t r = 0; r < PR.StyleAttributeTable.size() && !matched; ++r) {
            const StyleAttributeRecord& row = PR.StyleAttributeTable[r];
            if (row.name != name)
                continue;
            // A name alone switches the attribute to its first value after "off".
            const QString wanted = value.isEmpty() ? (row.values.size() > 1 ? row.values[1] : QString()) : value;
            for (std::size_t k = 0; k < row.values.size(); ++k) {
                if (row.values[k] == wanted) {
                    style[r] = static_cast<std::uint8_t>(k);
                    matched = true;
                }
            }
            break;
        }
        if (!matched)
            FreeStyleError();
    }
}

} // namespace

void TagTableDefine()
{
    PR.TagAttributeTable.clear();
    for (const AttributeRow& row : kAttributeRows)
        TagAttributeAdd(QString::fromLatin1(row.name), row.value);
    for (int n = 1; n <= kChartKinds; ++n)
        TagAttributeAdd(QStringLiteral("Obstinate%1").arg(n), TagAttribute::Obstinate1 << (n - 1));

    PR.TagTable.clear();
    for (std::int32_t id = 1; id <= TagId::Last; ++id)
        TagTableAdd(id, QString::fromUtf8(kTagRows[id - 1]));

    PR.StyleAttributeTable.clear();
    for (const StyleRow& row : kStyleRows)
        StyleAttributeTableAdd(QString::fromLatin1(row.name), QString::fromLatin1(row.values));

    PR.ObstinateTable.assign(kChartKinds, {});
    for (int r = 0; r < kChartKinds; ++r)
        PR.ObstinateTable[r][0] = QStringLiteral("Obstinate%1").arg(r + 1);
    PR.ObstinateTable[0][1] = QStringLiteral("PAD図");
    PR.ObstinateTable[1][1] = QStringLiteral("ﾓｼﾞｭｰﾙ構造図");

    // The program starts with the ini defaults of every document setting.
    RS = ReportSettingRecord::Default;
    DocumentSettingsText(false, QString());
}

void TagAttributeAdd(const QString& name, std::int32_t value)
{
    PR.TagAttributeTable.push_back({Trim(name), value});
}

void TagTableAdd(std::int32_t id, const QString& rowText)
{
    const QStringList parts = rowText.split(QLatin1Char(','));
    TagTableRecord row;
    row.id = id;
    row.boxName = Trim(parts.value(0));
    row.mnemonic = Trim(parts.value(1));
    const QString attributes = Trim(parts.value(2));
    if (!attributes.isEmpty()) {
        for (const QString& part : attributes.split(QLatin1Char('+'))) {
            const QString name = Trim(part);
            bool found = false;
            for (const TagAttributeRecord& attribute : PR.TagAttributeTable) {
                if (attribute.name == name) {
                    row.flags |= attribute.value;
                    found = true;
                    break;
                }
            }
            if (!found)
                TagAttributeMissing(row.mnemonic, attributes, name);
        }
    }
    PR.TagTable.push_back(row);
}

void StyleAttributeTableAdd(const QString& name, const QString& valueList)
{
    StyleAttributeRecord row;
    row.name = Trim(name).toLower();
    for (const QString& value : valueList.toLower().split(QLatin1Char(':')))
        row.values.push_back(Trim(value));
    row.isLeft = row.name.contains(QLatin1String("left"));
    row.isRight = row.name.contains(QLatin1String("right"));
    row.isUpper = row.name.contains(QLatin1String("upper"));
    row.isLower = row.name.contains(QLatin1String("lower"));
    row.isCorner = row.name.contains(QLatin1String("corner"));
    row.isLine = row.name.contains(QLatin1String("line"));
    row.isOverlap = row.name.contains(QLatin1String("overlap"));
    PR.StyleAttributeTable.push_back(std::move(row));
}

void PadTablesClear()
{
    PR.TagAttributeTable.clear();
    PR.TagTable.clear();
    PR.StyleAttributeTable.clear();
}

TagTableRecord TagTableGet(std::int32_t tagId)
{
    for (const TagTableRecord& row : PR.TagTable) {
        if (row.id == tagId)
            return row;
    }
    return TagTableRecord::Default;
}

std::int32_t CanvasChartKinds(const CanvasRecord& canvas)
{
    if (const std::int32_t own = canvas.header.kindFlags & TagAttribute::ObstinateMask)
        return own;
    std::int32_t shared = TagAttribute::ObstinateMask;
    std::int32_t any = 0;
    for (std::size_t n = 1; n < canvas.BoxList.size(); ++n) {
        const BoxRecord& box = canvas.BoxList[n];
        const std::int32_t kinds = TagTableGet(box.tagType).flags & TagAttribute::ObstinateMask;
        // Free slots, and marks such as the egg of an empty canvas, belong to no kind.
        if (box.garbage != -1 || kinds == 0)
            continue;
        shared &= kinds;
        any |= kinds;
    }
    // The lowest bit is the first kind.
    return shared != 0 ? shared & -shared : any;
}

PadInfoRecord PadInfoMake(std::int32_t tagId, const QString& text)
{
    PadInfoRecord record = PadInfoRecord::Default;
    record.tagId = tagId;
    record.flags = TagTableGet(tagId).flags;
    record.text = text;
    return record;
}

void FreeStyleParse(std::int16_t canvas, std::int16_t box, const PadInfoRecord& record)
{
    FreeStyleApply(BoxAt(CanvasAt(canvas, "FreeStyleParse"), box, "FreeStyleParse").style, record.style);
}

bool InputTextCheck(const QString& text, std::int32_t tagId, std::int32_t maxChars, std::int32_t maxLines)
{
    QString prefix;
    if (maxChars <= 0 || maxLines <= 0) {
        const TagTableRecord row = TagTableGet(tagId);
        prefix = row.boxName + QStringLiteral("の");
        if (row.flags & TagAttribute::LargeText) {
            maxChars = 500;
            maxLines = 200;
        } else if (row.flags & TagAttribute::SmallText) {
            maxChars = 50;
            maxLines = 3;
        } else {
            maxChars = 500;
            maxLines = 20;
        }
    }
    const QStringList lines = text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
    bool tooLong = lines.size() > maxLines;
    for (qsizetype i = 0; !tooLong && i < lines.size(); ++i)
        tooLong = lines.at(i).size() > maxChars;
    if (tooLong) {
        ErrorMessageBox(prefix + QStringLiteral("入力ﾃｷｽﾄは ") + QString::number(maxLines) + QStringLiteral("行以内、") +
                            QStringLiteral("1行の文字数は ") + QString::number(maxChars) +
                            QStringLiteral("文字以内として下さい。"),
                        {});
        return true;
    }
    // The document is saved in Shift_JIS: a character without a form there is refused now, not
    // at the next save.
    if (!platform::codepage::CanEncode(text)) {
        ErrorMessageBox(prefix + QStringLiteral("入力ﾃｷｽﾄに Shift_JIS で表せない文字があります。"), {});
        return true;
    }
    return false;
}

} // namespace vellumora
