#pragma once

// Start-up and shutdown of the program: the entry procedure, the fixed orders in which the
// modules' start and end routines run, the registry renewal and the command line.

#include "app/diagram/DocumentLifecycle.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vellumora {

// The steps of AppInitialize and of AppTerminate, in their order.
std::vector<LifecycleStep> StartupSequence();
std::vector<LifecycleStep> ShutdownSequence();

// Runs start-up, the program link installed first; an error of a step reaches the caller.
void AppInitialize();
// Runs shutdown (every step, in order); the caller then ends the process.
void AppTerminate();

// The program: start-up, the main window until it closes, shutdown. An error in start-up is
// shown in one error box, whatever start-up made is removed again, and the result is 1.
int Main();

// Shows the main window and runs the event loop until it has closed; returns the exit code.
// Until one is set, Main shuts down right after start-up.
using MainWindowRunner = std::function<int()>;
void SetMainWindowRunner(MainWindowRunner runner);

// From now on a request from outside to end the program (kill, a logout) ends it cleanly: nobody
// is asked and nothing is saved, shutdown removes the work files, and the process ends as the
// signal would have ended it. While a long command holds the window thread, the process still
// ends within about a second: its work files are removed and a save or PDF being written is let
// finish first. Main sets it up after start-up.
void EndOnTerminationRequest();

void RegistryRenewal();
// Splits a command-line text: blanks and TABs separate, double quotes group.
void CommandLineSplit(const QString& commandLine);
// The arguments as the system already split them (without the program's own path).
void CommandLineSplit(const QStringList& arguments);

} // namespace vellumora
