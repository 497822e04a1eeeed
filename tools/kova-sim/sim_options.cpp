// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "image/configuration.h"

namespace kova::sim {
namespace {

long ParseWhole(const std::string& name, const std::string& text, long low, long high) {
  long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) {
    throw UsageError(name + " takes a whole number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'");
  }
  return value;
}

double ParseSeconds(const std::string& name, const std::string& text) {
  std::size_t used = 0;
  double value = -1;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != text.size() || !(value >= 0)) {
    throw UsageError(name + " takes a number of seconds, not '" + text + "'");
  }
  return value;
}

int ParseRate(const std::string& name, const std::string& text) {
  const long rate = ParseWhole(name, text, 1, 1000000);
  if (std::find(kBaudRates.begin(), kBaudRates.end(), rate) == kBaudRates.end()) {
    throw UsageError(name +
                     " takes one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200, "
                     "not '" +
                     text + "'");
  }
  return static_cast<int>(rate);
}

struct Option {
  const char* name;
  const char* value;  // nullptr for a switch
  const char* help;
  std::function<void(SimOptions&, const std::string& name, const std::string& value)> apply;
};

const std::vector<Option>& Options() {
  using S = SimOptions;
  using Str = const std::string&;
  static const std::vector<Option> options{
      {"--eeprom", "FILE",
       "The unit's EEPROM: a file of exactly 256 bytes. It is created from a freshly cleared "
       "configuration at 9600 bit/s when missing, and written after every write from the PC "
       "and every minute of the elapsed-time counter. Without it the EEPROM lives in memory.",
       [](S& o, Str, Str v) { o.eepromFile = v; }},
      {"--link", "PATH",
       "Also make PATH a symbolic link to the device, and keep it pointing there when a "
       "hang-up makes a new one. Removed on exit. PATH must be new or a symbolic link (one "
       "left by an earlier run is replaced); a file there is refused.",
       [](S& o, Str, Str v) { o.link = v; }},
      {"--rate", "RATE", "Start at this line rate instead of the one EEPROM byte 5 selects.",
       [](S& o, Str n, Str v) { o.rate = ParseRate(n, v); }},
      {"--ver1", "TEXT", "The first version line (default \"KOVA PRO 10 ZONE RX\").",
       [](S& o, Str, Str v) { o.versions[0] = v; }},
      {"--ver2", "TEXT", "The second version line (default \"FIRMWARE 3.10\").",
       [](S& o, Str, Str v) { o.versions[1] = v; }},
      {"--ver3", "TEXT", "The third version line (default \"SIMULATOR\").",
       [](S& o, Str, Str v) { o.versions[2] = v; }},
      {"--minute", "MS",
       "How many milliseconds a minute of the elapsed-time counter (bytes 0..3) lasts "
       "(default 60000).",
       [](S& o, Str n, Str v) { o.minuteMs = ParseWhole(n, v, 1, 86400000); }},
      {"--silent", nullptr, "Fault: hear nothing and answer nothing, like a unit switched off.",
       [](S& o, Str, Str) { o.faults.silent = true; }},
      {"--no-ack", "CMDS",
       "Fault: give the commands among CMDS (any of v # !) no acknowledge and no answer.",
       [](S& o, Str n, Str v) {
         if (v.empty() || v.find_first_not_of("v#!") != std::string::npos) {
           throw UsageError(n + " takes some of the commands v # !, not '" + v + "'");
         }
         o.faults.noAck = v;
       }},
      {"--stop-after", "N", "Fault: a read (#) sends only the first N EEPROM bytes.",
       [](S& o, Str n, Str v) { o.faults.stopAfter = static_cast<int>(ParseWhole(n, v, 0, 255)); }},
      {"--corrupt", "ADDR",
       "Fault: a write stores the byte for ADDR with its bits inverted, as if that cell did "
       "not take writes; every read-back then shows it.",
       [](S& o, Str n, Str v) { o.faults.corruptAt = static_cast<int>(ParseWhole(n, v, 0, 255)); }},
      {"--byte-delay", "MS",
       "Fault: slow bytes; each byte sent waits MS milliseconds more than its wire time. "
       "The PC gives up on a byte later than 250 ms, and on a whole answer slower than about "
       "40 ms a byte, which overruns the time it allows the operation.",
       [](S& o, Str n, Str v) { o.byteDelayMs = static_cast<int>(ParseWhole(n, v, 0, 60000)); }},
      {"--stray", "N",
       "Fault: noise before the acknowledge; send N junk bytes (E5) ahead of every answer.",
       [](S& o, Str n, Str v) { o.faults.stray = static_cast<int>(ParseWhole(n, v, 0, 4096)); }},
      {"--after-ack", "N",
       "Fault: noise after the acknowledge; send N junk bytes (E5) right after it.",
       [](S& o, Str n, Str v) { o.faults.afterAck = static_cast<int>(ParseWhole(n, v, 0, 4096)); }},
      {"--trail", "N", "Fault: send N junk bytes (E5) after every answer.",
       [](S& o, Str n, Str v) { o.faults.trail = static_cast<int>(ParseWhole(n, v, 0, 4096)); }},
      {"--ack-byte", "BYTE",
       "Fault: acknowledge commands with BYTE (0..255) instead of 06; the PC does not examine "
       "it.",
       [](S& o, Str n, Str v) { o.faults.ackByte = static_cast<int>(ParseWhole(n, v, 0, 255)); }},
      {"--keep-sending", nullptr,
       "Fault: what the unit is sending goes on after the PC closes the device, as on a real "
       "line; the PC reopening it soon hears the rest.",
       [](S& o, Str, Str) { o.keepSending = true; }},
      {"--write-timeout", "MS",
       "Fault: a write ends only after MS milliseconds without a byte (default 2000), not when "
       "the PC closes the device; until then the unit stores whatever comes, commands included.",
       [](S& o, Str n, Str v) {
         o.faults.writeTimeout = std::chrono::milliseconds(ParseWhole(n, v, 1, 600000));
         o.faults.writeOutlivesClose = true;
       }},
      {"--stuck", "BYTE",
       "Fault: a stuck transmitter; after each command it hears, the unit sends BYTE (0..255) "
       "without end, until the PC closes the device.",
       [](S& o, Str n, Str v) { o.stuckByte = static_cast<int>(ParseWhole(n, v, 0, 255)); }},
      {"--hangup-after", "N",
       "Fault: after N bytes have passed the line (both ways), drop it as if the adapter were "
       "pulled out; a new device then appears (the --link follows it, and its path is printed).",
       [](S& o, Str n, Str v) { o.hangupAfter = ParseWhole(n, v, 1, 100000000); }},
      {"--exit-on-idle", "SECONDS", "Exit when nothing has come from the PC for this long.",
       [](S& o, Str n, Str v) { o.exitOnIdle = ParseSeconds(n, v); }},
      {"--die-with-parent", nullptr, "Exit when the program that started the simulator ends.",
       [](S& o, Str, Str) { o.dieWithParent = true; }},
      {"--verbose", nullptr, "Tell on standard error what the unit hears and does.",
       [](S& o, Str, Str) { o.verbose = true; }},
      {"--help", nullptr, "Show this text.", [](S& o, Str, Str) { o.help = true; }},
      {"--version", nullptr, "Show the program's name and version.",
       [](S& o, Str, Str) { o.version = true; }},
  };
  return options;
}

