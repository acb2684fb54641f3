#include "platform/vbrt/Error.h"

#include <array>

namespace platform::vbrt {

namespace {

struct ErrorTextRow {
    std::int32_t number;
    const char* text; // UTF-8
};

namespace E = ErrorNumber;

// One text per number: every raise of a runtime error reads it from here, so the user sees
// the same words whichever layer raised it.
constexpr std::array<ErrorTextRow, 28> kErrorTexts{{
    {E::InvalidProcedureCall, "プロシージャの呼び出し、または引数が不正です。"},
    {E::Overflow, "オーバーフローしました。"},
    {E::OutOfMemory, "メモリが不足しています。"},
    {E::SubscriptOutOfRange, "インデックスが有効範囲にありません。"},
    {E::DivisionByZero, "0 で除算しました。"},
    {E::TypeMismatch, "型が一致しません。"},
    {E::BadFileNameOrNumber, "ファイル名または番号が不正です。"},
    {E::FileNotFound, "ファイルが見つかりません。"},
    {E::BadFileMode, "ファイルのモードが不正です。"},
    {E::FileAlreadyOpen, "ファイルは既に開かれています。"},
    {E::IoError, "デバイス I/O エラーです。"},
    {E::FileAlreadyExists, "既に同名のファイルが存在しています。"},
    {E::DiskFull, "ディスクの空き容量が不足しています。"},
    {E::InputPastEndOfFile, "ファイルにこれ以上データがありません。"},
    {E::TooManyFiles, "ファイルが多すぎます。"},
    {E::PermissionDenied, "書き込みできません。"},
    {E::PathFileAccessError, "パス名が無効です。"},
    {E::PathNotFound, "パスが見つかりません。"},
    {E::ObjectVariableNotSet, "オブジェクト変数または With ブロック変数が設定されていません。"},
    {E::ControlArrayElementMissing, "コントロール配列の要素が存在しません。"},
    {E::ObjectAlreadyLoaded, "オブジェクトは既に読み込まれています。"},
    {E::CannotUnloadDesignControl, "デザイン時に作成されたコントロールはアンロードできません。"},
    {E::ObjectRequired, "オブジェクトが必要です。"},
    {E::CannotCreateObject, "コンポーネントはオブジェクトを作成できません。"},
    {E::ObjectDoesNotSupport, "オブジェクトは、このプロパティまたはメソッドをサポートしていません。"},
    {E::WrongNumberOfArguments, "引数の数が一致していません。または不正なプロパティを指定しています。"},
    {E::CancelSelected, "キャンセルが選択されました。"},
    {E::Application, "アプリケーション定義またはオブジェクト定義のエラーです。"},
}};

// The text of a refusal of access (70) where reading was refused; the table's speaks of writing.
constexpr const char* kReadRefusedText = "読み込みできません。";

} // namespace

QString ErrorDescription(std::int32_t number, Refused refused)
{
    if (number == E::PermissionDenied && refused == Refused::Reading)
        return QString::fromUtf8(kReadRefusedText);
    for (const ErrorTextRow& row : kErrorTexts) {
        if (row.number == number)
            return QString::fromUtf8(row.text);
    }
    return QString::fromUtf8(kErrorTexts.back().text);
}

void RaiseNumber(std::int32_t number, const QString& source, const QString& detail, Refused refused)
{
    QString description = ErrorDescription(number, refused);
    if (!detail.isEmpty())
        description += QStringLiteral(" (%1)").arg(detail);
    throw Error(number, source, description);
}

} // namespace platform::vbrt
