// The verbs that talk to a unit: ports, get, put, verify, reset.
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "cli.h"
#include "diag/trace.h"
#include "files/file_session.h"
#include "files/profile.h"
#include "image/clear_form.h"
#include "link/byte_trace.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "link/port_map.h"

namespace kova::ctl {
namespace {

const QCommandLineOption kPort({"p", "port"}, "The serial device the unit is on (/dev/ttyUSB0).",
                               "DEVICE");
const QCommandLineOption kBaud({"b", "baud"},
                               "The PC's rate: 115200, 57600, 38400, 19200, 9600 (the default), "
                               "4800, 2400 or 1200.",
                               "RATE", "9600");
const QCommandLineOption kOutput({"o", "output"}, "The .kova file to write.", "FILE");
const QCommandLineOption kTrace("trace", "Print every byte sent and received on stderr.");

void DeclareLink(QCommandLineParser& p) {
  p.addOption(kPort);
  p.addOption(kBaud);
  p.addOption(kTrace);
}

// Progress on stderr, redrawn in place, only when a person is watching.
ProgressSink ProgressBar() {
  if (!isatty(STDERR_FILENO)) return {};
  return [](const Progress& progress) {
    const int width = 30;
    const int filled = progress.expected > 0 ? width * progress.done / progress.expected : 0;
    std::fprintf(stderr, "\r%-6s [%s%s] %3d/%-3d", progress.phase.c_str(),
                 std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), progress.done,
                 progress.expected);
    if (progress.done >= progress.expected) std::fprintf(stderr, "\n");
  };
}

// The request for the device and rate on the command line, or a usage error.
std::optional<OperationRequest> Request(const QCommandLineParser& p, const char* verb,
                                        Operation kind, int& status) {
  if (!p.isSet(kPort)) {
    status = UsageError(verb, "--port DEVICE is required (see 'kovactl ports')");
    return std::nullopt;
  }
  if (p.value(kPort).isEmpty()) {
    status = UsageError(verb, "--port needs a device, not an empty name (see 'kovactl ports')");
    return std::nullopt;
  }
  const int rate = p.value(kBaud).toInt();
  int index = -1;
  for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i) {
    if (kBaudRates[static_cast<std::size_t>(i)] == rate) index = i;
  }
  if (index < 0) {
    status = UsageError(verb, "--baud " + p.value(kBaud) + " is not one of the eight rates");
    return std::nullopt;
  }
  SetByteTrace(p.isSet(kTrace));
  if (p.isSet(kTrace))
    SetTraceSink([](std::string_view line) {
      std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    });
  OperationRequest request;
  request.kind = kind;
  request.document = StartupDocument();
  request.document.cfg.BaudPC = index;
  request.device = p.value(kPort).toStdString();
  request.port = request.device;
  return request;
}

// Runs the operation, printing its messages; true when it ended without one.
bool Run(const OperationRequest& request, OperationResult& result) {
  result = RunOperation(request, ProgressBar());
  for (const auto& warning : result.warnings)
    PrintError(warning);
  for (const auto& message : result.messages)
    PrintMessage(message);
  return result.succeeded;
}

// Reads the unit and saves exactly the bytes it sent (nothing repacked).
int ReadUnitInto(const OperationRequest& base, const QString& path) {
  OperationRequest request = base;
  request.kind = Operation::Get;
  OperationResult result;
  if (!Run(request, result) || !result.document) return kFailed;
  const ProfileSave save = WriteProfileImage(path, *result.document);
  if (!save.ok()) {
    PrintMessage(*save.failure);
    return kFileError;
  }
  return kOk;
}

Verb Ports() {
  return {"ports", "List the serial devices of this computer.", [](QCommandLineParser&) {},
          [](const QCommandLineParser&) {
            for (const auto& device : DefaultPortOrder(AvailableSerialDevices())) {
              PrintOut(device.path + (device.description.empty() ? "" : "\t" + device.description) +
                       "\n");
            }
            return int{kOk};
          }};
}

