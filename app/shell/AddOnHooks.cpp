#include "app/shell/AddOnHooks.h"

namespace vellumora {

namespace {

constexpr std::int16_t MenuSlots = 10;

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
    for (AddOnRecord& addOn : AddOnTable) {
        addOn.object.reset();
        addOn.functions.clear();
    }
    AddOnTable.clear();
    AddOnMenuTable.clear();
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
    for (const AddOnMenuRecord& entry : AddOnMenuTable)
        if (entry.menu == menu && entry.position == position)
            return entry.action;
    return {};
}

} // namespace vellumora
