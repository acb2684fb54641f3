#include "app/shell/ApplicationGlobals.h"

namespace vellumora {

ApplicationInfo::ApplicationInfo(QString path, QString exeName, QObject* parent)
    : QObject(parent), path_(std::move(path)), exeName_(std::move(exeName))
{
}

ApplicationInfo& ApplicationObject()
{
    static ApplicationInfo info({}, {});
    return info;
}
void SetApplicationObject(const QString&, const QString&) {}
void SetServicesFactory(ServicesFactory) {}
void BasicDefineInitialize() {}
void BasicDefineTerminate() {}
void GlobalArraysErase() {}

} // namespace vellumora
