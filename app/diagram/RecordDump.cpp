#include "app/diagram/RecordDump.h"

#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"

#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace vellumora {

namespace {

// Every entry of a dump goes out as class 1; the forced class decides instead.
constexpr std::int16_t DumpClass = 1;

const QString Stars15(15, QLatin1Char('*'));
const QString Stars30(30, QLatin1Char('*'));

// While a dump runs its class decides every entry; the class is let go however the dump ends.
class ForcedClass {
public:
    explicit ForcedClass(std::int16_t debugClass) { DebugLog.DebugClassForce = debugClass; }
    ~ForcedClass() { DebugLog.DebugClassForce = -1; }
    ForcedClass(const ForcedClass&) = delete;
    ForcedClass& operator=(const ForcedClass&) = delete;
};

void Header(const QString& label, std::int16_t indent) { DebugLogWrite(label, QVariant(), indent, DumpClass); }

void Entry(const QString& label, const QVariant& value, std::int16_t indent)
{
    DebugLogWrite(label, value, indent, DumpClass);
}

// Integers go out as numbers of their own width; a byte would otherwise read as a character.
void Entry(const QString& label, std::int32_t value, std::int16_t indent) { Entry(label, QVariant(value), indent); }
void Entry(const QString& label, bool value, std::int16_t indent) { Entry(label, QVariant(value), indent); }
void Entry(const QString& label, const QString& value, std::int16_t indent) { Entry(label, QVariant(value), indent); }
void Entry(const QString& label, const Point& value, std::int16_t indent)
{
    Entry(label, QVariant(DebugPoint(value)), indent);
}

QString Suffix(std::int16_t number) { return number >= 0 ? QString::number(number) : QString(); }

QString Number(std::size_t n) { return QString::number(n); }

// A member of an array or of a group: "label(index)".
QString Indexed(const QString& label, const QString& index)
{
    return label + QLatin1Char('(') + index + QLatin1Char(')');
}

// The walk of one canvas: which boxes and sub lines were already dumped.
struct BoxTreeWalk {
    const CanvasRecord& canvas;
    std::int16_t canvasIndex;
    std::vector<bool> boxSeen;
    std::vector<bool> subSeen;

    // Slot 0 is the spare of each list and never holds a box or sub line.
    bool Enter(std::int16_t index, std::vector<bool>& seen)
    {
        if (index < 1 || static_cast<std::size_t>(index) >= seen.size() || seen[static_cast<std::size_t>(index)])
            return false;
        seen[static_cast<std::size_t>(index)] = true;
        return true;
    }

