#pragma once

// The program-wide records: ApplicationGlobals, the canvas list B and the one services
// object CommonServices, with the routines that create and release them.

#include "app/core/DiagramRecords.h"
#include "app/core/LayoutRecords.h"
#include "platform/automation/TavelinCom.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vellumora {

// The search options and histories (read and written by the search dialog and engine).
struct SearchSettingsRecord {
    QStringList SearchHistory;
    QStringList ReplaceHistory;
    QString SearchText;
    QString ReplaceText;
    std::int16_t SearchRange = 0;       // 0 all canvases, 1 visible canvases, 2 the front canvas
    std::int32_t SearchBoxKind = 0;     // tag id; 0 every kind
    bool SearchMatchWord = false;
    bool SearchLetterCase = false;
    bool SearchPatternMatching = false;

    friend bool operator==(const SearchSettingsRecord&, const SearchSettingsRecord&) = default;

    static const SearchSettingsRecord Default;
};
inline const SearchSettingsRecord SearchSettingsRecord::Default{};

// One Help menu entry from the ini file.
struct HelpMenuEntry {
    QString caption;
    QString file;

    friend bool operator==(const HelpMenuEntry&, const HelpMenuEntry&) = default;
};

struct ApplicationGlobalsRecord {
    QStringList CommandArguments;       // element 0 is "", the arguments follow
    // A print started from the command line ("/P") runs with nobody to answer a message box.
    bool CommandLinePrint = false;
    // Empty: no document. A path; a path, TAB and title; or TAB and title (no file yet).
    QString DocumentName;
    QString LastFolder;
    QString DocumentFontName;
    QString DocumentFontSize;
    QString DocumentColorName;
    QString CanvasColorName;
    bool NoteNotShow = false;
    bool NoteNotFrame = false;
    bool FrameSameText = true;
    QString FrameColor;
    bool ReplaceJump = false;
    bool EditModeFlag = false;
    bool ApplicationClosing = false;
    bool ModifyFlag = false;
    std::int16_t CurrentCanvasIndex = 0;
    SearchSettingsRecord SearchSettings;
    std::vector<ColorTableRecord> ColorTable;
    QString DefaultColor;
    QStringList FontNameList;
    QString DefaultFontName;
    QStringList FontSizeList;
    QString DefaultFontSize;
    Point WorkspaceSize;
    Point WorkspaceStart;
    Point WorkspaceEnd;
    Point WorkspaceExtent;
    Point WindowsStart;
    Point WindowsEnd;
    Point ScrollTrackLength;
    bool PaintSuspended = false;
    std::int32_t DoubleClickTime = 0;
    // Shown once by ProcessingEnd; an error hides the information.
    QString DeferredError;
    QString DeferredInformation;
    std::vector<HelpMenuEntry> HelpMenuTable;
    std::array<bool, 10> DebugClass{};  // classes 1 to 9; element 0 unused
    bool DebugFlash = false;

    static const ApplicationGlobalsRecord Default;
};
inline const ApplicationGlobalsRecord ApplicationGlobalsRecord::Default{};

inline ApplicationGlobalsRecord ApplicationGlobals;

// The canvases: slot 0 is the print work copy, 1..n the document's canvases.
inline std::vector<CanvasRecord> B;

// The one services object; set by BasicDefineInitialize, released by BasicDefineTerminate.
inline std::shared_ptr<tavelin::TavelinCom> CommonServices;

// The application object handed to the services object: the program's folder and its file
// name without extension.
class ApplicationInfo : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path CONSTANT)
    Q_PROPERTY(QString EXEName READ EXEName CONSTANT)
public:
    ApplicationInfo(QString path, QString exeName, QObject* parent = nullptr);
    QString Path() const { return path_; }
    QString EXEName() const { return exeName_; }

private:
    QString path_;
    QString exeName_;
};

// The application object of this run; made from the running program on first use.
ApplicationInfo& ApplicationObject();
// Test seam: replaces the application object (a test names the program "vellumora" so the
// services object reads the program's ini file).
void SetApplicationObject(const QString& path, const QString& exeName);

// Test seam: how the services object is made; an empty factory restores the default, which
// creates "TavelinCom10.TavelinCom" by name.
using ServicesFactory = std::function<std::shared_ptr<tavelin::TavelinCom>()>;
void SetServicesFactory(ServicesFactory factory);

// Creates CommonServices, hands it the application object, then resets the tables.
void BasicDefineInitialize();
// GlobalArraysErase, then releases CommonServices.
void BasicDefineTerminate();
// Empties B and the add-on tables.
void GlobalArraysErase();

} // namespace vellumora
