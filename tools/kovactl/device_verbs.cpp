// SPDX-License-Identifier: GPL-3.0-or-later
// The verbs that talk to a unit: ports, probe, get, put, verify, reset.
#include <sys/stat.h>

#include <QDateTime>
#include <QFile>
#include <cstdio>

#include "cli.h"
#include "device_session.h"
#include "files/profile.h"
#include "files/profile_reader.h"
#include "image/byte_map.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/port_map.h"
#include "link/probe.h"
#include "link/unit_protocol.h"

namespace kova::ctl {
namespace {

using namespace std::chrono_literals;

// Whether two names reach one file (the same name, a link, another spelling).
bool SameFile(const QString& a, const QString& b) {
  if (a == kStandardStream || b == kStandardStream) return false;
  struct stat first {
  }, second{};
  return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
         ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

Verb Ports() {
  return {"ports", "List the serial devices of this computer.", [](QCommandLineParser&) {},
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "ports", 0)) return usage;
            for (const auto& device : DefaultPortOrder(AvailableSerialDevices())) {
              PrintOut(device.path + (device.description.empty() ? "" : "\t" + device.description) +
                       "\n");
            }
            return int{kOk};
          }};
}

Verb Probe() {
  return {"probe", "Find the rate the unit talks at; print it and the unit's three version lines.",
          [](QCommandLineParser& p) {
            p.addOption(kPort);
            p.addOption(kJson);
            p.addOption(kTrace);
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "probe", 0)) return usage;
            Session session("probe", p);
            if (!session.Parse(p)) return session.status();
            if (session.Probe(ProbeOrder(session.Rates().LastSeen(session.port()))) &&
                !session.json()) {
              // The rate alone on the first line, for $(kovactl probe ... | head -n1).
              std::string text = std::to_string(*session.baud()) + "\n";
              for (const std::string& line : session.versions())
                text += line + "\n";
              PrintOut(text);
            }
            return session.Finish();
          },
          "It sends nothing but the version request \"v\", one rate at a time, and waits\n"
          "out each answer's timeout before the next: the rate last seen on this port\n"
          "first, then 9600, 19200, 38400, 57600, 115200, 4800, 2400, 1200. A rate counts\n"
          "only when the acknowledge and three printable version lines arrive.\n"
          "A \"v\" sent at any of the eight rates reaches a unit set to any other rate as\n"
          "bytes that are none of its commands (write \"!\", reset \"R\", read \"#\"),\n"
          "whatever the phase and with either clock 2 % off, so no rate is left out.\n"
          "After anything else the line must stay silent for a whole timeout before the\n"
          "next rate. Exit 0 when the unit answered, 4 when nothing came at any rate, 1\n"
          "when only something that is no answer came (unexpected data)."};
}

Verb Get() {
  return {"get", "Read the unit and save exactly what it holds in a .kova file.",
          [](QCommandLineParser& p) {
            DeclareLink(p);
            p.addOption(kOutput);
          },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "get", 0)) return usage;
            Session session("get", p);
            if (!session.Parse(p)) return session.status();
            if (!p.isSet(kOutput)) return UsageError("get", "-o FILE is required");
            if (session.json() && p.value(kOutput) == kStandardStream) {
              return UsageError("get", "--json and -o - would share standard output");
            }
            if (session.ProbeIfAsked()) ReadUnitInto(session, p.value(kOutput));
            return session.Finish();
          }};
}

