#pragma once

// Add-ons: automation objects that supply documents or produce reports, with the menu
// entries made from their functions. The table of add-ons is empty in this system.

#include "platform/automation/TavelinCom.h"

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
// Copies of the entries of one menu ("Menu_File", "Menu_Tool"), in table order.
std::vector<AddOnMenuRecord> AddOnMenuList(const QString& menu);
// The action of the entry at that menu and position; "" when there is none.
QString AddOnMenuAction(const QString& menu, std::int16_t position);
// Runs the "GetData" function of the entry: the add-on writes a tagged-text document into a work
// file and answers its display name. On an answer, result becomes the work file, TAB and the
// name (a DocumentName) and the result is true; with no entry or an empty answer, false and
// result stays. An error of the add-on reaches the caller.
bool AddOnGetData(const QString& menu, std::int16_t position, QString& result);
// Runs the "Report" function of the entry; its answer taken as a Boolean. False with no entry.
bool AddOnReport(const QString& menu, std::int16_t position);

// True when another copy of the program was running when this one made its add-on tables
// (AddOnMenuMake); the add-ons are then not asked to clean up at the end. Each running copy holds
// one of the lock files "instance.<n>.lock" in AddOnInstanceFolder() until AddOnRelease.
bool AddOnOtherInstance();
QString AddOnInstanceFolder();
// The lock file of the slot this copy holds; "" when it holds none.
QString AddOnInstanceLockFile();

} // namespace vellumora
