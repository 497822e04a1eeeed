// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit_model.h"

namespace kova::sim {
namespace {

constexpr int kEEpromSize = 256;
constexpr int kFirstWritten = 4;  // bytes 0..3 are the counter, which the PC never writes
constexpr std::uint8_t kCarriageReturn = 13;

}  // namespace

UnitModel::UnitModel(const EEpromImage& eeprom, std::array<std::string, 3> versions,
                     UnitFaults faults)
    : eeprom_(eeprom), versions_(std::move(versions)), faults_(std::move(faults)) {
  rateIndex_ = RateFromEEprom();
}

int UnitModel::RateFromEEprom() const {
  return addr::kUnitRate.Get(eeprom_);
}

UnitModel::Answer UnitModel::Receive(std::uint8_t byte, std::chrono::milliseconds now) {
  Answer answer;
  if (faults_.silent) return answer;
  if (Writing() && now - lastByte_ > faults_.writeTimeout) answer.event = WriteGivenUp();
  lastByte_ = now;
  if (Writing()) {
    answer.event = Store(byte);
    return answer;
  }
  if (byte == 'R') {
    writeAt_ = -1;
    rateIndex_ = RateFromEEprom();  // a restart reads its rate afresh
    answer.event = Event::Reset;
    return answer;
  }
  answer.bytes = Command(byte);
  return answer;
}

std::vector<std::uint8_t> UnitModel::Command(std::uint8_t command) {
  if (command != 'v' && command != '#' && command != '!') return {};
  if (faults_.noAck.find(static_cast<char>(command)) != std::string::npos) return {};
  std::vector<std::uint8_t> bytes(faults_.stray, kStrayByte);
  bytes.push_back(static_cast<std::uint8_t>(faults_.ackByte));
  bytes.insert(bytes.end(), faults_.afterAck, kStrayByte);
  std::vector<std::uint8_t> rest;
  if (command == 'v') rest = AnswerVersion();
  if (command == '#') rest = AnswerRead();
  if (command == '!') writeAt_ = kFirstWritten;
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  bytes.insert(bytes.end(), faults_.trail, kStrayByte);
  return bytes;
}

std::vector<std::uint8_t> UnitModel::AnswerVersion() {
  std::vector<std::uint8_t> bytes;
  for (const std::string& line : versions_) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back(kCarriageReturn);
  }
  return bytes;
}

std::vector<std::uint8_t> UnitModel::AnswerRead() {
  std::vector<std::uint8_t> bytes(eeprom_.begin(), eeprom_.end());
  if (faults_.stopAfter >= 0 && faults_.stopAfter < kEEpromSize) bytes.resize(faults_.stopAfter);
  return bytes;
}

UnitModel::Event UnitModel::Store(std::uint8_t byte) {
  if (writeAt_ == faults_.corruptAt) byte ^= 0xFF;
  eeprom_[writeAt_++] = byte;
  if (writeAt_ < kEEpromSize) return Event::None;
  writeAt_ = -1;
  rateIndex_ = RateFromEEprom();
  return Event::Written;
}

UnitModel::Event UnitModel::LineDropped() {
  if (faults_.writeOutlivesClose) return Event::None;
  return WriteGivenUp();
}

UnitModel::Event UnitModel::WriteGivenUp() {
  if (!Writing()) return Event::None;
  // What arrived stays written; the unit keeps its rate until it restarts.
  writeAt_ = -1;
  return Event::WriteAbandoned;
}

void UnitModel::AdvanceMinutes(long minutes) {
  long total = eeprom_[0] % 60 + minutes;
  long hours = eeprom_[1] | (eeprom_[2] << 8) | (eeprom_[3] << 16);
  hours = (hours + total / 60) & 0xFFFFFF;
  eeprom_[0] = static_cast<std::uint8_t>(total % 60);
  for (int i = 1; i <= 3; ++i)
    eeprom_[i] = static_cast<std::uint8_t>(hours >> (8 * (i - 1)));
}

}  // namespace kova::sim