Verb Put() {
  static const QCommandLineOption backup("backup",
                                         "First read the unit and save what it held here.", "FILE");
  static const QCommandLineOption baud(
      {"b", "baud"},
      "The rate the unit talks at now (not the one the file sets): 115200, 57600, 38400, 19200, "
      "9600, 4800, 2400 or 1200, or 'auto' to probe for it first. Default: the rate this "
      "computer last saw the unit at on this port, else 9600.",
      "RATE|auto");
  return {"put",
          "Write a .kova file's configuration to the unit and verify it; the PC follows the "
          "unit to the rate the file sets.",
          [](QCommandLineParser& p) {
            p.addOption(kPort);
            p.addOption(baud);
            p.addOption(kJson);
            p.addOption(kTrace);
            p.addOption(backup);
            p.addOption(FillEmptyOption());
            p.addPositionalArgument("FILE", "The .kova file to send ('-': standard input).");
          },
          [](const QCommandLineParser& p) {
            Session session("put", p);
            if (!session.Parse(p)) return session.status();
            if (const int usage = RequireArguments(p, "put", 1)) return usage;
            const QString path = p.positionalArguments()[0];
            if (session.json() && p.value(backup) == kStandardStream)
              return UsageError("put", "--json and --backup - would share standard output");
            if (p.isSet(backup) && SameFile(p.value(backup), path)) {
              return UsageError("put", "--backup " + p.value(backup) +
                                           " is the file to send; the unit's configuration "
                                           "would overwrite it");
            }
            session.SetUnitState("unchanged");
            std::string why;
            auto doc = LoadFile(path, &why);
            if (!doc) {
              session.Record(kFileError, why);
              return session.Finish();
            }
            if (!ReadyToSend(path, *doc, p.isSet(FillEmptyOption()), &why)) {
              session.Record(kFailed, why);
              return session.Finish();
            }
            // Stopped before the write: the user still wants to know the
            // unit was not touched.
            const auto stoppedEarly = [&] {
              if (interrupted) PrintError(UnitUnchanged().text);
              return session.Finish();
            };
            if (!session.ProbeIfAsked()) return stoppedEarly();
            if (p.isSet(backup) && !ReadUnitInto(session, p.value(backup))) {
              // No backup, no write: say so, or the user must guess what the unit holds.
              PrintError(UnitUnchanged().text);
              return session.Finish();
            }
            OperationRequest request = session.Request(Operation::Put);
            // Checked right before writing: a stale rate must not turn the
            // image into noise at the unit.
            request.askVersionFirst = true;
            doc->cfg.BaudPC = request.document.cfg.BaudPC;
            const int before = *session.baud();
            request.document = *doc;
            // Until the write is over the unit may be in write mode: a kill
            // -9 meanwhile must still make the next command wait. The mark
            // says when the last image byte goes out at the latest.
            constexpr std::chrono::milliseconds kVersionAndAcknowledge{3000};
            const auto writeEnds =
                kVersionAndAcknowledge + kWrittenBytes * (request.timings.pacing + 5ms);
            RememberedRates().RememberWriteCutShort(
                session.port(), QDateTime::currentMSecsSinceEpoch() + writeEnds.count());
            OperationResult result;
            session.Run(request, result);
            if (!result.writeLeftOpen) RememberedRates().ClearWriteCutShort(session.port());
            session.SetUnitState(UnitStateName(result.unit));
            if (result.rateConfirmed && result.unit != UnitState::Unchanged) {
              // The unit answered the read-back at the rate the image names.
              session.Remember(*session.baud());
            }
            if (result.unit == UnitState::Verified && *session.baud() != before) {
              PrintError("The unit now talks at " + std::to_string(*session.baud()) + " bit/s.");
            }
            return session.Finish();
          },
          "--baud is the rate the unit talks at now. The unit must first answer a version\n"
          "request at that rate, so nothing is written to a unit that is not listening.\n"
          "After the write, the unit and this computer move to the rate the file sets,\n"
          "and later runs on this port start from it.\n"
          "Ctrl+C or SIGTERM stops the put between two bytes: it exits 1 saying whether\n"
          "the unit kept its configuration or may hold part of the new one (then run\n"
          "put again). A second Ctrl+C ends it at once."};
}

Verb Verify() {
  return {
      "verify", "Read the unit and list every byte 4..255 that differs from a .kova file's image.",
      [](QCommandLineParser& p) {
        DeclareLink(p);
        p.addOption(FillEmptyOption());
        p.addPositionalArgument("FILE", "The .kova file to compare with ('-': standard input).");
      },
      [](const QCommandLineParser& p) {
        Session session("verify", p);
        if (!session.Parse(p)) return session.status();
        if (const int usage = RequireArguments(p, "verify", 1)) return usage;
        const QString path = p.positionalArguments()[0];
        std::string why;
        auto file = LoadFile(path, &why);
        if (!file) {
          session.Record(kFileError, why);
          return session.Finish();
        }
        // A release-1 file holds fields, not bytes: the unit is compared with
        // what put would send, and only when put could send it.
        if (path != kStandardStream &&
            ProfileReader::IsLegacyCaption(ProfileGetItem("Version", "Kova Pro", "", path))) {
          if (!ReadyToSend(path, *file, p.isSet(FillEmptyOption()), &why)) {
            session.Record(kFailed, why);
            return session.Finish();
          }
          PackEEprom(*file);
        }
        std::optional<Document> unit;
        if (!session.ProbeIfAsked() || !ReadUnit(session, unit)) return session.Finish();
        const std::vector<ByteDifference> differences = ImageDifferences(file->image, unit->image);
        session.AddDifferences(differences);
        if (!session.json()) {
          std::string lines;
          for (const ByteDifference& d : differences) {
            char line[64];
            std::snprintf(line, sizeof line, "%3d: unit %02X, file %02X", d.address, d.got,
                          d.expected);
            std::string fields;
            for (const std::string& field : FieldsAtByte(d.address))
              fields += (fields.empty() ? "  " : ", ") + field;
            lines += line + fields + "\n";
          }
          PrintOut(lines);
        }
        if (!differences.empty())
          session.Fail(kDifferences, DifferenceSummary(differences, path.toStdString()));
        return session.Finish();
      }};
}

Verb Reset() {
  return {"reset", "Tell the unit to reset.", [](QCommandLineParser& p) { DeclareLink(p); },
          [](const QCommandLineParser& p) {
            if (const int usage = RequireArguments(p, "reset", 0)) return usage;
            Session session("reset", p);
            if (!session.Parse(p)) return session.status();
            OperationResult result;
            OperationRequest request = session.Request(Operation::Reset);
            // A reset is never acknowledged: the version shows that someone listens.
            request.askVersionFirst = true;
            if (session.ProbeIfAsked() && session.Run(request, result)) PrintError(ResetSentNote());
            return session.Finish();
          },
          "The unit does not acknowledge a reset, so it is first asked for its version:\n"
          "exit 4 when it does not answer. Success means that the unit answered and the\n"
          "command was sent; the rate is not remembered from it."};
}

}  // namespace

std::vector<Verb> DeviceVerbs() {
  return {Ports(), Probe(), Get(), Put(), Verify(), Reset()};
}

}  // namespace kova::ctl
