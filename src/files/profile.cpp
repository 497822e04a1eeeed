// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/profile.h"

#include <QDir>
#include <algorithm>

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

// Messages name the file as the user gave it, so that two files of the same
// name in different folders are told apart.
std::string Shown(const QString& path) {
  return ToUtf8(QDir::toNativeSeparators(path));
}

// A reason from the file layer starts a line of its own here.
std::string Sentence(const QString& reason) {
  QString text = reason;
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return ToUtf8(text) + (text.endsWith('.') ? "" : ".");
}

Message NotRead(const QString& path, const std::string& reason) {
  return Message{kProgramTitle,
                 "Could not read \"" + Shown(path) + "\"; nothing was loaded.\n" + reason,
                 MessageIcon::Warning};
}

Message NotSaved(const QString& path, const std::string& reason) {
  return Message{kProgramTitle,
                 "Could not save \"" + Shown(path) + "\"; nothing was written.\n" + reason,
                 MessageIcon::Warning};
}

std::string WideText(const char* encoding) {
  return "The file is saved as " + std::string(encoding) +
         " text; save it as plain (ANSI/Latin-1) text.";
}

// A NUL is no character of a text file: an editor that wrote one has cut or
// mangled the line, and the reader would take whatever part of it survives.
std::optional<std::string> NulByte(std::string_view bytes) {
  const auto at = bytes.find('\0');
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view before = bytes.substr(0, at);
  const char end = bytes.find('\n') == std::string_view::npos ? '\r' : '\n';
  const auto line = std::count(before.begin(), before.end(), end) + 1;
  return "Line " + std::to_string(line) + " holds a NUL byte; the file is not plain text.";
}

// The existing file's text, so that its other lines survive; "" for a new file.
std::optional<std::string> ExistingText(const QString& path, ProfileSave& result) {
  FileRead existing = ReadWholeFile(path);
  if (existing.missing) return std::string();
  if (!existing.bytes) {
    result.failure = NotSaved(path, Sentence(existing.error));
  } else if (const char* wide = WideEncoding(*existing.bytes)) {
    // Writing single-byte lines into it would leave a file of two encodings.
    result.failure = NotSaved(path, WideText(wide));
  } else if (const auto nul = NulByte(*existing.bytes)) {
    result.failure = NotSaved(path, *nul);
  } else {
    return std::move(existing.bytes);
  }
  return std::nullopt;
}

ProfileSave Save(const QString& path, const Document& doc) {
  ProfileSave result;
  const auto existing = ExistingText(path, result);
  if (!existing) return result;
  const QString error = ReplaceFile(path, ProfileText(*existing, doc));
  if (!error.isEmpty()) result.failure = NotSaved(path, Sentence(error));
  return result;
}

// A fresh file on a stream: nothing is read from where it goes.
ProfileSave SaveToStream(int fd, const QString& shownName, const Document& doc) {
  ProfileSave result;
  const QString error = WriteStream(fd, ProfileText("", doc));
  if (!error.isEmpty()) result.failure = NotSaved(shownName, Sentence(error));
  return result;
}

// Packs a copy, has `write` store it, and only then takes the packed image
// and what interpreting it says back into the document.
template <class Write>
ProfileSave PackAndWrite(const QString& shownName, Document& doc, Write write) {
  Document packed = doc;
  try {
    PackEEprom(packed);
  } catch (const Failure& refusal) {
    ProfileSave result;
    result.failure = NotSaved(shownName, ToUtf8(FromLatin1(refusal.what())) + ".");
    if (const auto* field = dynamic_cast<const FieldFailure*>(&refusal)) {
      result.control = field->control();
    }
    return result;
  }
  ProfileSave result = write(packed);
  if (!result.ok()) return result;
  result.warnings = InterpretEEprom(packed);
  doc = std::move(packed);
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
  if (const char* wide = WideEncoding(bytes)) {
    result.failure = NotRead(fileName, WideText(wide));
    return result;
  }
  if (const auto nul = NulByte(bytes)) {
    result.failure = NotRead(fileName, *nul);
    return result;
  }
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
    result.failure = NotRead(path, "The file cannot be opened: " + ToUtf8(file.error) + ".");
    return result;
  }
  return ReadProfileText(*file.bytes, path, current);
}

ProfileLoad ReadProfileStream(int fd, const QString& shownName, const Document& current) {
  const FileRead file = ReadWholeStream(fd);
  if (!file.bytes) {
    ProfileLoad result;
    result.failure = NotRead(shownName, Sentence(file.error));
    return result;
  }
  return ReadProfileText(*file.bytes, shownName, current);
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
  return PackAndWrite(path, doc, [&](const Document& packed) { return Save(path, packed); });
}

ProfileSave WriteProfileImage(const QString& path, const Document& doc) {
  return Save(path, doc);
}

ProfileSave WriteProfileToStream(int fd, const QString& shownName, Document& doc) {
  return PackAndWrite(shownName, doc,
                      [&](const Document& packed) { return SaveToStream(fd, shownName, packed); });
}

ProfileSave WriteProfileImageToStream(int fd, const QString& shownName, const Document& doc) {
  return SaveToStream(fd, shownName, doc);
}

}  // namespace kova
