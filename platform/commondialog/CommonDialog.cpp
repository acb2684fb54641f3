#include "platform/commondialog/CommonDialog.h"

#include "platform/vbrt/Error.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

#include <deque>
#include <optional>

namespace platform::commondialog {

namespace {

// A queued answer: a path, or nothing for a cancel.
std::deque<std::optional<QString>>& Queue()
{
    static std::deque<std::optional<QString>> queue;
    return queue;
}

// "desc|pattern|desc|pattern" as Qt name filters; a description that already ends with its
// pattern in parentheses is taken as it is, so the user does not see the pattern twice.
QStringList NameFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        const QString tail = QLatin1Char('(') + pattern + QLatin1Char(')');
        out << (description.endsWith(tail) ? description : description + QLatin1Char(' ') + tail);
    }
    return out;
}

// The default extension may be given with its dot or without.
QString ExtensionWithoutDot(const QString& defaultExt)
{
    return defaultExt.startsWith(QLatin1Char('.')) ? defaultExt.mid(1) : defaultExt;
}

QString WithDefaultExtension(const QString& path, const QString& defaultExt)
{
    const QString ext = ExtensionWithoutDot(defaultExt);
    if (ext.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + ext;
}

std::optional<QString> AskUser(CommonDialog& d, bool save)
{
    QFileDialog dialog(d.Parent, d.DialogTitle, d.InitDir);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile
                            : (d.Flags & Flags::FileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (save && !(d.Flags & Flags::OverwritePrompt))
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = NameFilters(d.Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (d.FilterIndex >= 1 && d.FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[d.FilterIndex - 1]);
    }
    dialog.setDefaultSuffix(ExtensionWithoutDot(d.DefaultExt));
    if (!d.FileName.isEmpty())
        dialog.selectFile(d.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const qsizetype used = filters.indexOf(dialog.selectedNameFilter());
    if (used >= 0)
        d.FilterIndex = static_cast<std::int16_t>(used + 1);
    return dialog.selectedFiles().first();
}

void Show(CommonDialog& d, bool save)
{
    ShownDialogs().push_back({save, d.InitDir, d.FileName, d.Flags, d.DefaultExt, d.Filter, d.FilterIndex});

    std::optional<QString> chosen;
    if (!Queue().empty()) {
        chosen = Queue().front();
        Queue().pop_front();
    } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        chosen = AskUser(d, save);
    }
    if (chosen && chosen->trimmed().isEmpty())
        chosen.reset();
    if (chosen) {
        // An existing file is opened as it is named: one without an extension is not looked for
        // under the default extension.
        if (save || !QFileInfo(*chosen).isFile())
            *chosen = WithDefaultExtension(*chosen, d.DefaultExt);
        // The open dialog offers only existing files when asked to; a queued answer obeys the same rule.
        if (!save && (d.Flags & Flags::FileMustExist) && !QFileInfo(*chosen).isFile())
            chosen.reset();
    }
    if (!chosen) {
        if (d.CancelError)
            vbrt::RaiseNumber(CancelErrorNumber, QStringLiteral("CommonDialog"));
        return;
    }
    const QFileInfo info(*chosen);
    d.FileName = info.absoluteFilePath();
    d.InitDir = info.absolutePath();
}

} // namespace

void CommonDialog::ShowOpen() { Show(*this, false); }

void CommonDialog::ShowSave() { Show(*this, true); }

void QueueFileName(const QString& path) { Queue().push_back(path); }

void QueueCancel() { Queue().push_back(std::nullopt); }

void ClearQueue()
{
    Queue().clear();
    ShownDialogs().clear();
}

std::vector<Shown>& ShownDialogs()
{
    static std::vector<Shown> shown;
    return shown;
}

} // namespace platform::commondialog
