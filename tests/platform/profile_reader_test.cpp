#include "platform/profile/Profile.h"

#include "platform/codepage/CodePage.h"

#include "support/TempFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using namespace platform::profile;

namespace {

class ProfileReader : public testsupport::TempFolder {};

const QByteArray kMain =
    "; leading comment\r\n"
    "stray=before any section\r\n"
    "[Equipment]\r\n"
    "RegistryName = Foo \r\n"
    "\tTabbed\t=\tvalue with tabs\t\r\n"
    "Empty=\r\n"
    "Blank=   \r\n"
    "Quoted=\"  kept inside  \"\r\n"
    "Single='x'\r\n"
    "HalfQuoted=\"x\r\n"
    "Lone=\"\r\n"
    "NoEquals\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "Equals=a=b\r\n"
    "[ Spaced ]\n"
    "k=v\n"
    "[equipment]\n"
    "Late=in a second section of the same name\n"
    "[Broken\n"
    "k2=v2\n";

} // namespace

TEST_F(ProfileReader, ValuesAsTheOldReaderGaveThem)
{
    const QString file = write("main.ini", kMain);
    struct Row { const char* why; const char* section; const char* key; QString expected; };
    const Row rows[] = {
        {"trimmed around the equals sign", "Equipment", "RegistryName", "Foo"},
        {"section and key names ignore case", "EQUIPMENT", "registryname", "Foo"},
        {"names are trimmed, tabs too", "Equipment", " Tabbed ", "value with tabs"},
        {"empty value", "Equipment", "Empty", ""},
        {"blank value", "Equipment", "Blank", ""},
        {"one pair of quotes is removed", "Equipment", "Quoted", "  kept inside  "},
        {"single quotes too", "Equipment", "Single", "x"},
        {"an unmatched quote stays", "Equipment", "HalfQuoted", "\"x"},
        {"a lone quote stays", "Equipment", "Lone", "\""},
        {"an entry without equals has the empty value", "Equipment", "NoEquals", ""},
        {"the first of two keys counts", "Equipment", "Dup", "first"},
        {"only the first equals sign splits", "Equipment", "Equals", "a=b"},
        {"section header trimmed", "Spaced", "k", "v"},
        {"a second section of the same name is not searched", "Equipment", "Late", "<default>"},
        {"entries before the first section belong to none", "", "stray", "<default>"},
        {"a header without its bracket opens no section", "Broken", "k2", "<default>"},
        {"missing key", "Equipment", "Absent", "<default>"},
        {"missing section", "Nowhere", "k", "<default>"},
    };
    const ProfileFile profile = ProfileFile::Load(file);
    EXPECT_TRUE(profile.IsReadable());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(profile.String(row.section, row.key, "<default>"), row.expected);
        EXPECT_EQ(GetProfileString(row.section, row.key, "<default>", file), row.expected);
    }
}

TEST_F(ProfileReader, SectionsInFileOrder)
{
    const QString file = write("main.ini", kMain);
    EXPECT_EQ(GetProfileSection("spaced", file), QStringList{"k=v"});
    EXPECT_EQ(GetProfileSection("Equipment", file),
              (QStringList{"RegistryName=Foo", "Tabbed=value with tabs", "Empty=", "Blank=", "Quoted=\"  kept inside  \"",
                           "Single='x'", "HalfQuoted=\"x", "Lone=\"", "NoEquals", "Dup=first", "Dup=second",
                           "Equals=a=b"}));
    const QString comments = write("comments.ini", "[S]\na=1\n; note = not a key\n  b = 2\n\n");
    EXPECT_EQ(GetProfileSection("S", comments), (QStringList{"a=1", "; note = not a key", "b=2"}));
    EXPECT_TRUE(GetProfileSection("Nowhere", file).isEmpty());
}

TEST_F(ProfileReader, FilesThatAreNoProfileReadAsMissing)
{
    struct Row { const char* why; QString path; bool readable; };
    const Row rows[] = {
        {"missing file", path("absent.ini"), false},
        {"empty name", QString(), false},
        {"a folder", path(), false},
        {"binary bytes", write("binary.ini", QByteArray("[S]\nk=v\n\0\x01\x02", 11)), false},
        {"neither UTF-8 nor Shift_JIS", write("garbled.ini", "[S]\nk=\xff\xfe\xfd\n"), false},
        {"unreadable", write("locked.ini", "[S]\nk=v\n"), false},
    };
    platform::profile::SetOpenFault([locked = path("locked.ini")](const QString& file) { return file == locked ? EACCES : 0; });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(ProfileFile::Load(row.path).IsReadable(), row.readable);
        EXPECT_EQ(GetProfileString("S", "k", "<default>", row.path), "<default>");
        EXPECT_TRUE(GetProfileSection("S", row.path).isEmpty());
    }
    platform::profile::SetOpenFault({});
}

