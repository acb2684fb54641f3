#include "app/diagram/RecordDump.h"

#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"

#include <QStringList>
#include <QVariant>

#include <array>
#include <initializer_list>
#include <optional>
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

// A member's value as the log shows it. Integers go out as numbers of their own width (a byte
// would otherwise read as a character), points as "x, y".
struct Value {
    Value(std::int32_t value) : variant(value) {}
    Value(bool value) : variant(value) {}
    Value(const QString& value) : variant(value) {}
    Value(const Point& value) : variant(DebugPoint(value)) {}

    QVariant variant;
};

void Entry(const QString& label, const Value& value, std::int16_t indent)
{
    DebugLogWrite(label, value.variant, indent, DumpClass);
}

QString Suffix(std::int16_t number) { return number >= 0 ? QString::number(number) : QString(); }

QString Number(std::size_t n) { return QString::number(n); }

// What follows the label of a member of an array or of a group: "(index)".
QString IndexSuffix(const QString& index) { return QLatin1Char('(') + index + QLatin1Char(')'); }

QString Indexed(const QString& label, const QString& index) { return label + IndexSuffix(index); }

// One member of a record: its label and its value.
struct Field {
    const char16_t* label;
    Value value;
};

// The fields in their order, each label between prefix and suffix.
void Entries(std::initializer_list<Field> fields, std::int16_t indent, const QString& prefix = QString(),
             const QString& suffix = QString())
{
    for (const Field& field : fields)
        Entry(prefix + QString::fromUtf16(field.label) + suffix, field.value, indent);
}

// Every member of a list as "label(i)", counting from 0.
template <typename List>
void ListEntries(const QString& label, const List& list, std::int16_t indent)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        Entry(Indexed(label, Number(i)), list[i], indent);
}

// Every member of an array named by the array of names beside it: "label(name)".
template <typename Names, typename Values>
void NamedEntries(const QString& label, const Names& names, const Values& values, std::int16_t indent)
{
    for (std::size_t i = 0; i < names.size(); ++i)
        Entry(Indexed(label, names[i]), values[i], indent);
}

// Every figure of a list, numbered from 1.
template <typename Figures>
void FigureEntries(const Figures& draw, std::int16_t indent, const QString& prefix = QString())
{
    for (std::size_t f = 0; f < draw.size(); ++f)
        DebugFigureData(draw[f], static_cast<std::int16_t>(f + 1), indent, prefix);
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
    Entries({{u"tagﾀｲﾌﾟ", QString::number(box.tagType) + QLatin1Char(':') + TagTableGet(box.tagType).mnemonic},
             {u"tag属性", box.tagAttr},
             {u"SUBｲﾝﾃﾞｯｸｽ", box.subIndex},
             {u"SUB件数", box.subCount},
             {u"ﾚﾍﾞﾙ番号", box.levelNo},
             {u"上位ｲﾝﾃﾞｯｸｽ", box.upper},
             {u"前ｲﾝﾃﾞｯｸｽ", box.before},
             {u"次ｲﾝﾃﾞｯｸｽ", box.after}},
            indent);
    DebugInternalCode(box.text, 1, indent, QString());
    DebugInternalCode(box.text2, 2, indent, QString());
    Entries({{u"幅,高さ(Simple)", box.sizeS}, {u"幅,高さ(Expand)", box.sizeE}, {u"幅,高さ(Paint)", box.sizeP}}, indent);
    for (const std::uint8_t style : box.style)
        Entry(QStringLiteral("ｽﾀｲﾙ"), std::int32_t(style), indent);
    FigureEntries(box.draw, indent);
    Entries({{u"ｶﾗｰｺｰﾄﾞ", box.colorCode},
             {u"ﾌｫﾝﾄｺｰﾄﾞ", box.fontCode},
             {u"XY座標", box.xy},
             {u"番号", box.no},
             {u"各種ﾌﾗｸﾞ", box.flags},
             {u"ﾌﾞﾛｯｸ･ｲﾝﾃﾞｯｸｽ", box.blockIndex},
             {u"ｶﾞｰﾍﾞｰｼﾞ", box.garbage}},
            indent);
}

