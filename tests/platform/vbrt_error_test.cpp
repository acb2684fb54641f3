#include "platform/filesystem/HostError.h"
#include "platform/vbrt/Value.h"
#include "support/RaisedError.h"

#include <cerrno>
#include <functional>

using platform::vbrt::Error;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

TEST(VbError, RaiseCarriesNumberSourceAndDescription)
{
    try {
        platform::vbrt::Raise(QStringLiteral("GetPadInfo"), QStringLiteral("タグがありません。"));
        FAIL() << "nothing raised";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Application);
        EXPECT_EQ(e.source(), QStringLiteral("GetPadInfo"));
        EXPECT_EQ(e.description(), QStringLiteral("タグがありません。"));
    }
    EXPECT_RAISES(throw Error(ErrorNumber::Overflow, "x", "y"), ErrorNumber::Overflow);
}

namespace {

// What a raise delivered, or a failure when it raised nothing.
template <class Call>
Error Raised(Call call)
{
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "nothing raised";
    return Error(0, {}, {});
}

} // namespace

TEST(VbError, EveryRaisedNumberHasItsJapaneseText)
{
    struct Row {
        std::int32_t number;
        const char* text;
    };
    const Row rows[] = {
        {ErrorNumber::InvalidProcedureCall, "プロシージャの呼び出し、または引数が不正です。"},
        {ErrorNumber::Overflow, "オーバーフローしました。"},
        {ErrorNumber::OutOfMemory, "メモリが不足しています。"},
        {ErrorNumber::SubscriptOutOfRange, "インデックスが有効範囲にありません。"},
        {ErrorNumber::DivisionByZero, "0 で除算しました。"},
        {ErrorNumber::TypeMismatch, "型が一致しません。"},
        {ErrorNumber::BadFileNameOrNumber, "ファイル名または番号が不正です。"},
        {ErrorNumber::FileNotFound, "ファイルが見つかりません。"},
        {ErrorNumber::BadFileMode, "ファイルのモードが不正です。"},
        {ErrorNumber::FileAlreadyOpen, "ファイルは既に開かれています。"},
        {ErrorNumber::IoError, "デバイス I/O エラーです。"},
        {ErrorNumber::FileAlreadyExists, "既に同名のファイルが存在しています。"},
        {ErrorNumber::DiskFull, "ディスクの空き容量が不足しています。"},
        {ErrorNumber::InputPastEndOfFile, "ファイルにこれ以上データがありません。"},
        {ErrorNumber::TooManyFiles, "ファイルが多すぎます。"},
        {ErrorNumber::PermissionDenied, "書き込みできません。"},
        {ErrorNumber::PathFileAccessError, "パス名が無効です。"},
        {ErrorNumber::PathNotFound, "パスが見つかりません。"},
        {ErrorNumber::ObjectVariableNotSet, "オブジェクト変数または With ブロック変数が設定されていません。"},
        {ErrorNumber::ControlArrayElementMissing, "コントロール配列の要素が存在しません。"},
        {ErrorNumber::ObjectAlreadyLoaded, "オブジェクトは既に読み込まれています。"},
        {ErrorNumber::CannotUnloadDesignControl, "デザイン時に作成されたコントロールはアンロードできません。"},
        {ErrorNumber::ObjectRequired, "オブジェクトが必要です。"},
        {ErrorNumber::CannotCreateObject, "コンポーネントはオブジェクトを作成できません。"},
        {ErrorNumber::ObjectDoesNotSupport, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"},
        {ErrorNumber::WrongNumberOfArguments, "引数の数が一致していません。または不正なプロパティを指定しています。"},
        {ErrorNumber::CancelSelected, "キャンセルが選択されました。"},
        // A number nobody gave a text to still reads as an error, not as an empty line.
        {12345, "アプリケーション定義またはオブジェクト定義のエラーです。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        const QString text = QString::fromUtf8(row.text);
        EXPECT_EQ(platform::vbrt::ErrorDescription(row.number), text);
        const Error e = Raised([&] { platform::vbrt::RaiseNumber(row.number, QStringLiteral("Somewhere")); });
        EXPECT_EQ(e.number(), row.number);
        EXPECT_EQ(e.source(), QStringLiteral("Somewhere"));
        EXPECT_EQ(e.description(), text);
    }
}

TEST(VbError, RaiseNumberPutsTheDetailAfterTheText)
{
    const Error e = Raised([] {
        platform::vbrt::RaiseNumber(ErrorNumber::ObjectDoesNotSupport, QStringLiteral("TavelinCom"),
                                    QStringLiteral("NoSuchMethod"));
    });
    EXPECT_EQ(e.number(), ErrorNumber::ObjectDoesNotSupport);
    EXPECT_EQ(e.description(),
              QStringLiteral("オブジェクトは、このプロパティまたはメソッドをサポートしていません。 (NoSuchMethod)"));
}

TEST(VbError, HostErrorsAndValueRulesUseTheSameTexts)
{
    namespace fs = platform::filesystem;
    struct Row {
        const char* why;
        std::function<void()> call;
        std::int32_t number;
        QString description;
    };
    const QString path = QStringLiteral("/nowhere/x.pad");
    const Row rows[] = {
        {"missing file", [&] { fs::RaiseHostError(ENOENT, QStringLiteral("OpenTextFile"), path, fs::Missing::File); },
         ErrorNumber::FileNotFound, QStringLiteral("ファイルが見つかりません。 (/nowhere/x.pad)")},
        {"no memory", [&] { fs::RaiseHostError(ENOMEM, QStringLiteral("OpenTextFile"), path, fs::Missing::File); },
         ErrorNumber::OutOfMemory, QStringLiteral("メモリが不足しています。 (/nowhere/x.pad)")},
        {"numbered raise", [&] { fs::RaiseNumber(ErrorNumber::PermissionDenied, QStringLiteral("CopyFile"), path); },
         ErrorNumber::PermissionDenied, QStringLiteral("書き込みできません。 (/nowhere/x.pad)")},
        {"a refused write", [&] { fs::RaiseHostError(EACCES, QStringLiteral("Write"), path, fs::Missing::Path); },
         ErrorNumber::PermissionDenied, QStringLiteral("書き込みできません。 (/nowhere/x.pad)")},
        {"a refused read",
         [&] {
             fs::RaiseHostError(EACCES, QStringLiteral("ReadMember"), path, fs::Missing::Path,
                                platform::vbrt::Refused::Reading);
         },
         ErrorNumber::PermissionDenied, QStringLiteral("読み込みできません。 (/nowhere/x.pad)")},
        {"narrowing", [] { platform::vbrt::CInt(40000.0); }, ErrorNumber::Overflow,
         QStringLiteral("オーバーフローしました。")},
        {"not a number", [] { platform::vbrt::CLng(QVariant(QStringLiteral("abc"))); }, ErrorNumber::TypeMismatch,
         QStringLiteral("型が一致しません。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const Error e = Raised(row.call);
        EXPECT_EQ(e.number(), row.number);
        EXPECT_EQ(e.description(), row.description);
    }
    // A host failure without a number of its own keeps the host's words after the usual text.
    const Error io = Raised([&] { fs::RaiseHostError(EIO, QStringLiteral("ReadLine"), path, fs::Missing::File); });
    EXPECT_EQ(io.number(), ErrorNumber::IoError);
    EXPECT_TRUE(io.description().startsWith(QStringLiteral("デバイス I/O エラーです。 "))) << io.what();
    EXPECT_TRUE(io.description().endsWith(QStringLiteral(" (/nowhere/x.pad)"))) << io.what();
}
