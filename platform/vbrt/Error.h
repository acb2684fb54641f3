#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

namespace platform::vbrt {

// Error numbers the program raises or relies on.
namespace ErrorNumber {
constexpr std::int32_t Application = -2147220991; // 0x80040201, raised by parsing and format code
constexpr std::int32_t Overflow = 6;
constexpr std::int32_t OutOfMemory = 7;
constexpr std::int32_t SubscriptOutOfRange = 9;
constexpr std::int32_t DivisionByZero = 11;
constexpr std::int32_t TypeMismatch = 13;
constexpr std::int32_t BadFileNameOrNumber = 52;
constexpr std::int32_t FileNotFound = 53;
constexpr std::int32_t BadFileMode = 54;
constexpr std::int32_t FileAlreadyOpen = 55;
constexpr std::int32_t IoError = 57;
constexpr std::int32_t FileAlreadyExists = 58;
constexpr std::int32_t DiskFull = 61;
constexpr std::int32_t InputPastEndOfFile = 62;
constexpr std::int32_t TooManyFiles = 67;
constexpr std::int32_t PermissionDenied = 70;
constexpr std::int32_t PathFileAccessError = 75;
constexpr std::int32_t PathNotFound = 76;
constexpr std::int32_t ObjectVariableNotSet = 91;
constexpr std::int32_t ControlArrayElementMissing = 340;
constexpr std::int32_t ObjectAlreadyLoaded = 360;
constexpr std::int32_t CannotUnloadDesignControl = 362;
constexpr std::int32_t ObjectRequired = 424;
constexpr std::int32_t CannotCreateObject = 429;
constexpr std::int32_t ObjectDoesNotSupport = 438;
constexpr std::int32_t WrongNumberOfArguments = 450;
constexpr std::int32_t InvalidProcedureCall = 5;
constexpr std::int32_t CancelSelected = 32755; // a file dialog asked to raise on cancel
} // namespace ErrorNumber

// The one raised error of the program and its layers: a number, the raising
// procedure as source, and a description for the user.
class Error : public std::exception {
public:
    Error(std::int32_t number, QString source, QString description)
        : number_(number), source_(std::move(source)), description_(std::move(description)),
          what_(QStringLiteral("%1 (%2) %3").arg(description_).arg(number_).arg(source_).toStdString())
    {
    }

    std::int32_t number() const { return number_; }
    const QString& source() const { return source_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    std::int32_t number_;
    QString source_;
    QString description_;
    std::string what_;
};

// What a refusal of access (70) stopped. Its usual text speaks of writing, which is right for a
// save; a file the user may not read is said to be unreadable instead.
enum class Refused { Writing, Reading };

// The user's text of a runtime error number, the same wherever it is raised; a number the
// program does not raise gets the runtime's text for an undefined error.
QString ErrorDescription(std::int32_t number, Refused refused = Refused::Writing);

// Raises a runtime error with its usual text; a detail (a path, a method name) follows it in
// parentheses. Not for the program's own -2147220991 errors: their texts are the messages.
[[noreturn]] void RaiseNumber(std::int32_t number, const QString& source, const QString& detail = {},
                              Refused refused = Refused::Writing);

// Raises the program's own error (-2147220991) from the named procedure.
[[noreturn]] inline void Raise(const QString& source, const QString& description)
{
    throw Error(ErrorNumber::Application, source, description);
}

} // namespace platform::vbrt
