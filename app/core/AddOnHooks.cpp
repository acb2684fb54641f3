#include "app/core/AddOnHooks.h"

#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/automation/Automation.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>


namespace vellumora {

namespace {

constexpr std::int16_t MenuSlots = 10;
// Lock slots for running copies; a copy that finds none free simply holds none.
constexpr int InstanceSlots = 64;

struct InstanceState {
    std::unique_ptr<QLockFile> own;  // the slot this copy holds
    QString ownFile;                 // and its lock file
    bool others = false;
};

InstanceState& Instance()
{
    static InstanceState state;
    return state;
}

// Notes whether another copy holds a slot, then takes a free one for this copy. A lock whose
// holder has died counts as free, so a crashed copy does not count as running.
void InstanceCheck()
{
    InstanceState& state = Instance();
    if (state.own)
        return;
    state.others = false;
    // The locks live where only this user may enter: another user could otherwise make a copy
    // believe others run, or plant what the lock files are written through.
    const QString folder = AddOnInstanceFolder();
    if (!platform::filesystem::PrivateFolderReady(folder, true))
        return;
    const auto slotLock = [](const QString& file) {
        auto lock = std::make_unique<QLockFile>(file);
        // A copy may run for days: only a dead holder makes a lock stale, never its age.
        lock->setStaleLockTime(0);
        return lock;
    };
    const QStringList held = QDir(folder).entryList({QStringLiteral("instance.*.lock")}, QDir::Files);
    for (const QString& name : held) {
        auto lock = slotLock(folder + QLatin1Char('/') + name);
        if (lock->tryLock(0))
            lock->unlock();
        else if (lock->error() == QLockFile::LockFailedError)
            state.others = true;
    }
    for (int slot = 0; slot < InstanceSlots; ++slot) {
        const QString file = folder + QLatin1Char('/') + QStringLiteral("instance.%1.lock").arg(slot);
        auto lock = slotLock(file);
        if (lock->tryLock(0)) {
            state.own = std::move(lock);
            state.ownFile = file;
            return;
        }
    }
}

void InstanceRelease()
{
    InstanceState& state = Instance();
    if (state.own)
        state.own->unlock();
    state.own.reset();
    state.ownFile.clear();
}

const AddOnMenuRecord* MenuEntryFind(const QString& menu, std::int16_t position)
{
    for (const AddOnMenuRecord& entry : AddOnMenuTable)
        if (entry.menu == menu && entry.position == position)
            return &entry;
    return nullptr;
}

QVariant AddOnCall(const AddOnRecord& addOn, const QString& method, QVariantList& args)
{
    if (!addOn.object)
        platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::ObjectVariableNotSet, method);
    return platform::automation::CallByName(*addOn.object, method, args);
}

const AddOnRecord& AddOnOf(const AddOnMenuRecord& entry)
{
    if (entry.addOn < 0 || static_cast<std::size_t>(entry.addOn) >= AddOnTable.size())
        platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::SubscriptOutOfRange, entry.function);
    return AddOnTable[static_cast<std::size_t>(entry.addOn)];
}

// The caption of a running add-on stands in the status bar while it works, and is cleared on
// every way out.
class ModalWindowText {
public:
    explicit ModalWindowText(const QString& caption) { ModalWindowShow(caption); }
    ~ModalWindowText() { ModalWindowShow(QString()); }
    ModalWindowText(const ModalWindowText&) = delete;
    ModalWindowText& operator=(const ModalWindowText&) = delete;
};

AddOnMenuRecord MenuEntry(const QString& function, const QString& menu, std::size_t addOn, std::size_t functionIndex,
                          std::int16_t position, const QString& caption, const QString& action)
{
    AddOnMenuRecord entry = AddOnMenuRecord::Default;
    entry.function = function;
    entry.menu = menu;
    entry.addOn = static_cast<std::int16_t>(addOn);
    entry.functionIndex = static_cast<std::int16_t>(functionIndex);
    entry.position = position;
    entry.caption = caption;
    entry.action = action;
    return entry;
}

} // namespace

void AddOnMenuMake()
{
    InstanceCheck();
    AddOnTable.clear();
    AddOnMenuTable.clear();
    AddOnFileMenuMake();
    AddOnToolMenuMake();
}

