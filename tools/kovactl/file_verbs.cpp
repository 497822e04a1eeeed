// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that work on files only: show, pack, diff, convert.
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <optional>

#include "cli.h"
#include "config_fields.h"
#include "config_json.h"
#include "files/file_access.h"
#include "files/file_session.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "image/field_input.h"
#include "image/field_table.h"
#include "image/pack_refusals.h"
#include "set_option.h"

namespace kova::ctl {
namespace {

const QCommandLineOption kOutput({"o", "output"}, "The .kova file to write ('-': standard output).",
                                 "FILE");
// What 'show --json' prints and pack reads, so that scripts can check it.
constexpr const char* kFormatKey = "format";
constexpr const char* kFormat = "kova-config/1";

// Why a value asked for did not reach the file.
std::string IgnoredBecause(const std::string& path) {
  const FieldAt at = FindByKey(path);
  if (!at) return "packing derives it from other fields";
  return WhyNotSettable(*at.field).value_or("packing derives it from other fields");
}

// The value at a path of the JSON form ("Zones[2].CloseRIC1", "Ver").
QJsonValue ValueAt(const Configuration& cfg, const std::string& path) {
  const FieldAt at = FindByKey(path);
  if (!at) return QJsonValue::Undefined;
  for (const ConfigField& field : ConfigFields()) {
    if (field.name == at.field->key) {
      const QJsonValue value = field.get(cfg, at.index);
      return value.isArray() && at.index >= 0 ? value.toArray()[at.index] : value;
    }
  }
  return QJsonValue::Undefined;
}

// Packs and writes the image layout; a refused value fails the operation, a
// file that cannot be written is a file error.
int Save(const QString& path, Document& doc) {
  return SaveFile(path, doc);
}

Verb Show() {
  static const QCommandLineOption json("json", "Print the configuration as one JSON object.");
  return {"show", "Show the configuration a .kova file holds.",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("FILE", "The .kova file (either layout).");
            p.addOption(json);
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "show", 1)) return usage;
            const auto doc = LoadFile(p.positionalArguments()[0]);
            if (!doc) return int{kFileError};
            if (p.isSet(json)) {
              QJsonObject shown = ToJson(doc->cfg);
              shown.insert(kFormatKey, kFormat);
              PrintOut(TerminalSafeJson(QJsonDocument(shown).toJson(QJsonDocument::Indented)));
            } else {
              PrintOut(ShowText(doc->cfg));
            }
            return int{kOk};
          }};
}

// The key paths a JSON configuration names, one per value ("Zones[2].CloseRIC1", "Ver").
std::vector<std::string> LeafPaths(const QJsonObject& json) {
  std::vector<std::string> paths;
  for (auto it = json.begin(); it != json.end(); ++it) {
    if (it.key() != "Zones" || !it.value().isArray()) {
      paths.push_back(it.key().toStdString());
      continue;
    }
    const QJsonArray zones = it.value().toArray();
    for (int i = 0; i < zones.size(); ++i) {
      const QJsonObject zone = zones[i].toObject();
      for (auto z = zone.begin(); z != zone.end(); ++z)
        paths.push_back("Zones[" + std::to_string(i) + "]." + z.key().toStdString());
    }
  }
  return paths;
}

// The configuration JSON that pack reads, or a message.
std::optional<QJsonObject> ReadJson(const QString& path, int& status) {
  const bool fromInput = path == kStandardStream;
  const FileRead read = fromInput ? ReadWholeStream(STDIN_FILENO) : ReadWholeFile(path);
  if (!read.bytes) {
    PrintError((fromInput ? std::string("standard input") : path.toStdString()) + ": " +
               read.error.toStdString());
    status = kFileError;
    return std::nullopt;
  }
  const std::string& bytes = *read.bytes;
  QJsonParseError error{};
  const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(bytes), &error);
  if (error.error != QJsonParseError::NoError || !json.isObject()) {
    PrintError(path.toStdString() + ": not a JSON object" +
               (error.error != QJsonParseError::NoError
                    ? " (" + error.errorString().toStdString() + " at offset " +
                          std::to_string(error.offset) + ")"
                    : ""));
    status = kFileError;
    return std::nullopt;
  }
  QJsonObject object = json.object();
  if (object.contains(kFormatKey)) {
    if (object.value(kFormatKey) != QJsonValue(kFormat)) {
      PrintError(path.toStdString() + ": \"format\" is " + ValueText(object.value(kFormatKey)) +
                 "; this kovactl reads " + kFormat);
      status = kFileError;
      return std::nullopt;
    }
    object.remove(kFormatKey);
  }
  return object;
}

