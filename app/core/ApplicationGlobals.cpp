#include "app/core/ApplicationGlobals.h"

#include "app/core/AddOnHooks.h"
#include "platform/automation/Automation.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vellumora {

namespace {

std::unique_ptr<ApplicationInfo>& ApplicationObjectSlot()
{
    static std::unique_ptr<ApplicationInfo> info;
    return info;
}

ServicesFactory& Factory()
{
    static ServicesFactory factory;
    return factory;
}

} // namespace

ApplicationInfo::ApplicationInfo(QString path, QString exeName, QObject* parent)
    : QObject(parent), path_(std::move(path)), exeName_(std::move(exeName))
{
}

ApplicationInfo& ApplicationObject()
{
    std::unique_ptr<ApplicationInfo>& info = ApplicationObjectSlot();
    if (!info)
        info = std::make_unique<ApplicationInfo>(QCoreApplication::applicationDirPath(),
                                                 QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    return *info;
}

void SetApplicationObject(const QString& path, const QString& exeName)
{
    ApplicationObjectSlot() = std::make_unique<ApplicationInfo>(path, exeName);
}

void SetServicesFactory(ServicesFactory factory)
{
    Factory() = std::move(factory);
}

void BasicDefineInitialize()
{
    // Nothing may reach the services object before it knows its client.
    CommonServices = Factory() ? Factory()()
                               : platform::automation::CreateObjectAs<tavelin::TavelinCom>(
                                     QStringLiteral("TavelinCom10.TavelinCom"));
    CommonServices->SetAppInfo(&ApplicationObject());
    GlobalArraysErase();
}

void BasicDefineTerminate()
{
    GlobalArraysErase();
    CommonServices.reset();
}

void GlobalArraysErase()
{
    B.clear();
    AddOnTable.clear();
    AddOnMenuTable.clear();
}

} // namespace vellumora
