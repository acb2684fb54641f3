#include "app/shell/AppMain.h"

#include "app/shell/ShellProgramLink.h"

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CanvasLifecycle.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/SearchEngine.h"
#include "app/diagram/ReportSetting.h"
#include "app/core/AddOnHooks.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/FirstFailure.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/system/EndedCopies.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>

#include <exception>

namespace vellumora {

namespace {

MainWindowRunner& Runner()
{
    static MainWindowRunner runner;
    return runner;
}

// Runs a clean-up step of an abandoned start-up; its own failure must not hide the first one.
void CleanUp(const std::function<void()>& step)
{
    try {
        step();
    } catch (const std::exception&) {
    }
}

// Removes what a start-up that failed has made: the work folder and work files of the run,
// the log file handle and the services object. started lists the steps that began.
void StartupAbandon(const QSet<QString>& started)
{
    if (CommonServices) {
        if (started.contains(QStringLiteral("FileInterfaceInit")))
            CleanUp(FileInterfaceTerm);
        if (started.contains(QStringLiteral("UtilitiesInitialize")))
            CleanUp(UtilitiesTerminate);
    }
    CleanUp(DebugLogClose);
    CleanUp(BasicDefineTerminate);
}

} // namespace

std::vector<LifecycleStep> StartupSequence()
{
    std::vector<LifecycleStep> steps = CanvasStartupSteps();
    // The shell's own steps, where the program's order puts them.
    LifecycleStepInsert(steps, QStringLiteral("CatalogVolatileSection"),
                        {QStringLiteral("RegistryRenewal"), RegistryRenewal});
    steps.push_back({QStringLiteral("CommandLineSplit"), [] { CommandLineSplit(QCoreApplication::arguments().mid(1)); }});
    return steps;
}

std::vector<LifecycleStep> ShutdownSequence()
{
    std::vector<LifecycleStep> steps = DocumentShutdownSteps();
    steps.insert(steps.begin(), {QStringLiteral("LastFolder"), [] {
                                     if (!ApplicationGlobals.LastFolder.isEmpty())
                                         CommonServices->SetRegistry(QStringLiteral("File"), QStringLiteral("Path"),
                                                                     ApplicationGlobals.LastFolder);
                                 }});
    return steps;
}

void AppInitialize()
{
    SetProgramLink(&ShellProgramLink());
    for (const LifecycleStep& step : StartupSequence())
        step.run();
}

void AppTerminate()
{
    // Every step runs even when an earlier one fails, so that no work file, open file or
    // services object outlives the run; the first error is passed on afterwards.
    FirstFailure failure;
    for (const LifecycleStep& step : ShutdownSequence())
        failure.Run(step.run);
    failure.Rethrow();
}

int Main()
{
    SetProgramLink(&ShellProgramLink());
    QSet<QString> started;
    const bool startedUp = Guarded([&] {
        for (const LifecycleStep& step : StartupSequence()) {
            started.insert(step.name);
            step.run();
        }
    });
    if (!startedUp) {
        StartupAbandon(started);
        return 1;
    }

    EndOnTerminationRequest();
    int code = 0;
    if (!Guarded([&] { code = Runner() ? Runner()() : 0; }))
        code = 1;
    // Past shutdown a request from outside ends the process at once.
    platform::system::SetTerminationHandler({});
    if (!Guarded(AppTerminate))
        return 1;
    return code;
}

void EndOnTerminationRequest()
{
    // Taken now, on the window thread: the end of a busy program runs on another thread and may
    // read nothing the window thread changes.
    const QString lock = AddOnInstanceLockFile();
    platform::system::SetTerminationHandler(
        [](int signal) {
            ApplicationGlobals.ApplicationClosing = true;
            try {
                AppTerminate();
            } catch (const std::exception&) {
                // Ending goes on: the process must not outlive the request.
            }
            platform::system::EndBySignal(signal);
        },
        [lock](int) {
            // What this copy made, as the usual end removes it: never an entry of the user's
            // because of its name.
            platform::system::RemoveWorkOfThisCopy();
            // The slot this copy holds is given up too, as the usual end gives it up: its lock
            // file must not outlive the process.
            if (!lock.isEmpty())
                QFile::remove(lock);
        });
}

void SetMainWindowRunner(MainWindowRunner runner)
{
    Runner() = std::move(runner);
}

void RegistryRenewal()
{
    const QString section = QStringLiteral("Initialize");
    const QString marker = QStringLiteral("S") + CommonServices->GetInitFile(section, QStringLiteral("Post"));
    try {
        if (marker != CommonServices->GetRegistry(QStringLiteral("Model"), QStringLiteral("Post"))) {
            CommonServices->SetRegistry(QStringLiteral("Model"), QStringLiteral("Post"), marker);
            for (int i = 1; i <= 99; ++i) {
                const QString entry = CommonServices->GetInitFile(section, QStringLiteral("SubKey") + QString::number(i));
                const qsizetype cut = entry.lastIndexOf(QLatin1Char('\\'));
                if (cut < 0)
                    break;
                const QString parent = entry.left(cut);
                const QString leaf = entry.mid(cut + 1);
                if (parent.isEmpty() || leaf.isEmpty())
                    continue;
                CommonServices->SetForcibleName(parent);
                const std::int32_t handle = CommonServices->RegistryOpen();
                if (handle >= 0) {
                    CommonServices->RegistrySubKeyDelete(handle, leaf);
                    CommonServices->RegistryClose(handle);
                }
            }
        }
    } catch (...) {
        // Later registry calls must address the program's own key again, whatever happened.
        CommonServices->SetForcibleName(QString());
        throw;
    }
    CommonServices->SetForcibleName(QString());
}

namespace {

void LogArguments()
{
    const QStringList& arguments = ApplicationGlobals.CommandArguments;
    for (qsizetype n = 1; n < arguments.size(); ++n)
        DebugLogWrite(QStringLiteral("引数") + QString::number(n), arguments.at(n), 0, 2);
}

} // namespace

void CommandLineSplit(const QString& commandLine)
{
    QStringList arguments{QString()};
    bool insideQuotes = false;
    bool insideToken = false;
    for (const QChar c : commandLine) {
        if (!insideQuotes && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            insideToken = false;
            continue;
        }
        if (!insideToken) {
            arguments.append(QString());
            insideToken = true;
        }
        if (c == QLatin1Char('"')) {
            insideQuotes = !insideQuotes;
            continue;
        }
        arguments.last().append(c);
    }
    ApplicationGlobals.CommandArguments = arguments;
    LogArguments();
}

void CommandLineSplit(const QStringList& arguments)
{
    ApplicationGlobals.CommandArguments = QStringList{QString()} + arguments;
    LogArguments();
}

} // namespace vellumora