// Warns about each value a JSON file asked for that the saved file does not
// hold: fields that packing ignores or derives from others.
void WarnIgnored(const std::vector<std::string>& paths, const Configuration& base,
                 const Configuration& asked, const Configuration& saved) {
  for (const std::string& path : paths) {
    const QJsonValue wanted = ValueAt(asked, path);
    const QJsonValue holds = ValueAt(saved, path);
    if (wanted == ValueAt(base, path) || wanted == holds) continue;
    PrintError(path + " = " + ValueText(wanted) + " has no effect; the file holds " +
               ValueText(holds) + ": " + IgnoredBecause(path));
  }
}

Verb Pack() {
  static const QCommandLineOption base("base",
                                       "Start from this file's document instead of the "
                                       "start-up state ('-': standard input).",
                                       "FILE");
  static const QCommandLineOption set(
      "set",
      "Set one field: PATH is a key path as 'show --json' prints it (BaudKova, "
      "Zones[0].CloseRIC1), VALUE a number, text, true/false or null. May be repeated.",
      "PATH=VALUE");
  return {"pack", "Build a .kova file from a JSON configuration and single settings.",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("JSON",
                                    "JSON object naming any subset of the fields "
                                    "(the form 'kovactl show --json' prints; '-': standard input).",
                                    "[JSON]");
            p.addOption(kOutput);
            p.addOption(base);
            p.addOption(set);
            p.addOption(FillEmptyOption());
          },
          [](const QCommandLineParser& p) {
            if (p.positionalArguments().size() > 1) {
              return UsageError("pack", "expected at most 1 JSON file argument");
            }
            if (!p.isSet(kOutput)) return UsageError("pack", "-o FILE is required");
            const QString configPath = p.positionalArguments().value(0);
            if (configPath == kStandardStream && p.value(base) == kStandardStream) {
              return UsageError("pack", "standard input cannot be both JSON and --base");
            }
            int status = kOk;
            std::optional<QJsonObject> json;
            if (!configPath.isEmpty() && !(json = ReadJson(configPath, status))) return status;
            std::optional<Document> doc = StartupDocument();
            if (p.isSet(base)) doc = LoadFile(p.value(base));
            if (!doc) return int{kFileError};
            const Configuration before = doc->cfg;
            std::vector<std::string> paths;
            try {
              if (json) {
                ApplyJson(*json, doc->cfg);
                paths = LeafPaths(*json);
              }
            } catch (const FieldError& e) {
              PrintError(configPath.toStdString() + ": " + e.what());
              return int{kFailed};
            }
            try {
              for (const QString& assignment : p.values(set))
                ApplySetting(assignment.toStdString(), doc->cfg);
            } catch (const FieldError& e) {
              PrintError(e.what());
              return int{kUsage};
            }
            if (const auto refusal = CombinedRefusal(doc->cfg)) {
              PrintError(*refusal);
              return p.isSet(set) ? int{kUsage} : int{kFailed};
            }
            if (p.isSet(FillEmptyOption())) FillEmpty(*doc);
            const Configuration asked = doc->cfg;
            status = Save(p.value(kOutput), *doc);
            if (status == kOk) WarnIgnored(paths, before, asked, doc->cfg);
            return status;
          },
          "-o may name the JSON file or the --base file: both are read whole before\n"
          "anything is written, and the old file stays as it was if the write fails."};
}

Verb Diff() {
  return {"diff", "List the fields in which two .kova files differ (exit 1 when they do).",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("A", "The first .kova file.");
            p.addPositionalArgument("B", "The second .kova file.");
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "diff", 2)) return usage;
            const auto a = LoadFile(p.positionalArguments()[0]);
            const auto b = LoadFile(p.positionalArguments()[1]);
            if (!a || !b) return int{kFileError};
            const auto lines = Differences(a->cfg, b->cfg);
            for (const auto& line : lines)
              PrintOut(line + "\n");
            // A list that did not reach its reader is a file error, not "they differ".
            if (const int written = FinishOutput(kOk); written != kOk) return written;
            return lines.empty() ? int{kOk} : int{kFailed};
          }};
}

Verb Convert() {
  return {"convert", "Read a .kova file of either layout and save it in the image layout.",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("FILE",
                                    "The .kova file to read (either layout; '-': standard input).");
            p.addOption(kOutput);
            p.addOption(FillEmptyOption());
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "convert", 1)) return usage;
            if (!p.isSet(kOutput)) return UsageError("convert", "-o FILE is required");
            auto doc = LoadFile(p.positionalArguments()[0]);
            if (!doc) return int{kFileError};
            if (p.isSet(FillEmptyOption())) FillEmpty(*doc);
            return Save(p.value(kOutput), *doc);
          },
          "-o may name FILE itself (or another name of it): FILE is read whole before\n"
          "anything is written, and the old file stays as it was if the write fails."};
}

}  // namespace

std::vector<Verb> FileVerbs() {
  return {Show(), Fields(), Pack(), Diff(), Convert()};
}

}  // namespace kova::ctl