Verb Get() {
  return {"get", "Read the unit and save exactly what it holds in a .kova file.",
          [](QCommandLineParser& p) {
            DeclareLink(p);
            p.addOption(kOutput);
          },
          [](const QCommandLineParser& p) {
            int status = kOk;
            const auto request = Request(p, "get", Operation::Get, status);
            if (!request) return status;
            if (!p.isSet(kOutput)) return UsageError("get", "-o FILE is required");
            return ReadUnitInto(*request, p.value(kOutput));
          }};
}

Verb Put() {
  static const QCommandLineOption backup("backup",
                                         "First read the unit and save what it held here.", "FILE");
  return {"put",
          "Write a .kova file's configuration to the unit and verify it; the PC follows the "
          "unit to the rate the file sets.",
          [](QCommandLineParser& p) {
            DeclareLink(p);
            p.addOption(backup);
            p.addPositionalArgument("FILE", "The .kova file to send.");
          },
          [](const QCommandLineParser& p) {
            int status = kOk;
            auto request = Request(p, "put", Operation::Put, status);
            if (!request) return status;
            if (p.positionalArguments().size() != 1)
              return UsageError("put", "expected 1 file argument");
            auto doc = LoadFile(p.positionalArguments()[0]);
            if (!doc) return int{kFileError};
            if (p.isSet(backup)) {
              if (const int read = ReadUnitInto(*request, p.value(backup)); read != kOk)
                return read;
            }
            doc->cfg.BaudPC = request->document.cfg.BaudPC;
            request->document = *doc;
            OperationResult result;
            const bool ok = Run(*request, result);
            // A Put that failed has said what the unit holds and at which rate.
            if (result.unit == UnitState::Verified &&
                result.unitBaud != kBaudRates[static_cast<std::size_t>(doc->cfg.BaudPC)]) {
              PrintError("The unit now talks at " + std::to_string(result.unitBaud) + " bit/s.");
            }
            return ok ? int{kOk} : int{kFailed};
          }};
}

Verb Verify() {
  return {
      "verify", "Read the unit and list every byte 4..255 that differs from a .kova file's image.",
      [](QCommandLineParser& p) {
        DeclareLink(p);
        p.addPositionalArgument("FILE", "The .kova file to compare with.");
      },
      [](const QCommandLineParser& p) {
        int status = kOk;
        auto request = Request(p, "verify", Operation::Get, status);
        if (!request) return status;
        if (p.positionalArguments().size() != 1) {
          return UsageError("verify", "expected 1 file argument");
        }
        const auto file = LoadFile(p.positionalArguments()[0]);
        if (!file) return int{kFileError};
        OperationResult result;
        if (!Run(*request, result) || !result.document) return int{kFailed};
        int differences = 0;
        for (std::size_t address = 4; address < file->image.size(); ++address) {
          const int unit = result.document->image[address];
          const int saved = file->image[address];
          if (unit == saved) continue;
          ++differences;
          char line[64];
          std::snprintf(line, sizeof line, "%3zu: unit %02X, file %02X\n", address, unit, saved);
          PrintOut(line);
        }
        if (differences > 0) {
          PrintError(std::to_string(differences) + " byte" + (differences == 1 ? "" : "s") +
                     " differ.");
        }
        return differences == 0 ? int{kOk} : int{kFailed};
      }};
}

Verb Reset() {
  return {"reset", "Tell the unit to reset.", [](QCommandLineParser& p) { DeclareLink(p); },
          [](const QCommandLineParser& p) {
            int status = kOk;
            const auto request = Request(p, "reset", Operation::Reset, status);
            if (!request) return status;
            OperationResult result;
            if (!Run(*request, result)) return int{kFailed};
            PrintError(ResetSentNote());
            return int{kOk};
          }};
}

}  // namespace

std::vector<Verb> DeviceVerbs() {
  return {Ports(), Get(), Put(), Verify(), Reset()};
}

}  // namespace kova::ctl
