#pragma once

// Add-ons: automation objects that supply documents or produce reports, with the menu
// entries made from their functions. The table of add-ons is empty in this system.

#include "TavelinCom.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace vellumora {

struct AddOnFunction {
    QString name;      // "GetData", "Report" or "Clean"
    QString caption;
};

struct AddOnRecord {
    QString name;
    std::shared_ptr<platform::automation::Dispatch> object;
    std::vector<AddOnFunction> functions;
};

struct AddOnMenuRecord {
    QString function;  // "GetData" or "Report"
    QString menu;      // "Menu_File" or "Menu_Tool"
    std::int16_t addOn = 0;
    std::int16_t functionIndex = 0;
    std::int16_t position = 0;  // slot 0 to 9
    QString caption;
    QString action;    // "Open", "AddInput" or "Tool"

    friend bool operator==(const AddOnMenuRecord&, const AddOnMenuRecord&) = default;

    static const AddOnMenuRecord Default;
};
inline const AddOnMenuRecord AddOnMenuRecord::Default{};

inline std::vector<AddOnRecord> AddOnTable;
inline std::vector<AddOnMenuRecord> AddOnMenuTable;

void AddOnMenuMake();
void AddOnFileMenuMake();
void AddOnToolMenuMake();
void AddOnRelease();
std::vector<AddOnMenuRecord> AddOnMenuList(const QString& menu);
QString AddOnMenuAction(const QString& menu, std::int16_t position);

} // namespace vellumora
