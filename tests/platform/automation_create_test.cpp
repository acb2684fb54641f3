// Creating the services object from the built library beside the program and calling it by name
// and through its typed interface.
#include "platform/automation/Automation.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <QCoreApplication>

#include <memory>

namespace {

using namespace platform::automation;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

const QString kServices = QStringLiteral("TavelinCom10.TavelinCom");

// An interface the services object does not offer.
class Unrelated : public Dispatch {
public:
    virtual void Nothing() = 0;
};

class AutomationCreate : public testsupport::TempFolder {};

} // namespace

TEST_F(AutomationCreate, ObjectFromTheLibraryAnswersByNameAndByInterface)
{
    std::shared_ptr<tavelin::TavelinCom> services = CreateObjectAs<tavelin::TavelinCom>(kServices);
    ASSERT_TRUE(services);
    EXPECT_EQ(services->GetProcessID(), QCoreApplication::applicationPid());

    QVariantList none;
    EXPECT_EQ(CallByName(*services, QStringLiteral("GetProcessId"), none).toLongLong(),
              QCoreApplication::applicationPid());
    QVariantList file{QStringLiteral("/work/folder/name.txt")};
    EXPECT_EQ(CallByName(*services, QStringLiteral("getFileName"), file), QVariant(QStringLiteral("name.txt")));

    // Arguments come back as their parameters' types; optional ones take their defaults.
    QVariantList level{QStringLiteral("3")};
    EXPECT_EQ(CallByName(*services, QStringLiteral("DebugLevelSet"), level).toInt(), 3);
    EXPECT_EQ(level, QVariantList{QVariant::fromValue(std::int16_t(3))});
    EXPECT_EQ(CallByName(*services, QStringLiteral("DebugLevelSet"), none).toInt(), 3);
    QVariantList question{QStringLiteral("続けますか？")};
    EXPECT_EQ(CallByName(*services, QStringLiteral("QuestionMessage"), question).toInt(), 7); // No is the default

    // Errors raised inside the library reach the caller with their numbers.
    EXPECT_RAISES(CallByName(*services, QStringLiteral("NoSuchMethod"), none), ErrorNumber::ObjectDoesNotSupport);
    EXPECT_RAISES(CallByName(*services, QStringLiteral("GetProcessID"), file), ErrorNumber::WrongNumberOfArguments);
    EXPECT_RAISES(services->GetAppPath(), ErrorNumber::ObjectVariableNotSet);
}

TEST_F(AutomationCreate, ApplicationObjectPassesByName)
{
    write(QStringLiteral("client.ini"), "[Equipment]\n[Debug]\nLevel=2\n");
    QObject app;
    app.setProperty("Path", path());
    app.setProperty("EXEName", QStringLiteral("client"));
    std::shared_ptr<Dispatch> services = CreateObject(QStringLiteral("tavelincom10.tavelincom"));
    QVariantList args{QVariant::fromValue(&app)};
    CallByName(*services, QStringLiteral("SetAppInfo"), args);
    QVariantList none;
    EXPECT_EQ(CallByName(*services, QStringLiteral("GetAppPath"), none), QVariant(path()));
    EXPECT_EQ(CallByName(*services, QStringLiteral("DebugLevelSet"), none).toInt(), 2);
}

TEST_F(AutomationCreate, ObjectsComeAndGoWhileTheLibraryStays)
{
    QString text;
    {
        auto first = CreateObjectAs<tavelin::TavelinCom>(kServices);
        text = first->GetFileName(QStringLiteral("/a/b.pad"));
    }
    // A text made by the library outlives its object.
    EXPECT_EQ(text, QStringLiteral("b.pad"));
    auto second = CreateObjectAs<tavelin::TavelinCom>(kServices);
    EXPECT_EQ(second->GetExtensionName(QStringLiteral("/a/b.pad")), QStringLiteral("pad"));
}

TEST_F(AutomationCreate, Failures)
{
    EXPECT_RAISES(CreateObject(QStringLiteral("Scripting.FileSystemObject")), ErrorNumber::CannotCreateObject);
    EXPECT_RAISES(CreateObject(QStringLiteral("TavelinCom10")), ErrorNumber::CannotCreateObject);
    EXPECT_RAISES(CreateObjectAs<Unrelated>(kServices), ErrorNumber::TypeMismatch);
}
