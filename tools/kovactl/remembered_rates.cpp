// SPDX-License-Identifier: GPL-3.0-or-later
#include "remembered_rates.h"

#include "diag/program_identity.h"
#include "files/user_settings.h"

namespace kova::ctl {

RememberedRates::RememberedRates() {
  const QString file = UserSettingsFile();
  if (const QString why = SettingsFileProblem(file); !why.isEmpty()) {
    problem_ = "the settings file \"" + file.toStdString() + "\" cannot be used (" +
               why.toStdString() + "); no rate is read from it or remembered in it";
    return;
  }
  settings_ = std::make_unique<QSettings>(QSettings::UserScope, kProgramTitle);
  rates_.emplace(*settings_);
}

std::optional<int> RememberedRates::LastSeen(const std::string& port) const {
  return rates_ ? rates_->LastSeen(port) : std::nullopt;
}

std::string RememberedRates::Remember(const std::string& port, int rate) {
  if (!rates_) return {};
  rates_->Remember(port, rate);
  const std::string failed = SyncSettings(*settings_);
  if (failed.empty()) return {};
  return "the rate " + std::to_string(rate) + " bit/s of " + port + " is not remembered: " + failed;
}

std::optional<long long> RememberedRates::WriteCutShortAt(const std::string& port) const {
  return rates_ ? rates_->WriteCutShortAt(port) : std::nullopt;
}

void RememberedRates::RememberWriteCutShort(const std::string& port, long long msSinceEpoch) {
  if (rates_) rates_->RememberWriteCutShort(port, msSinceEpoch);
}

void RememberedRates::ClearWriteCutShort(const std::string& port) {
  if (rates_) rates_->ClearWriteCutShort(port);
}

}  // namespace kova::ctl
