#pragma once

// A CUPS daemon of a test's or benchmark's own with a cups-pdf queue as the default printer.
//
// The CUPS library reads CUPS_SERVER once per process: a program that uses this queue starts it
// before anything in the process asks CUPS about printers. Programs started as children of it
// inherit CUPS_SERVER and LPDEST and print to the queue too.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <unistd.h>

namespace testsupport {

// A CUPS daemon of its own with one cups-pdf queue, which is its default; it writes the PDF files
// of its jobs into a folder of the test. The daemon runs as root (directly, or through sudo
// without a password) and is stopped by its process id when this object goes, whatever the test
// did. Nothing of the system's CUPS set-up is changed: the daemon keeps its configuration, spool,
// logs and socket in a folder of its own, and the cups-pdf backend, which reads its settings only
// below /etc/cups, sees that folder in place of /etc/cups in a mount namespace of the daemon's
// own (and reads its settings under their usual name, which a confining security profile of the
// backend allows). Where no mount namespace can be made, the queue's own cups-pdf settings file is
// put into /etc/cups for the time of the test: its name is unique and no other queue reads it.
class CupsPdfQueue {
public:
    CupsPdfQueue() = default;
    CupsPdfQueue(const CupsPdfQueue&) = delete;
    CupsPdfQueue& operator=(const CupsPdfQueue&) = delete;
    ~CupsPdfQueue() { Stop(); }

    // Starts the daemon and adds the queue. Returns why the machine allows no daemon (the caller
    // then skips); a daemon that fails to come up leaves Ready() false and says why in Failure().
    // What the machine allows is found by trying: the daemon's set-up is run as this process
    // first, then through sudo without a password where sudo allows that.
    QString Start()
    {
        const QString cupsd = Tool(QStringLiteral("cupsd"));
        const QString lpadmin = Tool(QStringLiteral("lpadmin"));
        if (cupsd.isEmpty() || lpadmin.isEmpty() || Tool(QStringLiteral("lpstat")).isEmpty() ||
            !QFileInfo::exists(QString::fromLatin1(Backend)) || !QFileInfo::exists(QString::fromLatin1(Ppd)) ||
            !QFileInfo(QStringLiteral("/etc/cups")).isDir())
            return QStringLiteral("CUPS or cups-pdf is not installed: run scripts/setup");
        const QString direct = StartAs(false, cupsd, lpadmin);
        if (direct.isEmpty())
            return {};
        Stop();
        if (Run({QStringLiteral("sudo"), QStringLiteral("-n"), QStringLiteral("true")}) != 0)
            return direct + QStringLiteral(", and there is no sudo without a password");
        const QString throughSudo = StartAs(true, cupsd, lpadmin);
        return throughSudo.isEmpty() ? QString() : direct + QStringLiteral("; through sudo: ") + throughSudo;
    }

    bool Ready() const { return ready_; }
    QString Failure() const { return failure_; }

    // The PDF files the queue has written.
    QStringList OutputFiles() const
    {
        QStringList files;
        const QDir out(folder_ + QStringLiteral("/out"));
        for (const QString& name : out.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            files << out.filePath(name);
        return files;
    }

    // True when no job of the queue is waiting or printing.
    bool Idle()
    {
        QString output;
        return Run({Tool(QStringLiteral("lpstat")), QStringLiteral("-o"), queue_}, &output) == 0 &&
               output.trimmed().isEmpty();
    }

    QString Queue() const { return queue_; }

    // The end of the daemon's log and what it printed, for a failure message.
    QString Log()
    {
        QString log;
        Run(Privileged({QStringLiteral("tail"), QStringLiteral("-n"), QStringLiteral("40"),
                        folder_ + QStringLiteral("/log/error_log")}),
            &log);
        return log + QString::fromLocal8Bit(daemon_.readAll());
    }

private:
    // One attempt at the daemon, as this process or through sudo: why it cannot be started here,
    // or nothing (started, or failed as a test failure).
    QString StartAs(bool sudo, const QString& cupsd, const QString& lpadmin)
    {
        sudo_ = sudo;
        // The daemon's helpers run as the user lp: the folder must be open to it, so it is not
        // made inside the test's private temporary folder. The socket's path must stay short.
        QByteArray pattern("/tmp/vellumora-cups-XXXXXX");
        if (!mkdtemp(pattern.data()))
            return QStringLiteral("no folder for the CUPS daemon");
        folder_ = QString::fromLocal8Bit(pattern);
        QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                           QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther);
        for (const char* sub : {"etc", "spool/tmp", "cache", "state", "log", "out", "pdfspool"})
            QDir(folder_).mkpath(QString::fromLatin1(sub));
        queue_ = QStringLiteral("VellumoraTest%1").arg(getpid());
        socket_ = folder_ + QStringLiteral("/cups.sock");
        qputenv("CUPS_SERVER", QFile::encodeName(socket_));
        // A default named in the system's lpoptions file would win over the daemon's own.
        qputenv("LPDEST", queue_.toLatin1());
        WriteFiles();

        const QString script =
            QStringLiteral("echo $$ > \"$1/cupsd.pid\" && exec \"$2\" -f -c \"$1/etc/cupsd.conf\" -s \"$1/etc/cups-files.conf\"");
        // Only the daemon's own mount namespace sees its folder as /etc/cups.
        QStringList command;
        const QStringList mount = {QStringLiteral("unshare"), QStringLiteral("--mount"), QStringLiteral("--propagation"),
                                   QStringLiteral("private"), QStringLiteral("sh"), QStringLiteral("-c")};
        const QString bind = QStringLiteral("mount --bind \"$1/etc\" /etc/cups && ");
        QString device = QStringLiteral("cups-pdf:/");
        if (Run(Privileged(mount + QStringList{bind + QStringLiteral("true"), QStringLiteral("sh"), folder_})) == 0) {
            command = mount + QStringList{bind + script, QStringLiteral("sh"), folder_, cupsd};
        } else {
            // cups-pdf:/NAME reads cups-pdf-NAME.conf.
            device += queue_;
            systemConfig_ = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(queue_);
            if (Run(Privileged({QStringLiteral("cp"), folder_ + QStringLiteral("/etc/cups-pdf.conf"), systemConfig_})) !=
                0) {
                systemConfig_.clear();
                return QStringLiteral("cannot write the cups-pdf settings of the queue into /etc/cups");
            }
            command = {QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), folder_, cupsd};
        }
        command = Privileged(command);
        daemon_.setProcessChannelMode(QProcess::MergedChannels);
        // When this program dies without its teardown, the daemon goes with it (not through sudo,
        // whose start as another user drops the request).
        daemon_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon_.start(command.takeFirst(), command);
        const QString pidFile = folder_ + QStringLiteral("/cupsd.pid");
        // The pid file is written at once; the socket when the daemon listens.
        if (!QTest::qWaitFor([&] { return daemon_.state() == QProcess::NotRunning || QFileInfo::exists(socket_); },
                             20000) ||
            daemon_.state() == QProcess::NotRunning)
            return Failed(QStringLiteral("the CUPS daemon did not start"));
        QFile pid(pidFile);
        if (pid.open(QIODevice::ReadOnly))
            pid_ = pid.readAll().trimmed().toLongLong();
        if (pid_ <= 0)
            return Failed(QStringLiteral("the CUPS daemon did not say its process id"));

