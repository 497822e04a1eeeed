// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "diag/message.h"

namespace kova {

// A byte the unit should have sent did not come in time.
Message CommunicationsError();
// The unit's EEPROM read back differs from what was written.
Message VerificationError();
// The unit sent more than its answer holds: noise on the line, or another
// talker. What was read cannot be trusted.
Message UnexpectedResponse();

// Someone asked the operation to stop (Ctrl+C, SIGTERM) and it did.
Message Interrupted();

// What a Put that failed left in the unit. `written` image bytes of
// `total` went out before the write stopped; `rate` is the rate in bit/s
// the unit now listens at.
Message UnitUnchanged();
Message UnitPartlyWritten(int written, int total);
Message UnitWrittenNotVerified(int rate);
// The whole image went out and nothing confirmed it: the unit may have taken
// it (and moved to `rate`) or heard none of it (and be at `oldRate`).
Message UnitSentNotConfirmed(int rate, int oldRate);
// kovactl waits before talking to a port whose last write was cut short.
std::string WriteModeWaitNote(double seconds);
// What kovactl says after a Reset: the unit answers nothing to it.
std::string ResetSentNote();

// The port could not be opened or stopped working. `port` is what the user
// chose ("COM3"), `device` the device it names; `reason` says why.
Message PortOpenError(const std::string& port, const std::string& device,
                      const std::string& reason);
Message PortLostError(const std::string& port, const std::string& device,
                      const std::string& reason);
// The port list or the PC rate list has nothing usable selected.
Message NoPortSelected();
Message NoRateSelected();
Message PortNotMapped(const std::string& port);
// Packing refused a value, so nothing went to the unit. `refusal` names the
// field and quotes its text in Latin-1, as the configuration holds it.
Message NothingSent(const std::string& refusal);

}  // namespace kova
