#include "platform/automation/Automation.h"

#include <QCoreApplication>
#include <QLibrary>

#include <array>
#include <map>
#include <mutex>

namespace platform::automation {

namespace {

struct ProgIdRow {
    const char* progId;
    const char* libraryName; // file name beside the program
};

// The identifiers this program can create; the class is the part after the dot.
constexpr std::array<ProgIdRow, 1> kProgIds{{
    {"TavelinCom10.TavelinCom", "libTavelinCom10.so"},
}};

[[noreturn]] void RaiseCannotCreate(const QString& progId, const QString& why)
{
    vbrt::RaiseNumber(vbrt::ErrorNumber::CannotCreateObject, QStringLiteral("CreateObject"),
                      QStringLiteral("%1: %2").arg(progId, why));
}

// The libraries loaded (one per identifier at most), held until the process ends. A plain array
// of pointers has nothing to destroy, so they stay reachable to the very end, where the leak
// checker looks.
QLibrary* KeptLibraries[kProgIds.size()] = {};

// A library, once loaded, is never unloaded: texts, error descriptions and type information
// handed out by its objects may point into its read-only data and outlive the objects.
FactoryFunction LoadFactory(const QString& progId, const QString& libraryPath)
{
    static std::mutex mutex;
    static std::map<QString, FactoryFunction> loaded;
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(libraryPath); it != loaded.end())
        return it->second;
    auto* library = new QLibrary(libraryPath); // deliberately kept for the life of the process
    if (!library->load()) {
        const QString why = library->errorString();
        delete library;
        RaiseCannotCreate(progId, why);
    }
    for (QLibrary*& kept : KeptLibraries) {
        if (!kept) {
            kept = library;
            break;
        }
    }
    auto factory = reinterpret_cast<FactoryFunction>(library->resolve(FactorySymbol));
    if (!factory)
        RaiseCannotCreate(progId, QStringLiteral("%1 exports no %2").arg(libraryPath, QLatin1String(FactorySymbol)));
    loaded.emplace(libraryPath, factory);
    return factory;
}

} // namespace

std::shared_ptr<Dispatch> CreateObject(const QString& progId)
{
    for (const ProgIdRow& row : kProgIds) {
        const QString known = QLatin1String(row.progId);
        if (known.compare(progId, Qt::CaseInsensitive) != 0)
            continue;
        const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(row.libraryName);
        FactoryFunction factory = LoadFactory(progId, path);
        const QByteArray className = known.section(QLatin1Char('.'), 1).toUtf8();
        Dispatch* object = factory(className.constData());
        if (!object)
            RaiseCannotCreate(progId, QStringLiteral("no class %1").arg(QString::fromUtf8(className)));
        // The object is deleted through its virtual destructor, whose code lives in the library.
        return std::shared_ptr<Dispatch>(object);
    }
    RaiseCannotCreate(progId, QStringLiteral("unknown identifier"));
}

QVariant CallByName(Dispatch& object, const QString& name, QVariantList& args)
{
    return object.Invoke(name, args);
}

} // namespace platform::automation