void AddOnFileMenuMake()
{
    const QString menu = QStringLiteral("Menu_File");
    std::int16_t next = 0;
    for (std::size_t a = 0; a < AddOnTable.size(); ++a) {
        const AddOnRecord& addOn = AddOnTable[a];
        for (std::size_t f = 0; f < addOn.functions.size(); ++f) {
            const AddOnFunction& function = addOn.functions[f];
            if (function.name != QLatin1String("GetData"))
                continue;
            if (next >= MenuSlots)
                break;
            AddOnMenuTable.push_back(MenuEntry(function.name, menu, a, f, next,
                                               function.caption + QStringLiteral("を開く"), QStringLiteral("Open")));
            // The last slot holds an Open entry only.
            if (next == MenuSlots - 1) {
                next = MenuSlots;
                break;
            }
            AddOnMenuTable.push_back(MenuEntry(function.name, menu, a, f, next + 1,
                                               function.caption + QStringLiteral("読込み"), QStringLiteral("AddInput")));
            next += 2;
        }
    }
}

void AddOnToolMenuMake()
{
    const QString menu = QStringLiteral("Menu_Tool");
    std::int16_t next = 0;
    for (std::size_t a = 0; a < AddOnTable.size(); ++a) {
        const AddOnRecord& addOn = AddOnTable[a];
        for (std::size_t f = 0; f < addOn.functions.size(); ++f) {
            const AddOnFunction& function = addOn.functions[f];
            if (function.name != QLatin1String("Report"))
                continue;
            if (next >= MenuSlots)
                break;
            AddOnMenuTable.push_back(MenuEntry(function.name, menu, a, f, next, function.caption, QStringLiteral("Tool")));
            ++next;
        }
    }
}

void AddOnRelease()
{
    // The tables end and the slot is given up even when an add-on fails to clean up.
    struct Release {
        ~Release()
        {
            for (AddOnRecord& addOn : AddOnTable) {
                addOn.object.reset();
                addOn.functions.clear();
            }
            AddOnTable.clear();
            AddOnMenuTable.clear();
            InstanceRelease();
        }
    } release;

    if (Instance().others)
        return;
    for (const AddOnRecord& addOn : AddOnTable) {
        for (const AddOnFunction& function : addOn.functions) {
            if (function.name != QLatin1String("Clean"))
                continue;
            QVariantList args;
            AddOnCall(addOn, function.name, args);
        }
    }
}

std::vector<AddOnMenuRecord> AddOnMenuList(const QString& menu)
{
    std::vector<AddOnMenuRecord> entries;
    for (const AddOnMenuRecord& entry : AddOnMenuTable)
        if (entry.menu == menu)
            entries.push_back(entry);
    return entries;
}

QString AddOnMenuAction(const QString& menu, std::int16_t position)
{
    const AddOnMenuRecord* entry = MenuEntryFind(menu, position);
    return entry ? entry->action : QString();
}

bool AddOnGetData(const QString& menu, std::int16_t position, QString& result)
{
    const AddOnMenuRecord* found = MenuEntryFind(menu, position);
    if (!found)
        return false;
    const AddOnMenuRecord entry = *found;
    QString answer;
    QString fileName;
    {
        ModalWindowText shown(entry.caption);
        fileName = TemporaryFileName(menu, position, "addon");
        QVariantList args{fileName, entry.caption};
        answer = platform::vbrt::CStr(AddOnCall(AddOnOf(entry), QStringLiteral("GetData"), args));
    }
    if (answer.isEmpty())
        return false;
    result = fileName + QLatin1Char('\t') + answer;
    return true;
}

bool AddOnReport(const QString& menu, std::int16_t position)
{
    const AddOnMenuRecord* found = MenuEntryFind(menu, position);
    if (!found)
        return false;
    const AddOnMenuRecord entry = *found;
    QVariant answer;
    {
        ModalWindowText shown(entry.caption);
        QVariantList args{entry.caption};
        answer = AddOnCall(AddOnOf(entry), QStringLiteral("Report"), args);
    }
    return platform::vbrt::CBool(answer);
}

bool AddOnOtherInstance() { return Instance().others; }

QString AddOnInstanceLockFile() { return Instance().ownFile; }

QString AddOnInstanceFolder() { return platform::filesystem::UserFolder(QStringLiteral("vellumora-instances")); }

} // namespace vellumora
