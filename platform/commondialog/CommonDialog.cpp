#include "platform/commondialog/CommonDialog.h"

#include "platform/vbrt/Error.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>

#include <deque>
#include <optional>

namespace platform::commondialog {

namespace {

// A queued answer: a path and the file type chosen with it (0: the one shown first), or nothing
// for a cancel.
struct Answer {
    QString path;
    std::int16_t filterIndex = 0;
};

std::deque<std::optional<Answer>>& Queue()
{
    static std::deque<std::optional<Answer>> queue;
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

// The extension a name typed without one takes: on save, that of the file type chosen ("*.txt"
// gives "txt"), else, for a type of no single extension ("*.*") and on open, the default one.
QString ExtensionForName(bool save, const QString& filter, std::int16_t filterIndex, const QString& defaultExt)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    const qsizetype at = 2 * (qsizetype(filterIndex) - 1) + 1;
    if (save && filterIndex >= 1 && at < parts.size()) {
        static const QRegularExpression single(QStringLiteral("^\\*\\.([^*?.;\\s]+)$"));
        const QRegularExpressionMatch match = single.match(parts[at].trimmed());
        if (match.hasMatch())
            return match.captured(1);
    }
    return ExtensionWithoutDot(defaultExt);
}

QString WithDefaultExtension(const QString& path, const QString& ext)
{
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
    // The dialog adds the suffix before it asks about overwriting: it must follow the file type
    // chosen, so that the question names the file that will be written.
    auto suffixFollow = [&dialog, &d, filters, save](const QString& chosen) {
        const auto index = static_cast<std::int16_t>(filters.indexOf(chosen) + 1);
        dialog.setDefaultSuffix(ExtensionForName(save, d.Filter, index >= 1 ? index : d.FilterIndex, d.DefaultExt));
    };
    suffixFollow(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, suffixFollow);
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
        const std::optional<Answer> answer = Queue().front();
        Queue().pop_front();
        if (answer) {
            chosen = answer->path;
            if (answer->filterIndex >= 1)
                d.FilterIndex = answer->filterIndex;
        }
    } else if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        chosen = AskUser(d, save);
    }
    if (chosen && chosen->trimmed().isEmpty())
        chosen.reset();
    if (chosen) {
        // An existing file is opened as it is named: one without an extension is not looked for
        // under the default extension.
        if (save || !QFileInfo(*chosen).isFile())
            *chosen = WithDefaultExtension(*chosen, ExtensionForName(save, d.Filter, d.FilterIndex, d.DefaultExt));
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

void QueueFileName(const QString& path, std::int16_t filterIndex) { Queue().push_back(Answer{path, filterIndex}); }

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