        // cups-pdf takes PostScript and makes a PDF of it again; of the ways from the program's PDF
        // to PostScript, only the one through cairo keeps what the glyphs mean, so that the text
        // can be read back from the queue's PDF.
        if (Run({lpadmin, QStringLiteral("-p"), queue_, QStringLiteral("-E"), QStringLiteral("-v"),
                 device, QStringLiteral("-P"), QString::fromLatin1(Ppd),
                 QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")}) != 0 ||
            Run({lpadmin, QStringLiteral("-d"), queue_}) != 0)
            return Failed(QStringLiteral("lpadmin could not add the queue"));
        ready_ = true;
        return {};
    }

    static constexpr const char* Backend = "/usr/lib/cups/backend/cups-pdf";
    static constexpr const char* Ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

    static QString Tool(const QString& name)
    {
        return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                     QStringLiteral("/sbin"), QStringLiteral("/bin")});
    }

    QStringList Privileged(QStringList command) const
    {
        if (sudo_)
            command = QStringList{QStringLiteral("sudo"), QStringLiteral("-n")} + command;
        return command;
    }

    // Runs a command to its end; its exit code (-1 when it did not run), its output into output.
    static int Run(QStringList command, QString* output = nullptr)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(command.takeFirst(), command);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        if (output)
            *output = QString::fromLocal8Bit(process.readAll());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    void WriteFiles() const
    {
        const auto write = [this](const QString& name, const QString& text) {
            QFile file(folder_ + QStringLiteral("/etc/") + name);
            if (file.open(QIODevice::WriteOnly))
                file.write(text.toUtf8());
        };
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                             "StateDir %1/state\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                             "PageLog %1/log/page_log\nSystemGroup root\n")
                  .arg(folder_));
        // Only this socket, no network, no sharing; anyone who can reach the socket may do anything.
        write(QStringLiteral("cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel info\nBrowsing No\nBrowseLocalProtocols none\nWebInterface No\n"
                             "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(socket_));
        write(QStringLiteral("cups-pdf.conf"),
              QStringLiteral("Out %1/out\nAnonDirName %1/out\nSpool %1/pdfspool\nLog %1/log\nGrp lp\n").arg(folder_));
    }

    QString Failed(const QString& what)
    {
        failure_ = what + QLatin1Char('\n') + Log();
        return {};
    }

    void Stop()
    {
        if (pid_ > 0) {
            if (sudo_)
                Run({QStringLiteral("sudo"), QStringLiteral("-n"), QStringLiteral("kill"), QStringLiteral("-TERM"),
                     QString::number(pid_)});
            else
                kill(static_cast<pid_t>(pid_), SIGTERM);
        }
        if (daemon_.state() != QProcess::NotRunning && (pid_ <= 0 || !daemon_.waitForFinished(20000))) {
            if (pid_ > 0 && !sudo_)
                kill(static_cast<pid_t>(pid_), SIGKILL);
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
        if (!systemConfig_.isEmpty())
            Run(Privileged({QStringLiteral("rm"), QStringLiteral("-f"), systemConfig_}));
        if (!folder_.isEmpty())
            Run(Privileged({QStringLiteral("rm"), QStringLiteral("-rf"), folder_}));
        qunsetenv("CUPS_SERVER");
        qunsetenv("LPDEST");
        pid_ = 0;
        folder_.clear();
        systemConfig_.clear();
        ready_ = false;
    }

    bool sudo_ = false;
    QString folder_;
    QString queue_;
    QString socket_;
    QString systemConfig_;
    QProcess daemon_;
    qint64 pid_ = 0;
    bool ready_ = false;
    QString failure_;
};

} // namespace testsupport
