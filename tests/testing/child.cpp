// SPDX-License-Identifier: GPL-3.0-or-later
#include "child.h"

#include <sys/resource.h>

#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>

namespace kova::test {

QJsonObject Ran::Json() const {
  return QJsonDocument::fromJson(out.toUtf8()).object();
}

Ran Run(const QString& program, const QStringList& args, const Child& how) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (auto it = how.env.begin(); it != how.env.end(); ++it) {
    if (it.value().isEmpty())
      env.remove(it.key());
    else
      env.insert(it.key(), it.value());
  }
  process.setProcessEnvironment(env);
  if (how.fileSizeLimit >= 0) {
    const rlim_t size = static_cast<rlim_t>(how.fileSizeLimit);
    process.setChildProcessModifier([size] {
      std::signal(SIGXFSZ, SIG_DFL);
      rlimit limit{};
      getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = size;
      setrlimit(RLIMIT_FSIZE, &limit);
    });
  }
  if (!how.output.isEmpty()) process.setStandardOutputFile(how.output);
  process.start(program, args);
  process.write(how.input);
  process.closeWriteChannel();
  QByteArray err;
  if (how.signal != 0) {
    process.setReadChannel(QProcess::StandardError);
    while (!err.contains(how.signalOn) && process.waitForReadyRead(how.timeoutMs))
      err += process.readAllStandardError();
    if (err.contains(how.signalOn)) ::kill(static_cast<pid_t>(process.processId()), how.signal);
  }
  if (!process.waitForFinished(how.timeoutMs)) {
    process.kill();
    process.waitForFinished();
    return {-2, {}, QStringLiteral("(still running after %1 ms)").arg(how.timeoutMs)};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(err + process.readAllStandardError())};
}

}  // namespace kova::test