// Breaks a paragraph into lines of at most `width` characters after `indent`.
std::string Wrap(const std::string& text, std::size_t indent, std::size_t width) {
  std::string out, line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
  return out;
}

}  // namespace

SimOptions ParseSimOptions(const std::vector<std::string>& args) {
  SimOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i], value;
    const std::size_t equals = name.find('=');
    const bool inlineValue = equals != std::string::npos;
    if (inlineValue) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const auto& all = Options();
    const auto option =
        std::find_if(all.begin(), all.end(), [&](const Option& o) { return name == o.name; });
    if (option == all.end()) throw UsageError("unknown option '" + name + "' (see --help)");
    if (option->value && !inlineValue) {
      if (i + 1 >= args.size()) throw UsageError(name + " needs " + option->value);
      value = args[++i];
    }
    if (!option->value && inlineValue) throw UsageError(name + " takes no value");
    option->apply(options, name, value);
  }
  return options;
}

std::string SimHelp() {
  std::string text =
      "Usage: kova-sim [OPTION]...\n"
      "\n"
      "Plays a Kova Pro receiver unit on a pseudo-terminal, so that the configuration\n"
      "program can be tried without a unit. The first line printed is the device to\n"
      "open (and so is every new device after a hang-up).\n"
      "\n"
      "The unit answers \"v\" with one acknowledge byte and three version lines, each\n"
      "ended by a carriage return; \"#\" with one byte and its 256 EEPROM bytes; \"!\"\n"
      "with one byte, and then stores the 252 bytes that follow at addresses 4..255;\n"
      "\"R\" by restarting. It sends at the speed of a real line. Bytes sent at another\n"
      "rate than its own (the rate the program set on the device is checked) reach it\n"
      "as a real UART would take them in: other bytes, breaks, or nothing. After a\n"
      "write it moves to the rate that the written byte 5 selects (bits 3..5:\n"
      "115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200). A write that stops\n"
      "early is given up when the PC closes the device or after 2 s without a byte.\n"
      "The elapsed-time counter in bytes 0..3 goes on counting. The program may close\n"
      "and reopen the device at will.\n"
      "\n"
      "Options (a value may also follow an equals sign):\n";
  for (const Option& option : Options()) {
    std::string head = std::string("  ") + option.name;
    if (option.value) head += std::string(" ") + option.value;
    text += head + "\n" + Wrap(option.help, 6, 72);
  }
  text +=
      "\n"
      "Faults last for the simulator's life. Exit with Ctrl+C or SIGTERM; the EEPROM\n"
      "file is written and the link removed.\n";
  return text;
}

}  // namespace kova::sim
