#pragma once

// Shared by the tagged-text tests: the services object with a small ini file, the tag tables,
// and helpers to read records and describe them in one line.

#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "platform/codepage/CodePage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace fileinterface_test {

using namespace vellumora;

// The [Default] values the settings reader needs (margins and spaces must be numbers).
inline const char kIni[] =
    "[Default]\r\n"
    "CanvasColor=白\r\n"
    "FrameSameText=True\r\n"
    "FrameColor=黒\r\n"
    "PrinterPaperStyle=A4縦\r\n"
    "PrinterLeftMargin=1.5\r\n"
    "PrinterRightMargin=1.5\r\n"
    "PrinterTopMargin=2\r\n"
    "PrinterBottomMargin=2\r\n"
    "PrinterLeftSpace=0.5\r\n"
    "PrinterRightSpace=0.5\r\n"
    "PrinterTopSpace=0.5\r\n"
    "PrinterBottomSpace=0.5\r\n"
    "PrinterHeaderHeight=567\r\n"
    "PrinterFooterHeight=454\r\n"
    "PrinterHeaderLeftExplain=ﾌｧｲﾙ名\r\n"
    "PrinterText1=社外秘\r\n"
    "PrinterNowDateFormat=yyyy/mm/dd\r\n";

// Starts the services object once per test program, on an ini file of the test's own.
class Services : public ::testing::Environment {
public:
    void SetUp() override
    {
        QFile ini(QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(kIni);
        ini.close();
        SetApplicationObject(folder_.path(), QStringLiteral("vellumora"));
        BasicDefineInitialize();
        UtilitiesInitialize();
        TagTableDefine();
        FileInterfaceInit();
    }
    void TearDown() override
    {
        FileInterfaceTerm();
        UtilitiesTerminate();
        BasicDefineTerminate();
    }

private:
    QTemporaryDir folder_;
};

inline ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new Services);

inline QByteArray Sjis(const QString& text) { return platform::codepage::ToShiftJis(text); }

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

// Every record of an open input up to its end.
inline std::vector<PadInfoRecord> ReadRecords()
{
    std::vector<PadInfoRecord> records;
    for (PadInfoRecord r = GetPadInfo(); r.tagId != 0; r = GetPadInfo())
        records.push_back(r);
    return records;
}

// The tag id and every member that differs from the empty record, in member order.
inline std::string Describe(const PadInfoRecord& r)
{
    QString out = QString::number(r.tagId);
    const PadInfoRecord& d = PadInfoRecord::Default;
    auto add = [&out](const char* name, const QString& value) {
        out += QLatin1Char(' ') + QLatin1String(name) + QLatin1Char('=') + value;
    };
    auto text = [](QString v) { return QLatin1Char('[') + v.replace(QStringLiteral("\r\n"), QStringLiteral("|")) + QLatin1Char(']'); };
    // As read, a record carries its row's bits without the chart-kind ones (end and special
    // tags keep all), plus the chart kind its obstinate section names.
    const std::int32_t rowFlags = TagTableGet(r.tagId).flags;
    const std::int32_t readFlags = (rowFlags & (TagAttribute::BlockEndTag | TagAttribute::SpecialTag))
                                       ? rowFlags
                                       : rowFlags & ~TagAttribute::ObstinateMask;
    if (r.flags != readFlags)
        add("flags", QStringLiteral("0x") + QString::number(r.flags, 16));
    if (r.number != d.number)
        add("number", QString::number(r.number));
    if (r.name != d.name)
        add("name", text(r.name));
    if (r.text != d.text)
        add("text", text(r.text));
    if (r.color != d.color)
        add("color", text(r.color));
    if (r.font != d.font)
        add("font", text(r.font));
    if (r.nameText != d.nameText)
        add("nameText", text(r.nameText));
    if (r.before)
        add("before", QStringLiteral("1"));
    if (r.after)
        add("after", QStringLiteral("1"));
    if (r.style != d.style)
        add("style", text(r.style));
    if (r.lowerPage)
        add("lowerPage", QStringLiteral("1"));
    if (r.rightPage)
        add("rightPage", QStringLiteral("1"));
    if (r.obstinate != d.obstinate)
        add("obstinate", text(r.obstinate));
    return out.toStdString();
}

inline std::vector<std::string> Describe(const std::vector<PadInfoRecord>& records)
{
    std::vector<std::string> out;
    for (const PadInfoRecord& r : records)
        out.push_back(Describe(r));
    return out;
}

// The sample documents shipped with the program.
inline QString SamplePath(const QString& name) { return QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/") + name; }
inline const char* const kSamples[] = {"order-summary", "module-structure", "text-escapes"};

} // namespace fileinterface_test