void SubEntries(const SubRecord& sub, std::int16_t indent)
{
    Entries({{u"下位ｲﾝﾃﾞｯｸｽ", sub.boxIndex},
             {u"上位ｲﾝﾃﾞｯｸｽ", sub.upper},
             {u"前ｲﾝﾃﾞｯｸｽ", sub.before},
             {u"次ｲﾝﾃﾞｯｸｽ", sub.after},
             {u"最終ｲﾝﾃﾞｯｸｽ", sub.last},
             {u"番号", sub.no}},
            indent);
    DebugInternalCode(sub.text, 1, indent, QString());
    DebugInternalCode(sub.text2, 2, indent, QString());
    Entries({{u"幅,高さ(Simple)", sub.sizeS}, {u"幅,高さ(Paint)", sub.sizeP}}, indent);
    FigureEntries(sub.draw, indent);
    Entries({{u"条件分岐窪みの深さ", sub.branchDepth}, {u"XY座標(0)", sub.xy[0]}, {u"XY座標(1)", sub.xy[1]}}, indent);
    for (std::size_t l = 0; l < sub.base.size(); ++l) {
        const QString prefix = QStringLiteral("ﾍﾞｰｽ") + Number(l);
        Entry(prefix + QStringLiteral("XY座標"), sub.base[l].xy, indent);
        DebugFigureData(sub.base[l].figure, -1, indent, prefix);
    }
    Entries({{u"各種ﾌﾗｸﾞ", sub.flags},
             {u"ﾌﾞﾛｯｸ･ｲﾝﾃﾞｯｸｽ", sub.blockIndex},
             {u"接続子番号", sub.connectorNo},
             {u"ｶﾞｰﾍﾞｰｼﾞ", sub.garbage}},
            indent);
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
    Header(QStringLiteral("LO ") + Stars30, 0);
    Entries({
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
    }, 0);
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
    Entries({{u"用紙", rs.paperStyle}, {u"用紙ｻｲｽﾞ", rs.paperSize}, {u"用紙方向", rs.orientation}}, 0);
    NamedEntries(QStringLiteral("各ﾏｰｼﾞﾝ"), sides, rs.margin, 0);
    NamedEntries(QStringLiteral("枠有無"), frames, rs.frameShow, 0);
    NamedEntries(QStringLiteral("各余白"), sides, rs.space, 0);
    Entries({{u"ﾍｯﾀﾞ高さ", rs.headerHeight}, {u"ﾌｯﾀ高さ", rs.footerHeight}}, 0);
    for (std::size_t i = 0; i < slotNames.size(); ++i)
        Entries({{u"内容", rs.explain[i]},
                 {u"ﾌｫﾝﾄ名", rs.fontName[i]},
                 {u"ﾌｫﾝﾄｻｲｽﾞ", rs.fontSize[i]},
                 {u"ﾌｫﾝﾄ太字", rs.fontBold[i]},
                 {u"ﾌｫﾝﾄ斜体", rs.fontItalic[i]},
                 {u"ﾌｫﾝﾄ取消線", rs.fontStrikethru[i]},
                 {u"ﾌｫﾝﾄ下線", rs.fontUnderLine[i]},
                 {u"色", rs.color[i]}},
                0, QString(), IndexSuffix(slotNames[i]));
    for (std::size_t i = 0; i < rs.extraText.size(); ++i)
        Entry(Indexed(QStringLiteral("追加ﾃｷｽﾄ"), Number(i + 1)), rs.extraText[i], 0);
    Entries({{u"更新日付ﾌｫｰﾏｯﾄ", rs.updateDateFormat},
             {u"現在日付ﾌｫｰﾏｯﾄ", rs.nowDateFormat},
             {u"用紙横ｻｲｽﾞ", rs.pageWidth},
             {u"用紙縦ｻｲｽﾞ", rs.pageHeight},
             {u"印刷横ｻｲｽﾞ", rs.printWidth},
             {u"印刷縦ｻｲｽﾞ", rs.printHeight},
             {u"ｷｬﾝﾊﾞｽ横ｻｲｽﾞ", rs.reportWidth},
             {u"ｷｬﾝﾊﾞｽ縦ｻｲｽﾞ", rs.reportHeight}},
            0);
    for (std::size_t i = 0; i < rs.descriptionList.size(); ++i) {
        const ReportDescription& d = rs.descriptionList[i];
        Entries({{u"説明", d.description}, {u"区分1", d.category1}, {u"区分2", d.category2}, {u"ﾍﾟｰｼﾞ毎", d.perPage}},
                0, QString(), IndexSuffix(Number(i)));
    }
    Entry(QStringLiteral("PDFﾌｧｲﾙ名"), rs.pdfPath, 0);
}

