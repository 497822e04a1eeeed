#include "files/profile.h"

#include <QFileInfo>

#include "diag/program_identity.h"
#include "files/file_access.h"
#include "files/ini_document.h"
#include "files/latin1.h"
#include "files/profile_reader.h"
#include "image/field_names.h"
#include "image/interpret.h"
#include "image/pack.h"

namespace kova {
namespace {

QString DisplayName(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  return name.isEmpty() ? path : name;
}

Message NotRead(const QString& fileName, const std::string& reason) {
  return Message{kProgramTitle,
                 "Could not read \"" + ToUtf8(fileName) + "\"; nothing was loaded.\n" + reason,
                 MessageIcon::Warning};
}

Message NotSaved(const QString& fileName, const std::string& reason) {
  return Message{kProgramTitle,
                 "Could not save \"" + ToUtf8(fileName) + "\"; nothing was written.\n" + reason,
                 MessageIcon::Warning};
}

// The existing file's text, so that its other lines survive; "" for a new file.
std::optional<std::string> ExistingText(const QString& path, ProfileSave& result) {
  FileRead existing = ReadWholeFile(path);
  if (existing.bytes) return std::move(existing.bytes);
  if (existing.missing) return std::string();
  result.failure =
      NotSaved(DisplayName(path), "The file there cannot be read: " + ToUtf8(existing.error) + ".");
  return std::nullopt;
}

ProfileSave Save(const QString& path, const Document& doc) {
  ProfileSave result;
  const auto existing = ExistingText(path, result);
  if (!existing) return result;
  const QString error = ReplaceFile(path, ProfileText(*existing, doc));
  if (!error.isEmpty()) result.failure = NotSaved(DisplayName(path), ToUtf8(error) + ".");
  return result;
}

}  // namespace

std::string ProfileGetItem(std::string_view section, std::string_view key,
                           std::string_view fallback, const QString& path) {
  const FileRead file = ReadWholeFile(path);
  const IniDocument ini(file.bytes.value_or(std::string()));
  return ProfileValue(ini, section, key, fallback);
}

ProfileLoad ReadProfileText(std::string_view bytes, const QString& fileName,
                            const Document& current) {
  ProfileLoad result;
  Document scratch = current;
  try {
    result.warnings = ProfileReader(IniDocument(bytes), scratch).Run();
  } catch (const KeyFailure& failure) {
    result.failure = NotRead(
        fileName, "[" + failure.section + "] " + failure.key + ": " + failure.problem + ".");
    result.warnings.clear();
    return result;
  }
  result.document = std::move(scratch);
  return result;
}

ProfileLoad ReadProfile(const QString& path, const Document& current) {
  const FileRead file = ReadWholeFile(path);
  if (!file.bytes) {
    ProfileLoad result;
    result.failure =
        NotRead(DisplayName(path), "The file cannot be opened: " + ToUtf8(file.error) + ".");
    return result;
  }
  return ReadProfileText(*file.bytes, DisplayName(path), current);
}

std::string ProfileText(std::string_view existing, const Document& doc) {
  IniDocument ini(existing);
  const Configuration& cfg = doc.cfg;
  ini.Set("Version", "Kova Pro", ProgramCaption());
  ini.Set("Version", "Kova", cfg.Ver[0]);
  ini.Set("Version", "Compiled", cfg.Ver[1]);
  ini.Set("Version", "EEprom", cfg.Ver[2]);
  ini.Set("Comms", "Port", std::to_string(cfg.ComPort));
  ini.Set("Comms", "PC Baud Rate", std::to_string(cfg.BaudPC));
  std::string contents;
  for (const auto byte : doc.image)
    contents += Hex2(byte);
  ini.Set("EEprom", "Contents", contents);
  return ini.Text();
}

ProfileSave WriteProfile(const QString& path, Document& doc) {
  Document packed = doc;
  try {
    PackEEprom(packed);
  } catch (const Failure& refusal) {
    ProfileSave result;
    result.failure = NotSaved(DisplayName(path), ToUtf8(FromLatin1(refusal.what())) + ".");
    if (const auto* field = dynamic_cast<const FieldFailure*>(&refusal)) {
      result.control = field->control();
    }
    return result;
  }
  ProfileSave result = Save(path, packed);
  if (!result.ok()) return result;
  result.warnings = InterpretEEprom(packed);
  doc = std::move(packed);
  return result;
}

ProfileSave WriteProfileImage(const QString& path, const Document& doc) {
  return Save(path, doc);
}

}  // namespace kova
