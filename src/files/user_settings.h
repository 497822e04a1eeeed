// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

class QSettings;

// The per-user settings that carry the window's place and the last file
// location from one run to the next: application "Kova Pro Configuration",
// section "Settings". Every value is stored as text.
namespace kova {

struct UserSettings {
  // The window's edges and size in twips (1/1440 inch), as single-precision numbers.
  float MainLeft = 0;
  float MainTop = 0;
  float MainWidth = 9000;
  float MainHeight = 7600;
  QString Path;      // folder of the last configuration file
  QString FileName;  // its name
};

class SettingsStore {
 public:
  // The user's own store.
  SettingsStore();
  // A store in the given INI file (tests, or a copy carried on a stick).
  explicit SettingsStore(const QString& iniFile);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // A missing key gives its default ("Path" defaults to programFolder). A value
  // that is not a number also gives the default, and is named in problems; so
  // is a file that does not parse as settings at all (random bytes, UTF-16, a
  // NUL, a broken section line), whose values all take their defaults.
  UserSettings Read(const QString& programFolder,
                    std::vector<std::string>* problems = nullptr) const;

  // Shut-down: the geometry only when the window is not minimised, the file
  // location always.
  void WriteGeometry(const UserSettings& settings);
  void WriteLocation(const UserSettings& settings);

  // Writes pending values to storage; false when the store cannot be written.
  // A file that did not parse is replaced by a clean one.
  bool Sync();

 private:
  void CheckFile();

  std::unique_ptr<QSettings> settings_;
  QString unreadable_;  // why the file on disk could not be used, when it could not
};

// Twips are what the settings hold; the window works in pixels.
int TwipsToPixels(float twips, double dotsPerInch);
float PixelsToTwips(int pixels, double dotsPerInch);

}  // namespace kova
