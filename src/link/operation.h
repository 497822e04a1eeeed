// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "diag/message.h"
#include "image/document.h"
#include "link/clock.h"
#include "link/serial_line.h"
#include "link/serial_link.h"
#include "link/unit_protocol.h"

namespace kova {

class PortMap;

// The three things the PC does with a unit.
enum class Operation { Get, Put, Reset };

// Where an operation stands: its phase ("GET", "PUT", "VERIFY", "RESET", the
// busy caption) and the bytes of that phase done so far, of those expected.
struct Progress {
  std::string phase;
  int done = 0;
  int expected = 0;

  bool operator==(const Progress&) const = default;
};
using ProgressSink = std::function<void(const Progress&)>;

// Everything an operation needs, taken by value so that it can run while the
// window goes on: the window's document as it stood, and where the unit is.
struct OperationRequest {
  Operation kind = Operation::Get;
  Document document{};  // the port and PC rate come from its Comms fields
  // The device to open. When empty, the device that the document's port
  // number names in the user's port mapping.
  std::string device{};
  // How the user names the port ("COM3"), for messages; filled in with the
  // device when it comes from the mapping.
  std::string port{};
  LinkTimings timings{};
  // Set from elsewhere (a signal handler, another thread) to stop the
  // operation: it then ends soon as a failure that says it was interrupted,
  // with what a Put left in the unit, the port closed. Not owned; may be null.
  const std::atomic<bool>* cancel = nullptr;
  // Put and Reset: ask for the version first and send nothing more when the
  // unit does not answer it, so that nothing goes to a unit that is not
  // listening at this rate. (The window keeps its documented sequence.)
  bool askVersionFirst = false;
};

// What a Put left in the unit, as far as the PC can know.
//  - Unchanged: nothing of the new image went out.
//  - Partial: some image bytes went out (or may have), not all.
//  - Written: the whole image was sent, but nothing confirmed it (no
//    read-back, or one that was not the unit's answer): the unit may hold it
//    and be at its new rate, or may have heard none of it.
//  - Differs: the unit answered the read-back at its new rate, and it
//    differs from what was written.
//  - Verified: the read-back matched.
enum class UnitState { Unchanged, Partial, Written, Verified, Differs };

struct OperationResult {
  Operation kind = Operation::Get;
  // Ended without a message.
  bool succeeded = false;
  // How it ended: the first failure met, None when it went through.
  Outcome outcome = Outcome::None;
  // The state to take over, present only when there is one to take:
  //  - Get: the version texts and the image as read, and the configuration
  //    interpreted from them; absent unless the whole answer arrived.
  //  - Put: the image as packed and sent, the clock jog that packing forces,
  //    and the PC rate following the unit's new rate; present once the unit
  //    has taken the whole image, whatever the verification then found.
  std::optional<Document> document;
  // What interpreting the image read had to say (Get).
  std::vector<std::string> warnings;
  // To show the user, in this order.
  std::vector<Message> messages;
  // A Put that packing refused: the control at fault ("txtCloseRIC1(2)").
  std::string refusedControl;
  // The port could not be opened (missing, busy, not permitted): nothing
  // reached the unit.
  bool portNotOpened = false;
  // Bytes on the wire, both ways.
  long bytesSent = 0;
  long bytesReceived = 0;
  // What a Put left in the unit; Get and Reset leave it Unchanged.
  UnitState unit = UnitState::Unchanged;
  // Image bytes (of 252) that a Put handed to the line, the one whose write
  // failed included.
  int imageBytesWritten = 0;
  // The bytes that a Put's read-back found different from what was written.
  std::vector<ByteDifference> differences;
  // The rate (bit/s) the unit is expected at after the operation: the PC
  // rate used, or the rate a Put's whole image names. 0 when it is not
  // known: no PC rate was selected, or a Reset restarted the unit at the
  // rate its EEPROM names.
  int unitBaud = 0;
  // The unit answered at unitBaud during this operation (a whole Get, a Put's
  // read-back at the new rate, the version asked first): the only rate worth
  // remembering.
  bool rateConfirmed = false;
  // The version texts, when the operation asked for them first.
  std::optional<VersionTexts> versions;
  // A Put's write command was acknowledged but not all 252 bytes followed:
  // the unit may still be waiting for the rest, and would store the next
  // command's bytes as configuration until it gives the write up.
  bool writeLeftOpen = false;
};

// The longest the operation may take, counted from the bytes it exchanges at
// these rates, the pauses of `timings` and the receive timeouts it may meet
// on its way, with room for a slow unit and a loaded PC. RunOperation ends
// within it (give or take one byte's write and the closing of the port),
// whatever the line does. `unitRate` is the rate a Put's image names.
std::chrono::milliseconds OperationDeadline(Operation kind, int pcRate, int unitRate,
                                            const LinkTimings& timings = {});
// The same for a request, from its document's PC and unit rates.
std::chrono::milliseconds OperationDeadline(const OperationRequest& request);

// Fills in request.device and request.port ("COM3") from the document's
// port number through the port mapping. Returns the message to show when the
// port list has nothing selected or the port names no device.
std::optional<Message> ResolvePort(OperationRequest& request, const PortMap& ports);

// Runs the operation to its end on this line and clock; the line is closed
// however it ends. request.device is opened as it is.
OperationResult RunOperation(const OperationRequest& request, SerialLine& line, Clock& clock,
                             const ProgressSink& progress = {});

// The same on the computer's serial port and clock, blocking until the
// operation has ended; for callers without an event loop (it needs no
// application object either; progress then comes from a thread of its own
// while the caller waits). An empty request.device is looked up in the
// user's port mapping.
OperationResult RunOperation(const OperationRequest& request, const ProgressSink& progress = {});

}  // namespace kova
