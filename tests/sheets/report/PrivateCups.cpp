#include "PrivateCups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrin::test {

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kPdfBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kSystemPdfConfig = QStringLiteral("/etc/cups/cups-pdf.conf");

}  // namespace

TPrivateCups::TPrivateCups()
    : m_dir((QDir::tempPath().size() < 60 ? QDir::tempPath() : QStringLiteral("/tmp")) +
            QStringLiteral("/kestrin-cups-XXXXXX")) {}

TPrivateCups::~TPrivateCups() { Stop(); }

bool TPrivateCups::WriteFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

int TPrivateCups::Run(const QString& program, const QStringList& args, QString* output,
                      int timeoutMs) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(5000);
    if (output) *output = QStringLiteral("%1 did not finish in time").arg(program);
    return -1;
  }
  if (output) *output = QString::fromUtf8(p.readAll());
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// cups-pdf reads its configuration from a fixed place (/etc/cups). In a
// mount namespace of cupsd's own, this server's configuration is bound over
// that file, so the machine's queues are not touched. Where no namespace can
// be made, a per-queue file in /etc/cups stands in (removed at Stop).
bool TPrivateCups::UseNamespace() {
  if (!QFileInfo(kSystemPdfConfig).isFile()) return false;
  return Run(QStringLiteral("unshare"),
             {QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
              QStringLiteral("mount --bind \"$0\" \"$1\""), m_pdfConfig, kSystemPdfConfig}) == 0;
}

bool TPrivateCups::Start(QString* whyNot) {
  auto fail = [&](const QString& reason) {
    if (whyNot) *whyNot = reason;
    Stop();
    return false;
  };
  if (!QFileInfo(kCupsd).isExecutable())
    return fail(QStringLiteral("cupsd is not installed (Debian package cups)"));
  if (!QFileInfo::exists(kPdfBackend))
    return fail(QStringLiteral("the cups-pdf backend is not installed (printer-driver-cups-pdf)"));
  // The backend is root's only (mode 0700): a cupsd of another user cannot
  // run it.
  if (geteuid() != 0)
    return fail(QStringLiteral("cups-pdf runs only under a cupsd started as root"));
  if (!m_dir.isValid()) return fail(QStringLiteral("no temporary folder"));
  m_root = m_dir.path();

  // The filters run as the user lp: they must reach the spool and the
  // temporary folder.
  ::chmod(QFile::encodeName(m_root).constData(), 0755);
  for (const char* sub : {"etc", "spool", "tmp", "cache", "state", "log", "out", "pdfspool"})
    QDir(m_root).mkpath(QString::fromLatin1(sub));
  const QByteArray tmp = QFile::encodeName(m_root + QStringLiteral("/tmp"));
  if (const group* lp = ::getgrnam("lp")) {
    if (::chown(tmp.constData(), 0, lp->gr_gid) != 0) return fail(QStringLiteral("chown failed"));
    ::chmod(tmp.constData(), 01770);
  } else {
    ::chmod(tmp.constData(), 01777);
  }

  const QByteArray root = m_root.toUtf8();
  const QByteArray sock = Socket().toUtf8();
  const bool ok =
      WriteFile(m_root + QStringLiteral("/etc/cupsd.conf"),
                "LogLevel info\n"
                "MaxLogSize 0\n"
                "Listen " + sock + "\n"
                "Browsing No\n"
                "WebInterface No\n"
                "DefaultAuthType None\n"
                // A failing filter ends its job instead of stopping the
                // queue (the test sees it at once, not at its time limit).
                "ErrorPolicy abort-job\n"
                "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                "<Policy default>\n"
                "  JobPrivateAccess all\n  JobPrivateValues none\n"
                "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                "</Policy>\n") &&
      WriteFile(m_root + QStringLiteral("/etc/cups-files.conf"),
                "ServerRoot " + root + "/etc\n"
                "RequestRoot " + root + "/spool\n"
                "TempDir " + root + "/tmp\n"
                "CacheDir " + root + "/cache\n"
                "StateDir " + root + "/state\n"
                "ErrorLog " + root + "/log/error_log\n"
                "AccessLog " + root + "/log/access_log\n"
                "PageLog " + root + "/log/page_log\n"
                "FileDevice No\n") &&
      WriteFile(m_root + QStringLiteral("/cups-pdf.conf"),
                "Out " + root + "/out\n"
                "AnonDirName " + root + "/out\n"
                "Spool " + root + "/pdfspool\n"
                "Log " + root + "/log\n"
                "LogType 3\n"
                "Grp root\n");
  if (!ok) return fail(QStringLiteral("cannot write the server's configuration"));
  m_pdfConfig = m_root + QStringLiteral("/cups-pdf.conf");
  m_namespace = UseNamespace();

  m_cupsd = std::make_unique<QProcess>();
  m_cupsd->setProcessChannelMode(QProcess::MergedChannels);
  // The server must not outlive the test, however the test ends.
  m_cupsd->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  const QStringList cupsdArgs = {QStringLiteral("-f"), QStringLiteral("-c"),
                                 m_root + QStringLiteral("/etc/cupsd.conf"), QStringLiteral("-s"),
                                 m_root + QStringLiteral("/etc/cups-files.conf")};
  if (m_namespace) {
    m_cupsd->start(QStringLiteral("unshare"),
                   QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                               QStringLiteral("mount --bind \"$0\" \"$1\" && shift && exec \"$@\""),
                               m_pdfConfig, kSystemPdfConfig, kCupsd} +
                       cupsdArgs);
  } else {
    m_cupsd->start(kCupsd, cupsdArgs);
  }
  if (!m_cupsd->waitForStarted(10000)) return fail(QStringLiteral("cupsd could not be started"));

  QDeadlineTimer deadline(30000);
  for (;;) {
    if (m_cupsd->state() == QProcess::NotRunning) {
      return fail(QStringLiteral("cupsd ended at start: ") +
                  QString::fromUtf8(m_cupsd->readAll()) + LogTail(10));
    }
    QString out;
    if (QFileInfo::exists(Socket()) &&
        Run(QStringLiteral("lpstat"), {QStringLiteral("-h"), Socket(), QStringLiteral("-r")},
            &out, 5000) == 0 &&
        out.contains(QStringLiteral("is running"))) {
      return true;
    }
    if (deadline.hasExpired())
      return fail(QStringLiteral("cupsd did not answer within 30 s: ") + LogTail(10));
    QThread::msleep(100);
  }
}

