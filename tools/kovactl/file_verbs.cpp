// The verbs that work on files only: show, pack, diff, convert.
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

namespace kova::ctl {
namespace {

const QCommandLineOption kOutput({"o", "output"}, "The .kova file to write.", "FILE");

// Packs and writes the image layout; a refused value fails the operation, a
// file that cannot be written is a file error.
int Save(const QString& path, Document& doc) {
  return SaveFile(path, doc);
}

int RequireArguments(const QCommandLineParser& parser, const char* verb, int count) {
  if (parser.positionalArguments().size() != count) {
    return UsageError(verb,
                      QString("expected %1 file argument%2").arg(count).arg(count == 1 ? "" : "s"));
  }
  return kOk;
}

Verb Show() {
  static const QCommandLineOption json("json", "Print the configuration as one JSON object.");
  return {
      "show", "Show the configuration a .kova file holds.",
      [](QCommandLineParser& p) {
        p.addPositionalArgument("FILE", "The .kova file (either layout).");
        p.addOption(json);
      },
      [](const QCommandLineParser& p) {
        if (const int usage = RequireArguments(p, "show", 1)) return usage;
        const auto doc = LoadFile(p.positionalArguments()[0]);
        if (!doc) return int{kFileError};
        if (p.isSet(json)) {
          PrintOut(QJsonDocument(ToJson(doc->cfg)).toJson(QJsonDocument::Indented).toStdString());
        } else {
          PrintOut(ShowText(doc->cfg));
        }
        return int{kOk};
      }};
}

Verb Pack() {
  static const QCommandLineOption base("base",
                                       "Start from this file's document instead of the "
                                       "start-up state.",
                                       "BASE");
  return {"pack", "Build a .kova file from a JSON configuration.",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("CONFIG",
                                    "JSON object naming any subset of the fields "
                                    "(the form 'kovactl show --json' prints).");
            p.addOption(kOutput);
            p.addOption(base);
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "pack", 1)) return usage;
            if (!p.isSet(kOutput)) return UsageError("pack", "-o FILE is required");
            const QString configPath = p.positionalArguments()[0];
            const FileRead read = ReadWholeFile(configPath);
            if (!read.bytes) {
              PrintError(configPath.toStdString() + ": " + read.error.toStdString());
              return int{kFileError};
            }
            QJsonParseError error{};
            const QJsonDocument json =
                QJsonDocument::fromJson(QByteArray::fromStdString(*read.bytes), &error);
            if (error.error != QJsonParseError::NoError || !json.isObject()) {
              PrintError(configPath.toStdString() + ": not a JSON object" +
                         (error.error != QJsonParseError::NoError
                              ? " (" + error.errorString().toStdString() + " at offset " +
                                    std::to_string(error.offset) + ")"
                              : ""));
              return int{kFileError};
            }
            std::optional<Document> doc = StartupDocument();
            if (p.isSet(base)) doc = LoadFile(p.value(base));
            if (!doc) return int{kFileError};
            try {
              ApplyJson(json.object(), doc->cfg);
            } catch (const FieldError& e) {
              PrintError(configPath.toStdString() + ": " + e.what());
              return int{kFailed};
            }
            return Save(p.value(kOutput), *doc);
          }};
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
            return lines.empty() ? int{kOk} : int{kFailed};
          }};
}

Verb Convert() {
  return {"convert", "Read a .kova file of either layout and save it in the image layout.",
          [](QCommandLineParser& p) {
            p.addPositionalArgument("FILE", "The .kova file to read (either layout).");
            p.addOption(kOutput);
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "convert", 1)) return usage;
            if (!p.isSet(kOutput)) return UsageError("convert", "-o FILE is required");
            auto doc = LoadFile(p.positionalArguments()[0]);
            if (!doc) return int{kFileError};
            return Save(p.value(kOutput), *doc);
          }};
}

}  // namespace

std::vector<Verb> FileVerbs() {
  return {Show(), Pack(), Diff(), Convert()};
}

}  // namespace kova::ctl
