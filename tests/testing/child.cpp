// SPDX-License-Identifier: GPL-3.0-or-later
#include "child.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <filesystem>

namespace kova::test {

QJsonObject Ran::Json() const {
  return QJsonDocument::fromJson(out.toUtf8()).object();
}

Ran Run(const QString& program, const QStringList& args, const Child& how) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const auto& [key, value] : how.env.asKeyValueRange())
    value.isEmpty() ? env.remove(key) : env.insert(key, value);
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

SimProcess::SimProcess(const SimFolder& folder, const QStringList& options) {
  QStringList args{"--link",
                   QString::fromStdString(folder.Link()),
                   "--eeprom",
                   QString::fromStdString(folder.EEpromPath()),
                   "--die-with-parent",
                   "--exit-on-idle",
                   "120",
                   "--verbose"};
  args << options;
  process_.setProcessChannelMode(QProcess::SeparateChannels);
  process_.start(KOVA_SIM, args);
  if (!process_.waitForStarted(10000)) {
    ADD_FAILURE() << "kova-sim did not start: " << process_.errorString().toStdString();
    return;
  }
  while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
  }
  device_ = process_.readLine().trimmed().toStdString();
  EXPECT_FALSE(device_.empty()) << "kova-sim printed no device: "
                                << process_.readAllStandardError().toStdString();
}

SimProcess::~SimProcess() {
  Stop();
}

bool SimProcess::AwaitLog(const std::string& text) {
  QDeadlineTimer deadline(10000);
  for (;;) {
    log_ += process_.readAllStandardError().toStdString();
    if (log_.find(text) != std::string::npos) return true;
    if (deadline.hasExpired() || process_.state() != QProcess::Running) return false;
    process_.setReadChannel(QProcess::StandardError);
    process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    process_.setReadChannel(QProcess::StandardOutput);
  }
}

std::string SimProcess::Stop() {
  if (process_.state() != QProcess::NotRunning) {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
  }
  log_ += process_.readAllStandardError().toStdString();
  return log_;
}

int OpenHandlesTo(const std::string& path) {
  std::error_code error;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  if (error) return 0;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    std::error_code readError;
    if (std::filesystem::read_symlink(entry.path(), readError) == target) ++count;
  }
  return count;
}

}  // namespace kova::test
