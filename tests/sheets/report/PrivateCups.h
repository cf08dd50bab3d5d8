// A private print system for a test: cupsd in the foreground as a child of
// the test, with its own configuration, spool, logs and socket in a
// temporary folder, and cups-pdf queues that write their PDF files into
// that folder. Nothing of the machine's own print system is used or
// changed; the server is stopped (and any child of it with it) when the
// object goes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace kestrin::test {

class TPrivateCups {
 public:
  TPrivateCups();
  ~TPrivateCups();
  TPrivateCups(const TPrivateCups&) = delete;
  TPrivateCups& operator=(const TPrivateCups&) = delete;

  // Starts cupsd and waits until it answers; false with the reason when it
  // cannot start here.
  bool Start(QString* whyNot);
  // Ends cupsd (SIGTERM, SIGKILL after a grace time) and waits for it.
  void Stop();

  // Adds an enabled cups-pdf queue with the given PPD and makes it the
  // server's default printer. False with cupsd's and lpadmin's words.
  bool AddPdfQueue(const QString& name, const QString& ppd, QString* error);
  // Waits until the queue has no unfinished job and at least `count`
  // finished ones; false at the time limit.
  bool WaitForJobs(const QString& queue, int count, int timeoutMs);

  QString Socket() const { return m_root + QStringLiteral("/cups.sock"); }
  // Where the queues write their PDF files.
  QString OutputFolder() const { return m_root + QStringLiteral("/out"); }
  QString Folder() const { return m_root; }
  // The last lines of cupsd's error log (for failure messages).
  QString LogTail(int lines = 40) const;

 private:
  bool WriteFile(const QString& path, const QByteArray& text);
  // Runs one CUPS command against this server; its exit code, -1 when it
  // could not run in time.
  int Run(const QString& program, const QStringList& args, QString* output = nullptr,
          int timeoutMs = 30000);
  bool UseNamespace();

  QTemporaryDir m_dir;
  QString m_root;
  QString m_pdfConfig;      // the cups-pdf configuration of this server
  QString m_systemConfig;   // a per-queue file in /etc/cups when no namespace
  bool m_namespace = false;
  std::unique_ptr<QProcess> m_cupsd;
};

}  // namespace kestrin::test