TEST_F(ProfileReader, ReadsUtf8AndShiftJisFiles)
{
    const QString text = QStringLiteral("[色]\r\n名前=ＭＳ ゴシック\r\n");
    struct Row { const char* why; QByteArray bytes; };
    const Row rows[] = {
        {"UTF-8", text.toUtf8()},
        {"UTF-8 with a byte-order mark", "\xef\xbb\xbf" + text.toUtf8()},
        {"Shift_JIS from the old program", platform::codepage::ToShiftJis(text)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QString file = write("jp.ini", row.bytes);
        EXPECT_EQ(GetProfileString(QStringLiteral("色"), QStringLiteral("名前"), "", file), QStringLiteral("ＭＳ ゴシック"));
    }
}

TEST_F(ProfileReader, LimitsCountShiftJisBytes)
{
    // 1023 bytes fit a value: 511 double-byte characters and one ASCII; the next character is cut whole.
    const QString fits = QString(511, QChar(0x3042)) + QLatin1Char('a');
    const QString file = write("long.ini", ("[S]\nfits=" + fits + "\nlong=" + fits + QChar(0x3044)).toUtf8()
                                               + "\nascii=" + QByteArray(2000, 'x') + "\n");
    EXPECT_EQ(GetProfileString("S", "fits", "", file), fits);
    EXPECT_EQ(GetProfileString("S", "long", "", file), fits);
    EXPECT_EQ(GetProfileString("S", "ascii", "", file), QString(ValueByteLimit, QLatin1Char('x')));

    // Section lines each take one byte more; the line that overflows is cut and ends the list.
    const QString line = QStringLiteral("k=") + QString(498, QLatin1Char('v'));  // 500 bytes + 1
    const QString sections = write("section.ini", ("[S]\n" + line + "\n" + line + "\n" + line + "\nlast=1\n").toUtf8());
    const QStringList lines = GetProfileSection("S", sections);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], line);
    EXPECT_EQ(lines[1], line);
    EXPECT_EQ(lines[2], line.left(SectionByteLimit - 2 * 501 - 1));
}

// Only regular files up to the limit are read; a FIFO or a device named by mistake is refused at
// once (a read of either would never end), and so is a file no real profile reaches in size.
TEST_F(ProfileReader, OnlyRegularFilesUpToTheLimitAreRead)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0);
    const QByteArray entries = "[S]\r\nk=v\r\n";
    const QByteArray filler = "; " + QByteArray(60, 'x') + "\r\n";
    QByteArray atLimit = entries;
    while (atLimit.size() + filler.size() <= FileByteLimit)
        atLimit += filler;
    atLimit += QByteArray(FileByteLimit - atLimit.size(), ';');
    struct Row { const char* why; QString path; FileState state; };
    const Row rows[] = {
        {"a normal file", write("normal.ini", entries), FileState::Read},
        {"a file of exactly the limit", write("limit.ini", atLimit), FileState::Read},
        {"one byte past the limit", write("large.ini", atLimit + ";"), FileState::TooLarge},
        {"a FIFO nobody writes to", path("fifo.ini"), FileState::NotAFile},
        {"an endless device", "/dev/zero", FileState::NotAFile},
        {"a folder", path(), FileState::NotAFile},
        {"a missing file", path("absent.ini"), FileState::Missing},
        {"a name inside a file", path("normal.ini/x.ini"), FileState::Missing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const ProfileFile profile = ProfileFile::Load(row.path);
        EXPECT_EQ(profile.State(), row.state);
        EXPECT_EQ(profile.String("S", "k", "<default>"), row.state == FileState::Read ? "v" : "<default>");
    }
}

// A file is kept parsed between reads, yet every read sees it as it is then: changed in place
// (same size, even with its old time put back), replaced, or removed.
TEST_F(ProfileReader, AChangedFileIsReadAgain)
{
    const QString file = write("prog.ini", "[S]\nk=1\n");
    const auto setOld = [&] {
        const timespec times[2] = {{1000000000, 0}, {1000000000, 0}}; // long settled
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
    };
    setOld();
    EXPECT_EQ(GetProfileString("S", "k", "", file), "1");
    EXPECT_EQ(GetProfileString("S", "k", "", file), "1");

    write("prog.ini", "[S]\nk=2\n");
    EXPECT_EQ(GetProfileString("S", "k", "", file), "2") << "changed in place";
    setOld();
    EXPECT_EQ(GetProfileString("S", "k", "", file), "2");
    write("prog.ini", "[S]\nk=3\n");
    setOld();
    EXPECT_EQ(GetProfileString("S", "k", "", file), "3") << "changed in place, its old time put back";

    write("next.ini", "[S]\nk=4\n");
    ASSERT_EQ(::rename(QFile::encodeName(path("next.ini")).constData(), QFile::encodeName(file).constData()), 0);
    setOld();
    EXPECT_EQ(GetProfileString("S", "k", "", file), "4") << "replaced by another file";

    QFile::remove(file);
    EXPECT_EQ(GetProfileString("S", "k", "<default>", file), "<default>") << "removed";
}
