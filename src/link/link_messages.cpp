#include "link/link_messages.h"

#include <QString>

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
