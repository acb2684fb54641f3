#pragma once

// The common dialog control's file dialogs: properties set before ShowOpen or ShowSave, read after.
// Tests queue answers (a chosen file or a cancel); offscreen without a queued answer a dialog
// reports a cancel, so nothing modal ever blocks a test.

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace platform::commondialog {

// The flag bits the program uses; others are accepted and ignored.
namespace Flags {
constexpr std::int32_t OverwritePrompt = 0x2;  // save: ask before replacing an existing file
constexpr std::int32_t HideReadOnly = 0x4;
constexpr std::int32_t FileMustExist = 0x1000; // open: only an existing file can be chosen
constexpr std::int32_t Explorer = 0x80000;
constexpr std::int32_t LongNames = 0x200000;
} // namespace Flags

// The error a cancelled dialog raises when CancelError is set.
constexpr std::int32_t CancelErrorNumber = 32755;

class CommonDialog {
public:
    bool CancelError = false;     // a cancel raises CancelErrorNumber instead of returning quietly
    QString InitDir;              // folder shown first; after OK, the folder the file was chosen in
    QString FileName;             // name proposed before, full path of the chosen file after OK
    std::int32_t Flags = 0;
    QString DefaultExt;           // appended to a chosen name without extension (with or without its dot)
                                  // when the file type chosen has no single extension of its own
    QString Filter;               // "description|pattern|description|pattern..."
    std::int16_t FilterIndex = 1; // 1-based entry of Filter shown first; after OK, the entry in use
    QString DialogTitle;
    QWidget* Parent = nullptr;

    void ShowOpen();
    void ShowSave();
};

// Test seam: answers taken in order by the next dialogs, and what each dialog was shown with.
// filterIndex: the file type the user chose in the dialog (1-based); 0 leaves the one shown first.
void QueueFileName(const QString& path, std::int16_t filterIndex = 0);
void QueueCancel();
void ClearQueue();

struct Shown {
    bool save;
    QString initDir;
    QString fileName;
    std::int32_t flags;
    QString defaultExt;
    QString filter;
    std::int16_t filterIndex;
};
std::vector<Shown>& ShownDialogs();

} // namespace platform::commondialog
