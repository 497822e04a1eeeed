// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/link_messages.h"

#include <QString>
#include <cstdio>

namespace kova {
namespace {

constexpr const char* kCommunicationsTitle = "Communications Error";

// "COM3 (/dev/ttyUSB0)", or just the device when it was named directly.
std::string PortLabel(const std::string& port, const std::string& device) {
  if (port.empty() || port == device) return device;
  return port + " (" + device + ")";
}

}  // namespace

Message CommunicationsError() {
  return {kCommunicationsTitle,
          "Expected response not received, please check Port, cables and connections"};
}

Message VerificationError() {
  return {"Verification Error", "Failed verification ... please retry the operation"};
}

Message UnexpectedResponse() {
  return {kCommunicationsTitle,
          "Unexpected data received from the unit, nothing was taken from it; please check "
          "Port, cables and connections"};
}

Message Interrupted() {
  return {.text = "The operation was interrupted."};
}

Message UnitUnchanged() {
  return {.text =
              "Nothing of the new configuration reached the Kova Pro; it keeps the "
              "configuration it had."};
}

Message UnitPartlyWritten(int written, int total) {
  return {.text = "The write stopped at byte " + std::to_string(written) + " of " +
                  std::to_string(total) +
                  ": the Kova Pro may now hold part of the new configuration. Run Put "
                  "again.",
          .icon = MessageIcon::Warning};
}

Message UnitWrittenNotVerified(int rate) {
  return {.text =
              "The whole configuration was written to the Kova Pro, but reading it back did "
              "not confirm it. The unit is now expected at " +
              std::to_string(rate) + " bit/s.",
          .icon = MessageIcon::Warning};
}

Message UnitSentNotConfirmed(int rate, int oldRate) {
  std::string text = "The new configuration was sent in full but not confirmed: ";
  if (oldRate == rate) {
    text += "the unit may hold it or still its old one, at " + std::to_string(rate) +
            " bit/s either way.";
  } else {
    text += "the unit may be at " + std::to_string(rate) + " bit/s or at its old rate";
    if (oldRate > 0) text += " (" + std::to_string(oldRate) + " bit/s)";
    text += ".";
  }
  return {.text = text, .icon = MessageIcon::Warning};
}

std::string WriteModeWaitNote(double seconds) {
  char figure[32];
  std::snprintf(figure, sizeof figure, "%.1f", seconds);
  return std::string("The last write on this port was cut short; waiting ") + figure +
         " s so that the unit has given it up (a guess: how long a unit waits for the rest of "
         "a write is not known) before anything is sent.";
}

std::string ResetSentNote() {
  return "The reset command was sent; the Kova Pro does not acknowledge it.";
}

Message PortOpenError(const std::string& port, const std::string& device,
                      const std::string& reason) {
  return {kCommunicationsTitle, "Could not open " + PortLabel(port, device) + ": " + reason + "."};
}

Message PortLostError(const std::string& port, const std::string& device,
                      const std::string& reason) {
  return {kCommunicationsTitle,
          "The connection through " + PortLabel(port, device) + " was lost: " + reason + "."};
}

Message NoPortSelected() {
  return {kCommunicationsTitle, "No port is selected; choose one on the Comms tab."};
}

Message NoRateSelected() {
  return {kCommunicationsTitle, "No PC rate is selected; choose one on the Comms tab."};
}

Message PortNotMapped(const std::string& port) {
  return {kCommunicationsTitle, port +
                                    " does not name a serial device on this computer; choose "
                                    "its device on the Comms tab."};
}

Message NothingSent(const std::string& refusal) {
  return {.text = "Nothing was sent to the Kova Pro.\n" +
                  QString::fromLatin1(refusal.data(), static_cast<qsizetype>(refusal.size()))
                      .toStdString() +
                  ".",
          .icon = MessageIcon::Warning};
}

}  // namespace kova
