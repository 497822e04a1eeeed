#include "files/user_settings.h"

#include <QSettings>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "diag/failure.h"
#include "diag/program_identity.h"
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

}  // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::UserScope, kProgramTitle)) {}

SettingsStore::SettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

UserSettings SettingsStore::Read(const QString& programFolder,
                                 std::vector<std::string>* problems) const {
  UserSettings result;
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
