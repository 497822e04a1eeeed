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

  // A missing key gives its default ("Path" defaults to firstFolder). A value
  // that is not a number also gives the default, and is named in problems; so
  // does a key whose line holds a NUL. Lines that are neither sections nor
  // keys are named and dropped; every other value, the port mapping and the
  // remembered rates among them, is kept. Only a file that is no settings
  // file at all (UTF-16 text, a named pipe, larger than kMaxSettingsBytes)
  // has all its values take their defaults.
  UserSettings Read(const QString& firstFolder, std::vector<std::string>* problems = nullptr) const;

  // Shut-down: the geometry only when the window is not minimised, the file
  // location always.
  void WriteGeometry(const UserSettings& settings);
  void WriteLocation(const UserSettings& settings);

  // Writes pending values to storage; false when the store cannot be written.
  // A file that did not parse is replaced by a clean one, and so is whatever
  // took its name during the run and is no file (a named pipe would hold
  // the program at exit).
  bool Sync();

 private:
  void CheckFile();

  std::unique_ptr<QSettings> settings_;
  QString unreadable_;            // why the file on disk could not be used, when it could not
  std::vector<QString> nulKeys_;  // keys dropped for a NUL in their line
  bool brokenLines_ = false;      // lines that are neither sections nor keys
};

// The user's own settings file, as the settings layer names it.
QString UserSettingsFile();
// Why a settings file cannot be opened without waiting for ever or losing
// it (a named pipe, a device); empty when it can, or does not exist.
QString SettingsFileProblem(const QString& file);
// Writes the pending values; empty when they reached the file, else a
// sentence naming the file that says they did not.
std::string SyncSettings(QSettings& settings);

// The folder the file dialogs start in when no file was opened or saved
// yet: the user's documents, else the home folder. Never the program's own.
QString DefaultFileFolder();

// Twips are what the settings hold; the window works in pixels.
int TwipsToPixels(float twips, double dotsPerInch);
float PixelsToTwips(int pixels, double dotsPerInch);

}  // namespace kova