    void Chain(std::int16_t box, std::int16_t indent);
    void Sub(std::int16_t sub, std::int16_t indent);
};

void BoxEntries(const BoxRecord& box, std::int16_t indent)
{
    Entry(QStringLiteral("tagﾀｲﾌﾟ"),
          QString::number(box.tagType) + QLatin1Char(':') + TagTableGet(box.tagType).mnemonic, indent);
    Entry(QStringLiteral("tag属性"), box.tagAttr, indent);
    Entry(QStringLiteral("SUBｲﾝﾃﾞｯｸｽ"), box.subIndex, indent);
    Entry(QStringLiteral("SUB件数"), box.subCount, indent);
    Entry(QStringLiteral("ﾚﾍﾞﾙ番号"), box.levelNo, indent);
    Entry(QStringLiteral("上位ｲﾝﾃﾞｯｸｽ"), box.upper, indent);
    Entry(QStringLiteral("前ｲﾝﾃﾞｯｸｽ"), box.before, indent);
    Entry(QStringLiteral("次ｲﾝﾃﾞｯｸｽ"), box.after, indent);
    DebugInternalCode(box.text, 1, indent, QString());
    DebugInternalCode(box.text2, 2, indent, QString());
    Entry(QStringLiteral("幅,高さ(Simple)"), box.sizeS, indent);
    Entry(QStringLiteral("幅,高さ(Expand)"), box.sizeE, indent);
    Entry(QStringLiteral("幅,高さ(Paint)"), box.sizeP, indent);
    for (const std::uint8_t style : box.style)
        Entry(QStringLiteral("ｽﾀｲﾙ"), std::int32_t(style), indent);
    for (std::size_t j = 0; j < box.draw.size(); ++j)
        DebugFigureData(box.draw[j], static_cast<std::int16_t>(j + 1), indent, QString());
    Entry(QStringLiteral("ｶﾗｰｺｰﾄﾞ"), box.colorCode, indent);
    Entry(QStringLiteral("ﾌｫﾝﾄｺｰﾄﾞ"), box.fontCode, indent);
    Entry(QStringLiteral("XY座標"), box.xy, indent);
    Entry(QStringLiteral("番号"), box.no, indent);
    Entry(QStringLiteral("各種ﾌﾗｸﾞ"), box.flags, indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ｲﾝﾃﾞｯｸｽ"), box.blockIndex, indent);
    Entry(QStringLiteral("ｶﾞｰﾍﾞｰｼﾞ"), box.garbage, indent);
}

void SubEntries(const SubRecord& sub, std::int16_t indent)
{
    Entry(QStringLiteral("下位ｲﾝﾃﾞｯｸｽ"), sub.boxIndex, indent);
    Entry(QStringLiteral("上位ｲﾝﾃﾞｯｸｽ"), sub.upper, indent);
    Entry(QStringLiteral("前ｲﾝﾃﾞｯｸｽ"), sub.before, indent);
    Entry(QStringLiteral("次ｲﾝﾃﾞｯｸｽ"), sub.after, indent);
    Entry(QStringLiteral("最終ｲﾝﾃﾞｯｸｽ"), sub.last, indent);
    Entry(QStringLiteral("番号"), sub.no, indent);
    DebugInternalCode(sub.text, 1, indent, QString());
    DebugInternalCode(sub.text2, 2, indent, QString());
    Entry(QStringLiteral("幅,高さ(Simple)"), sub.sizeS, indent);
    Entry(QStringLiteral("幅,高さ(Paint)"), sub.sizeP, indent);
    for (std::size_t k = 0; k < sub.draw.size(); ++k)
        DebugFigureData(sub.draw[k], static_cast<std::int16_t>(k + 1), indent, QString());
    Entry(QStringLiteral("条件分岐窪みの深さ"), sub.branchDepth, indent);
    Entry(QStringLiteral("XY座標(0)"), sub.xy[0], indent);
    Entry(QStringLiteral("XY座標(1)"), sub.xy[1], indent);
    for (std::size_t l = 0; l < sub.base.size(); ++l) {
        const QString prefix = QStringLiteral("ﾍﾞｰｽ") + Number(l);
        Entry(prefix + QStringLiteral("XY座標"), sub.base[l].xy, indent);
        DebugFigureData(sub.base[l].figure, -1, indent, prefix);
    }
    Entry(QStringLiteral("各種ﾌﾗｸﾞ"), sub.flags, indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ｲﾝﾃﾞｯｸｽ"), sub.blockIndex, indent);
    Entry(QStringLiteral("接続子番号"), sub.connectorNo, indent);
    Entry(QStringLiteral("ｶﾞｰﾍﾞｰｼﾞ"), sub.garbage, indent);
}

void BoxTreeWalk::Chain(std::int16_t box, std::int16_t indent)
{
    while (Enter(box, boxSeen)) {
        const BoxRecord& record = canvas.BoxList[static_cast<std::size_t>(box)];
        Header(QStringLiteral("boxList(%1,%2) ").arg(box).arg(canvasIndex) + Stars30, indent);
        BoxEntries(record, indent);
        std::int16_t sub = record.subIndex;
        while (Enter(sub, subSeen)) {
            Sub(sub, indent);
            sub = canvas.SubList[static_cast<std::size_t>(sub)].after;
        }
        box = record.after;
    }
}

void BoxTreeWalk::Sub(std::int16_t sub, std::int16_t indent)
{
    const SubRecord& record = canvas.SubList[static_cast<std::size_t>(sub)];
    const std::int16_t subIndent = static_cast<std::int16_t>(indent + 4);
    Header(QStringLiteral("subList(%1,%2) ").arg(sub).arg(canvasIndex) + Stars15, subIndent);
    SubEntries(record, subIndent);
    if (record.boxIndex > 0)
        Chain(record.boxIndex, static_cast<std::int16_t>(indent + 8));
}

void LayoutConstantsEntries()
{
    const LayoutConstants& lo = LO;
    const std::pair<const char16_t*, std::int32_t> members[] = {
        {u"基準文字幅", lo.charWidth},
        {u"基準文字高さ", lo.charHeight},
        {u"Routineの横線間隔", lo.routineLineGap},
        {u"Box内の左壁まで距離", lo.innerLeft},
        {u"Box内の右壁まで距離", lo.innerRight},
        {u"Box内の上壁まで距離", lo.innerTop},
        {u"Box内の下壁まで距離", lo.innerBottom},
        {u"Declareの縦棒の間隔", lo.declareBarGap},
        {u"IOBlockの左右の間隔", lo.ioSideGap},
        {u"Externalの左右の間隔", lo.externalSideGap},
        {u"Branchの窪みの深さ", lo.branchNotchDepth},
        {u"Branchの隙間の間隔", lo.branchGap},
        {u"Branch上壁まで距離", lo.branchTop},
        {u"Branch下壁まで距離", lo.branchBottom},
        {u"Loopの縦棒の間隔", lo.loopBarGap},
        {u"Labelの半径の余裕", lo.labelRadiusMargin},
        {u"Jumpの隙間の間隔", lo.jumpGap},
        {u"FreeStyle水平余裕", lo.freeStyleHorizontal},
        {u"FreeStyle垂直余裕", lo.freeStyleVertical},
        {u"Joint水平余裕", lo.jointHorizontal},
        {u"Joint垂直余裕", lo.jointVertical},
        {u"Y調整時許容値", lo.yAdjustAllow},
        {u"横並びﾌﾞﾛｯｸの間隔", lo.horizontalGap},
        {u"縦並びﾌﾞﾛｯｸの間隔", lo.verticalGap},
        {u"線ﾗﾍﾞﾙの幅", lo.lineLabelWidth},
        {u"線ﾗﾍﾞﾙの高さ", lo.lineLabelHeight},
        // The sub line's label width has always been logged under the line label's name.
        {u"線ﾗﾍﾞﾙの幅", lo.subLineLabelWidth},
        {u"新ﾍﾟｰｼﾞ指示ﾏｰｸ", lo.newPageMark},
        {u"ﾌﾞﾛｯｸ水平間隔", lo.blockHorizontalGap},
        {u"ﾌﾞﾛｯｸ垂直間隔", lo.blockVerticalGap},
    };
    Header(QStringLiteral("LO ") + Stars30, 0);
    for (const auto& [label, value] : members)
        Entry(QString::fromUtf16(label), value, 0);
}

void ReportSettingEntries()
{
    static const std::array<QString, 4> sides = {QStringLiteral("L"), QStringLiteral("R"), QStringLiteral("T"),
                                                 QStringLiteral("B")};
    static const std::array<QString, 3> frames = {QStringLiteral("C"), QStringLiteral("H"), QStringLiteral("F")};
    static const std::array<QString, 6> slotNames = {QStringLiteral("HL"), QStringLiteral("HC"), QStringLiteral("HR"),
                                                 QStringLiteral("FL"), QStringLiteral("FC"), QStringLiteral("FR")};
    const ReportSettingRecord& rs = RS;

    Header(QStringLiteral("RS ") + Stars30, 0);
    Entry(QStringLiteral("用紙"), rs.paperStyle, 0);
    Entry(QStringLiteral("用紙ｻｲｽﾞ"), rs.paperSize, 0);
    Entry(QStringLiteral("用紙方向"), rs.orientation, 0);
    for (std::size_t i = 0; i < sides.size(); ++i)
        Entry(Indexed(QStringLiteral("各ﾏｰｼﾞﾝ"), sides[i]), rs.margin[i], 0);
    for (std::size_t i = 0; i < frames.size(); ++i)
        Entry(Indexed(QStringLiteral("枠有無"), frames[i]), rs.frameShow[i], 0);
    for (std::size_t i = 0; i < sides.size(); ++i)
        Entry(Indexed(QStringLiteral("各余白"), sides[i]), rs.space[i], 0);
    Entry(QStringLiteral("ﾍｯﾀﾞ高さ"), rs.headerHeight, 0);
    Entry(QStringLiteral("ﾌｯﾀ高さ"), rs.footerHeight, 0);
    for (std::size_t i = 0; i < slotNames.size(); ++i) {
        Entry(Indexed(QStringLiteral("内容"), slotNames[i]), rs.explain[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄ名"), slotNames[i]), rs.fontName[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ"), slotNames[i]), rs.fontSize[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄ太字"), slotNames[i]), rs.fontBold[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄ斜体"), slotNames[i]), rs.fontItalic[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄ取消線"), slotNames[i]), rs.fontStrikethru[i], 0);
        Entry(Indexed(QStringLiteral("ﾌｫﾝﾄ下線"), slotNames[i]), rs.fontUnderLine[i], 0);
        Entry(Indexed(QStringLiteral("色"), slotNames[i]), rs.color[i], 0);
    }
    for (std::size_t i = 0; i < rs.extraText.size(); ++i)
        Entry(Indexed(QStringLiteral("追加ﾃｷｽﾄ"), Number(i + 1)), rs.extraText[i], 0);
    Entry(QStringLiteral("更新日付ﾌｫｰﾏｯﾄ"), rs.updateDateFormat, 0);
    Entry(QStringLiteral("現在日付ﾌｫｰﾏｯﾄ"), rs.nowDateFormat, 0);
    Entry(QStringLiteral("用紙横ｻｲｽﾞ"), rs.pageWidth, 0);
    Entry(QStringLiteral("用紙縦ｻｲｽﾞ"), rs.pageHeight, 0);
    Entry(QStringLiteral("印刷横ｻｲｽﾞ"), rs.printWidth, 0);
    Entry(QStringLiteral("印刷縦ｻｲｽﾞ"), rs.printHeight, 0);
    Entry(QStringLiteral("ｷｬﾝﾊﾞｽ横ｻｲｽﾞ"), rs.reportWidth, 0);
    Entry(QStringLiteral("ｷｬﾝﾊﾞｽ縦ｻｲｽﾞ"), rs.reportHeight, 0);
    for (std::size_t i = 0; i < rs.descriptionList.size(); ++i) {
        const ReportDescription& d = rs.descriptionList[i];
        Entry(Indexed(QStringLiteral("説明"), Number(i)), d.description, 0);
        Entry(Indexed(QStringLiteral("区分1"), Number(i)), d.category1, 0);
        Entry(Indexed(QStringLiteral("区分2"), Number(i)), d.category2, 0);
        Entry(Indexed(QStringLiteral("ﾍﾟｰｼﾞ毎"), Number(i)), d.perPage, 0);
    }
    Entry(QStringLiteral("PDFﾌｧｲﾙ名"), rs.pdfPath, 0);
}

void ConnectorEntries(const ConnectorRecord& connector, std::size_t c, std::int16_t indent)
{
    const QString prefix = QStringLiteral("接続子(") + Number(c) + QStringLiteral(").");
    for (std::size_t f = 0; f < connector.draw.size(); ++f)
        DebugFigureData(connector.draw[f], static_cast<std::int16_t>(f + 1), indent, prefix);
    Entry(prefix + QStringLiteral("幅,高さ"), connector.sizeP, indent);
    Entry(prefix + QStringLiteral("接続子番号"), connector.connectorNo, indent);
    DebugInternalCode(connector.label, -1, indent, prefix);
    Entry(prefix + QStringLiteral("XY座標"), connector.xy, indent);
}

void BlockEntries(const BlockRecord& block, std::int16_t indent)
{
    Entry(QStringLiteral("ﾍﾞｰｽ番号"), block.canvas, indent);
    for (std::size_t i = 0; i < block.children.size(); ++i)
        Entry(Indexed(QStringLiteral("後続ｲﾝﾃﾞｯｸｽ"), Number(i)), block.children[i], indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ｻｲｽﾞ"), block.size, indent);
    for (std::size_t c = 0; c < block.connector.size(); ++c)
        ConnectorEntries(block.connector[c], c, indent);
    for (std::size_t f = 0; f < block.draw.size(); ++f)
        DebugFigureData(block.draw[f], static_cast<std::int16_t>(f + 1), indent, QString());
    Entry(QStringLiteral("基準ﾚﾍﾞﾙ番号"), block.baseLevel, indent);
    Entry(QStringLiteral("編集BOX件数"), block.editBoxCount, indent);
    for (std::size_t i = 0; i < block.peakSet.size(); ++i)
        Entry(Indexed(QStringLiteral("最高峰の集合"), Number(i)), block.peakSet[i], indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ﾌｧｲﾙNo"), block.fileNo, indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ﾌｧｲﾙ名"), block.fileName, indent);
    Entry(QStringLiteral("ﾍﾟｰｼﾞ番号"), block.pageNo, indent);
    for (std::size_t i = 0; i < block.joinBlocks.size(); ++i)
        Entry(Indexed(QStringLiteral("接続ﾌﾞﾛｯｸ"), Number(i)), block.joinBlocks[i], indent);
    Entry(QStringLiteral("接続済"), block.joined, indent);
    Entry(QStringLiteral("ﾍﾟｰｼﾞ･ﾎﾟｼﾞｼｮﾝ"), block.pagePos, indent);
    Entry(QStringLiteral("接続ﾌﾞﾛｯｸ･ﾚﾍﾞﾙ"), block.joinLevel, indent);
    Entry(QStringLiteral("各種ﾌﾗｸﾞ"), block.flags, indent);
}

void PageEntries()
{
    for (std::size_t p = 1; p < RW.PageList.size(); ++p) {
        const PageRecord& page = RW.PageList[p];
        Header(QStringLiteral("pageList(") + Number(p) + QStringLiteral(") ") + Stars30, 0);
        Entry(QStringLiteral("ﾍﾞｰｽ番号"), page.canvas, 0);
        Entry(QStringLiteral("ｷｬﾝﾊﾞｽ名"), page.canvasName, 0);
        Entry(QStringLiteral("ｷｬﾝﾊﾞｽ番号"), page.canvasNumber, 0);
        Entry(QStringLiteral("ﾍﾟｰｼﾞ･ﾌｧｲﾙ名"), page.fileName, 0);
        for (const std::int16_t b : page.blocks) {
            // A page naming a block outside the list has nothing to show for it.
            if (b < 0 || static_cast<std::size_t>(b) >= RW.BlockList.size())
                continue;
            Header(QStringLiteral("blockList(%1) ").arg(b) + Stars30, 4);
            BlockEntries(RW.BlockList[static_cast<std::size_t>(b)], 4);
        }
    }
}

} // namespace

void DebugBoxList(std::int16_t canvas, std::int16_t debugClass, std::int16_t startBox, std::int16_t indent)
{
    const bool outermost = startBox < 0;
    std::optional<ForcedClass> forced;
    if (outermost) {
        forced.emplace(debugClass);
        if (DebugClassSkip(DumpClass))
            return;
    }
    if (canvas < 0 || static_cast<std::size_t>(canvas) >= B.size())
        return;
    const CanvasRecord& record = B[static_cast<std::size_t>(canvas)];
    BoxTreeWalk walk{record, canvas, std::vector<bool>(record.BoxList.size()),
                     std::vector<bool>(record.SubList.size())};
    walk.Chain(outermost ? record.header.firstBox : startBox, indent);
}

void DebugReportList(std::int16_t debugClass)
{
    ForcedClass forced(debugClass);
    if (DebugClassSkip(DumpClass))
        return;
    LayoutConstantsEntries();
    ReportSettingEntries();
    PageEntries();
}

void DebugInternalCode(const InternalCode& code, std::int16_t number, std::int16_t indent, const QString& prefix)
{
    if (code.text.isEmpty())
        return;
    const QString suffix = Suffix(number);
    Entry(prefix + QStringLiteral("内部ｺｰﾄﾞ") + suffix, code.text.split(QStringLiteral("\r\n")).join(QStringLiteral(" | ")),
          indent);
    Entry(prefix + QStringLiteral("内部ｺｰﾄﾞ幅,高さ") + suffix, code.size, indent);
    Entry(prefix + QStringLiteral("内部ｺｰﾄﾞ数") + suffix, code.lineCount, indent);
    Entry(prefix + QStringLiteral("内部ｺｰﾄﾞ座標") + suffix, code.xy, indent);
}

void DebugFigureData(const FigureData& figure, std::int16_t number, std::int16_t indent, const QString& prefix)
{
    if (figure.kind <= 0)
        return;
    const QString suffix = Suffix(number);
    Entry(prefix + QStringLiteral("描画形式") + suffix, figure.kind, indent);
    Entry(prefix + QStringLiteral("直線始点") + suffix, figure.s, indent);
    Entry(prefix + QStringLiteral("直線終点") + suffix, figure.e, indent);
    Entry(prefix + QStringLiteral("半径") + suffix, figure.radius, indent);
}

QString DebugPoint(const Point& point) { return QString::number(point.xw) + QStringLiteral(", ") + QString::number(point.yh); }

} // namespace vellumora
