#pragma once

// Shared by the layout tests: the services object on the program's own ini file, the tag
// tables, documents parsed from tagged text, the three layout passes, and the layout constants
// of the document font as a canvas slot sets them up.

#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/ListPreparation.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/VerticalPass.h"
#include "app/shell/ApplicationGlobals.h"
#include "platform/codepage/CodePage.h"
#include "platform/printer/TextMeasure.h"
#include "platform/vbrt/Value.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace layout_test {

using namespace vellumora;

class Services : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString ini = QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), ini));
        SetApplicationObject(folder_.path(), QStringLiteral("vellumora"));
        BasicDefineInitialize();
        FontAndColorLoad();
        TagTableDefine();
    }
    void TearDown() override { BasicDefineTerminate(); }

private:
    QTemporaryDir folder_;
};

inline ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new Services);

constexpr std::int16_t kCanvas = 1;

inline CanvasRecord& Canvas(std::int16_t canvas = kCanvas) { return B[static_cast<std::size_t>(canvas)]; }
inline BoxRecord& Box(std::int16_t n, std::int16_t canvas = kCanvas) { return Canvas(canvas).BoxList[n]; }
inline SubRecord& Sub(std::int16_t n, std::int16_t canvas = kCanvas) { return Canvas(canvas).SubList[n]; }

// The document font at 10 points on the printer, and the gaps a canvas slot derives from it.
inline void DocumentFontApply()
{
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
    DrawStateReset(0);
    FontSelect(0, 0);
    LO.yAdjustAllow = static_cast<std::int32_t>(platform::vbrt::Int(LO.charHeight / 3.0));
    LO.lineLabelWidth = static_cast<std::int32_t>(platform::vbrt::Int(LO.charWidth / 2.0));
    LayoutGapsSet(LO);
}

// Canvas slots 0 and 1, empty and without windows.
inline void CanvasesReset()
{
    B.assign(2, CanvasRecord{});
    BoxListClear(0);
    BoxListClear(kCanvas);
}

// Parses tagged text (one routine or note and its contents) into canvas 1.
inline void DocumentParse(const QStringList& lines)
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("input.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    file.close();
    CanvasesReset();
    PadFileOpen(path);
    BoxListMake(kCanvas, -1);
    PadFileClose();
}

// The three passes as a redraw runs them.
inline void LayoutRun(std::int16_t canvas = kCanvas)
{
    BoxListPrepare(canvas, -1, false);
    BoxTreeXPosition(canvas, -1, 0, 0);
    BoxTreeYPosition(canvas, -1);
}

// The box in use whose text is the given one (the first slot that has it).
inline std::int16_t Find(const QString& text, std::int16_t canvas = kCanvas)
{
    const auto& list = Canvas(canvas).BoxList;
    for (std::size_t n = 1; n < list.size(); ++n)
        if (list[n].garbage < 0 && list[n].text.text == text)
            return static_cast<std::int16_t>(n);
    ADD_FAILURE() << "no box " << text.toStdString();
    return 0;
}

// The first box in use of a kind.
inline std::int16_t FindKind(std::int32_t tagId, std::int16_t canvas = kCanvas)
{
    const auto& list = Canvas(canvas).BoxList;
    for (std::size_t n = 1; n < list.size(); ++n)
        if (list[n].garbage < 0 && list[n].tagType == tagId)
            return static_cast<std::int16_t>(n);
    ADD_FAILURE() << "no box of kind " << tagId;
    return 0;
}

inline std::string Str(const Point& p) { return std::to_string(p.xw) + "," + std::to_string(p.yh); }

inline std::string Str(const FigureData& f)
{
    if (f.kind == FigureKind::Line)
        return "(" + Str(f.s) + ")-(" + Str(f.e) + ")";
    return "k" + std::to_string(f.kind) + "@" + Str(f.s) + "r" + std::to_string(f.radius);
}

inline std::string Str(const std::vector<FigureData>& figures)
{
    std::string s;
    for (const FigureData& f : figures)
        s += (s.empty() ? "" : " ") + Str(f);
    return s;
}

} // namespace layout_test
