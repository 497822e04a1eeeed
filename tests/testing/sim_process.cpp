// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_process.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>

#include "eeprom_file.h"

namespace kova::test {

SimFolder::SimFolder() {
  EXPECT_TRUE(dir_.isValid());
}

std::string SimFolder::Link() const {
  return dir_.filePath("kova").toStdString();
}
std::string SimFolder::EEpromPath() const {
  return dir_.filePath("eeprom.bin").toStdString();
}

void SimFolder::WriteEEprom(const EEpromImage& image) const {
  sim::SaveEEprom(EEpromPath(), image);
}
EEpromImage SimFolder::ReadEEprom() const {
  return sim::LoadEEprom(EEpromPath());
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
