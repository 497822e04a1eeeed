// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/user_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "diag/failure.h"
#include "diag/program_identity.h"
#include "files/file_access.h"
#include "files/latin1.h"
#include "image/conversions.h"

namespace kova {
namespace {

constexpr const char* kSection = "Settings";

struct GeometryKey {
  const char* name;
  float UserSettings::*field;
};

constexpr std::array<GeometryKey, 4> kGeometry{{
    {"MainLeft", &UserSettings::MainLeft},
    {"MainTop", &UserSettings::MainTop},
    {"MainWidth", &UserSettings::MainWidth},
    {"MainHeight", &UserSettings::MainHeight},
}};

constexpr const char* kPathKey = "Path";
constexpr const char* kFileNameKey = "FileName";

// The shortest plain decimal that reads back as the same float ("9000", "12.5").
QString FloatText(float value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return QString::fromLatin1(text, result.ptr - text);
}

bool ParseFloat(const QString& text, float& value) {
  try {
    const double number = ToDouble(ToLatin1(text));
    if (std::fabs(number) > std::numeric_limits<float>::max()) return false;
    value = static_cast<float>(number);
    return true;
  } catch (const Failure&) {
    return false;
  }
}

QString Key(const char* name) {
  return QString::fromLatin1(kSection) + "/" + name;
}

// The keys (as the settings layer names them: "Settings/MainLeft") whose
// lines hold a NUL byte.
std::vector<QString> KeysWithNul(const std::string& bytes) {
  std::vector<QString> keys;
  QString section;
  for (const QByteArray& raw : QByteArray::fromStdString(bytes).split('\n')) {
    const QByteArray line = raw.trimmed();
    if (line.startsWith('[')) {
      const qsizetype close = line.indexOf(']');
      section = QString::fromUtf8(line.mid(1, close < 0 ? -1 : close - 1));
      continue;
    }
    if (!line.contains('\0')) continue;
    const QByteArray key = line.left(line.indexOf('=')).split('\0').front().trimmed();
    if (key.isEmpty()) continue;
    const QString name = QString::fromUtf8(QByteArray::fromPercentEncoding(key));
    keys.push_back(section.isEmpty() || section.compare("General", Qt::CaseInsensitive) == 0
                       ? name
                       : section + "/" + name);
  }
  return keys;
}

QString Shown(const QString& file) {
  return QDir::toNativeSeparators(file);
}

// The settings layer opens its file with a blocking read: a named pipe there
// would hold the program before its window appears, for good. Whatever holds
// that name and is neither a file nor a folder (after following links) keeps
// no settings, so it goes (a link goes, not what it names), and the reason is
// kept for the warning.
QString RemoveWhatIsNoFile(const QString& file) {
  const QString reason = SettingsFileProblem(file);
  if (!reason.isEmpty()) QFile::remove(file);
  return reason;
}

}  // namespace

QString UserSettingsFile() {
  // Named as the settings layer names it (the folder it uses, the program's
  // title, ".conf") without opening it: a store under a name no file has
  // shares that folder.
  const QSettings probe(QSettings::UserScope, QStringLiteral("kova-pro-settings-probe"));
  if (probe.format() != QSettings::NativeFormat || probe.fileName().isEmpty()) return {};
  return QFileInfo(probe.fileName()).absolutePath() + "/" + kProgramTitle + ".conf";
}

QString SettingsFileProblem(const QString& file) {
  if (file.isEmpty()) return {};
  // stat, not open: opening a named pipe waits for a writer.
  const QFileInfo info(file);
  if (!info.exists() || info.isFile() || info.isDir()) return {};
  return ReadWholeFile(file, 0).error;
}

std::string SyncSettings(QSettings& settings) {
  settings.sync();
  if (settings.status() == QSettings::NoError) return {};
  return "the settings file \"" + ToUtf8(Shown(settings.fileName())) + "\" cannot be written";
}

QString DefaultFileFolder() {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

SettingsStore::SettingsStore() : unreadable_(RemoveWhatIsNoFile(UserSettingsFile())) {
  settings_ = std::make_unique<QSettings>(QSettings::UserScope, kProgramTitle);
  CheckFile();
}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {
  CheckFile();
}

// One bad line costs its own value only; the port mapping and the rates kept
// beside the window's settings survive it. A file that is no settings file
// at all keeps nothing. Either way the file is written anew by Sync.
void SettingsStore::CheckFile() {
  if (unreadable_.isEmpty()) {
    const FileRead file = ReadWholeFile(settings_->fileName(), kMaxSettingsBytes);
    if (file.missing) return;
    if (!file.bytes) {
      unreadable_ = file.error;
    } else if (const char* wide = WideEncoding(*file.bytes)) {
      unreadable_ = QStringLiteral("it is saved as %1 text").arg(QLatin1String(wide));
    } else {
      nulKeys_ = KeysWithNul(*file.bytes);
      for (const QString& key : nulKeys_)
        settings_->remove(key);
      brokenLines_ = settings_->status() == QSettings::FormatError;
    }
  }
  if (!unreadable_.isEmpty()) settings_->clear();
}

SettingsStore::~SettingsStore() = default;

UserSettings SettingsStore::Read(const QString& firstFolder,
                                 std::vector<std::string>* problems) const {
  UserSettings result;
  const std::string file = "\"" + ToUtf8(Shown(settings_->fileName())) + "\"";
  if (!unreadable_.isEmpty() && problems) {
    problems->push_back("The settings file " + file + " cannot be used (" + ToUtf8(unreadable_) +
                        "); every setting in it takes its default, and the file is written anew "
                        "when the program closes.");
  }
  if (brokenLines_ && problems) {
    problems->push_back("The settings file " + file +
                        " has lines that are neither sections nor keys; they are left out when "
                        "the file is written anew.");
  }
  for (const QString& key : nulKeys_) {
    if (problems) {
      problems->push_back("Setting \"" + ToUtf8(key.startsWith("Settings/") ? key.mid(9) : key) +
                          "\" holds a NUL byte; its default is used instead.");
    }
  }
  for (const auto& key : kGeometry) {
    const QVariant stored = settings_->value(Key(key.name));
    if (!stored.isValid()) continue;
    const QString text = stored.toString();
    if (!ParseFloat(text, result.*key.field) && problems) {
      problems->push_back(std::string("Setting \"") + key.name +
                          "\": " + QuoteValue(ToLatin1(text)) + " is not a number; " +
                          ToUtf8(FloatText(result.*key.field)) + " is used instead.");
    }
  }
  result.Path = settings_->value(Key(kPathKey), firstFolder).toString();
  result.FileName = settings_->value(Key(kFileNameKey), QString()).toString();
  return result;
}

void SettingsStore::WriteGeometry(const UserSettings& settings) {
  for (const auto& key : kGeometry)
    settings_->setValue(Key(key.name), FloatText(settings.*key.field));
}

void SettingsStore::WriteLocation(const UserSettings& settings) {
  settings_->setValue(Key(kPathKey), settings.Path);
  settings_->setValue(Key(kFileNameKey), settings.FileName);
}

bool SettingsStore::Sync() {
  if (unreadable_.isEmpty()) unreadable_ = RemoveWhatIsNoFile(settings_->fileName());
  if (!unreadable_.isEmpty() || !nulKeys_.empty() || brokenLines_) {
    // QSettings keeps reporting the old parse error however well it writes;
    // a store made over the removed file reports only what writing does.
    const QString file = settings_->fileName();
    const QSettings::Format format = settings_->format();
    std::vector<std::pair<QString, QVariant>> values;
    for (const QString& key : settings_->allKeys()) {
      if (!key.isEmpty()) values.emplace_back(key, settings_->value(key));  // "=x" has no key
    }
    settings_->clear();
    settings_.reset();
    QFile::remove(file);
    settings_ = std::make_unique<QSettings>(file, format);
    for (const auto& [key, value] : values)
      settings_->setValue(key, value);
    unreadable_.clear();
    nulKeys_.clear();
    brokenLines_ = false;
  }
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

int TwipsToPixels(float twips, double dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

float PixelsToTwips(int pixels, double dotsPerInch) {
  return static_cast<float>(pixels * 1440.0 / dotsPerInch);
}

}  // namespace kova
