// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/user_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
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

// Why a settings file is no settings file at all; empty when it parses.
QString Unreadable(const QSettings& settings) {
  const FileRead file = ReadWholeFile(settings.fileName());
  if (file.missing) return {};
  if (!file.bytes) return file.error;
  if (const char* wide = WideEncoding(*file.bytes)) {
    return QStringLiteral("it is saved as %1 text").arg(QLatin1String(wide));
  }
  if (file.bytes->find('\0') != std::string::npos) return QStringLiteral("it holds a NUL byte");
  if (settings.status() == QSettings::FormatError) {
    return QStringLiteral("its lines are not sections and keys");
  }
  return {};
}

// The user's settings file, named as the settings layer names it (the folder
// it uses, the program's title, ".conf") without opening it: a store under a
// name no file has shares that folder.
QString UserSettingsFile() {
  const QSettings probe(QSettings::UserScope, QStringLiteral("kova-pro-settings-probe"));
  if (probe.format() != QSettings::NativeFormat || probe.fileName().isEmpty()) return {};
  return QFileInfo(probe.fileName()).absolutePath() + "/" + kProgramTitle + ".conf";
}

// The settings layer opens its file with a blocking read: a named pipe there
// would hold the program before its window appears, for good. Whatever holds
// that name and is neither a file nor a folder (after following links) keeps
// no settings, so it goes (a link goes, not what it names), and the reason is
// kept for the warning.
QString RemoveWhatIsNoFile(const QString& file) {
  if (file.isEmpty()) return {};
  const QFileInfo info(file);
  if (!info.exists() || info.isFile() || info.isDir()) return {};
  const QString reason = ReadWholeFile(file).error;
  QFile::remove(file);
  return reason;
}

}  // namespace

SettingsStore::SettingsStore() : unreadable_(RemoveWhatIsNoFile(UserSettingsFile())) {
  settings_ = std::make_unique<QSettings>(QSettings::UserScope, kProgramTitle);
  CheckFile();
}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {
  CheckFile();
}

// Whatever half-parsed from a broken file is dropped: every value takes its
// default, and the file is written anew by Sync.
void SettingsStore::CheckFile() {
  if (unreadable_.isEmpty()) unreadable_ = Unreadable(*settings_);
  if (!unreadable_.isEmpty()) settings_->clear();
}

SettingsStore::~SettingsStore() = default;

UserSettings SettingsStore::Read(const QString& programFolder,
                                 std::vector<std::string>* problems) const {
  UserSettings result;
  if (!unreadable_.isEmpty() && problems) {
    problems->push_back("The settings file \"" +
                        ToUtf8(QDir::toNativeSeparators(settings_->fileName())) +
                        "\" cannot be used (" + ToUtf8(unreadable_) +
                        "); every setting in it takes its default, and the file is written anew "
                        "when the program closes.");
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
  result.Path = settings_->value(Key(kPathKey), programFolder).toString();
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
  if (!unreadable_.isEmpty()) {
    // QSettings keeps reporting the old parse error however well it writes;
    // a store made over the removed file reports only what writing does.
    const QString file = settings_->fileName();
    const QSettings::Format format = settings_->format();
    std::vector<std::pair<QString, QVariant>> values;
    for (const QString& key : settings_->allKeys())
      values.emplace_back(key, settings_->value(key));
    settings_->clear();
    settings_.reset();
    QFile::remove(file);
    settings_ = std::make_unique<QSettings>(file, format);
    for (const auto& [key, value] : values)
      settings_->setValue(key, value);
    unreadable_.clear();
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