void ConnectorEntries(const ConnectorRecord& connector, std::size_t c, std::int16_t indent)
{
    const QString prefix = QStringLiteral("接続子(") + Number(c) + QStringLiteral(").");
    FigureEntries(connector.draw, indent, prefix);
    Entries({{u"幅,高さ", connector.sizeP}, {u"接続子番号", connector.connectorNo}}, indent, prefix);
    DebugInternalCode(connector.label, -1, indent, prefix);
    Entry(prefix + QStringLiteral("XY座標"), connector.xy, indent);
}

void BlockEntries(const BlockRecord& block, std::int16_t indent)
{
    Entry(QStringLiteral("ﾍﾞｰｽ番号"), block.canvas, indent);
    ListEntries(QStringLiteral("後続ｲﾝﾃﾞｯｸｽ"), block.children, indent);
    Entry(QStringLiteral("ﾌﾞﾛｯｸ･ｻｲｽﾞ"), block.size, indent);
    for (std::size_t c = 0; c < block.connector.size(); ++c)
        ConnectorEntries(block.connector[c], c, indent);
    FigureEntries(block.draw, indent);
    Entries({{u"基準ﾚﾍﾞﾙ番号", block.baseLevel}, {u"編集BOX件数", block.editBoxCount}}, indent);
    ListEntries(QStringLiteral("最高峰の集合"), block.peakSet, indent);
    Entries({{u"ﾌﾞﾛｯｸ･ﾌｧｲﾙNo", block.fileNo}, {u"ﾌﾞﾛｯｸ･ﾌｧｲﾙ名", block.fileName}, {u"ﾍﾟｰｼﾞ番号", block.pageNo}},
            indent);
    ListEntries(QStringLiteral("接続ﾌﾞﾛｯｸ"), block.joinBlocks, indent);
    Entries({{u"接続済", block.joined},
             {u"ﾍﾟｰｼﾞ･ﾎﾟｼﾞｼｮﾝ", block.pagePos},
             {u"接続ﾌﾞﾛｯｸ･ﾚﾍﾞﾙ", block.joinLevel},
             {u"各種ﾌﾗｸﾞ", block.flags}},
            indent);
}

void PageEntries()
{
    for (std::size_t p = 1; p < RW.PageList.size(); ++p) {
        const PageRecord& page = RW.PageList[p];
        Header(QStringLiteral("pageList(") + Number(p) + QStringLiteral(") ") + Stars30, 0);
        Entries({{u"ﾍﾞｰｽ番号", page.canvas},
                 {u"ｷｬﾝﾊﾞｽ名", page.canvasName},
                 {u"ｷｬﾝﾊﾞｽ番号", page.canvasNumber},
                 {u"ﾍﾟｰｼﾞ･ﾌｧｲﾙ名", page.fileName}},
                0);
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
    Entries({{u"内部ｺｰﾄﾞ", code.text.split(QStringLiteral("\r\n")).join(QStringLiteral(" | "))},
             {u"内部ｺｰﾄﾞ幅,高さ", code.size},
             {u"内部ｺｰﾄﾞ数", code.lineCount},
             {u"内部ｺｰﾄﾞ座標", code.xy}},
            indent, prefix, Suffix(number));
}

void DebugFigureData(const FigureData& figure, std::int16_t number, std::int16_t indent, const QString& prefix)
{
    if (figure.kind <= 0)
        return;
    Entries({{u"描画形式", figure.kind}, {u"直線始点", figure.s}, {u"直線終点", figure.e}, {u"半径", figure.radius}}, indent,
            prefix, Suffix(number));
}

QString DebugPoint(const Point& point) { return QString::number(point.xw) + QStringLiteral(", ") + QString::number(point.yh); }

} // namespace vellumora