void TPrivateCups::Stop() {
  if (m_cupsd) {
    if (m_cupsd->state() != QProcess::NotRunning) {
      m_cupsd->terminate();
      if (!m_cupsd->waitForFinished(10000)) {
        m_cupsd->kill();
        m_cupsd->waitForFinished(5000);
      }
    }
    m_cupsd.reset();
  }
  if (!m_systemConfig.isEmpty()) {
    QFile::remove(m_systemConfig);
    m_systemConfig.clear();
  }
}

bool TPrivateCups::AddPdfQueue(const QString& name, const QString& ppd, QString* error) {
  QString uri = QStringLiteral("cups-pdf:/");
  if (!m_namespace) {
    // cups-pdf:/NAME reads /etc/cups/cups-pdf-NAME.conf.
    const QString suffix = QStringLiteral("kestrin-test-") + QFileInfo(m_root).fileName();
    m_systemConfig = QStringLiteral("/etc/cups/cups-pdf-%1.conf").arg(suffix);
    if (!QFile::copy(m_pdfConfig, m_systemConfig)) {
      if (error) *error = QStringLiteral("cannot write ") + m_systemConfig;
      m_systemConfig.clear();
      return false;
    }
    uri += suffix;
  }
  QString out;
  // Poppler's cairo renderer keeps the texts as fonts with their Unicode
  // (the Ghostscript default turns Japanese text into unnamed glyphs).
  const int rc = Run(QStringLiteral("lpadmin"),
                     {QStringLiteral("-h"), Socket(), QStringLiteral("-p"), name,
                      QStringLiteral("-E"), QStringLiteral("-v"), uri, QStringLiteral("-P"), ppd,
                      QStringLiteral("-o"), QStringLiteral("pdftops-renderer-default=pdftocairo")},
                     &out);
  QString out2;
  const int rc2 = rc == 0 ? Run(QStringLiteral("lpadmin"),
                                {QStringLiteral("-h"), Socket(), QStringLiteral("-d"), name}, &out2)
                          : -1;
  if (rc != 0 || rc2 != 0) {
    if (error) *error = out + out2 + LogTail(10);
    return false;
  }
  return true;
}

bool TPrivateCups::WaitForJobs(const QString& queue, int count, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  for (;;) {
    QString open, done;
    if (Run(QStringLiteral("lpstat"), {QStringLiteral("-h"), Socket(), QStringLiteral("-W"),
                                       QStringLiteral("not-completed"), QStringLiteral("-o"), queue},
            &open, 10000) == 0 &&
        open.trimmed().isEmpty() &&
        Run(QStringLiteral("lpstat"), {QStringLiteral("-h"), Socket(), QStringLiteral("-W"),
                                       QStringLiteral("completed"), QStringLiteral("-o"), queue},
            &done, 10000) == 0 &&
        done.trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts).size() >= count) {
      return true;
    }
    if (deadline.hasExpired()) return false;
    QThread::msleep(250);
  }
}

QString TPrivateCups::LogTail(int lines) const {
  QFile f(m_root + QStringLiteral("/log/error_log"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QStringList all = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
  return QStringLiteral("\n") + all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n'));
}

}  // namespace kestrin::test
