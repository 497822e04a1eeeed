// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_line.h"

#include <algorithm>

namespace kova {
namespace {

// Start, eight data bits, stop.
constexpr int kBitsPerByte = 10;

}  // namespace

void FakeLine::Open(const LineSettings& settings) {
  if (open_) throw LineError("the device is already open");
  if (refuseOpen_) {
    const std::string reason = *refuseOpen_;
    refuseOpen_.reset();
    throw LineError(reason);
  }
  opens_.push_back(settings);
  rate_ = settings.rate;
  open_ = true;
  dropped_ = false;
}

void FakeLine::Close() {
  if (!open_) return;
  open_ = false;
  incoming_.clear();
  ++closes_;
}

void FakeLine::CheckUsable() const {
  if (!open_) throw LineError("the port is not open");
  if (dropped_) throw LineError("the device stopped working");
}

int FakeLine::ReadByte(std::chrono::microseconds wait) {
  CheckUsable();
  const Clock::time_point deadline = clock_.Now() + wait;
  if (incoming_.empty() || incoming_.front().at > deadline) {
    clock_.SleepUntil(deadline);
    return -1;
  }
  clock_.SleepUntil(incoming_.front().at);
  const std::uint8_t byte = incoming_.front().byte;
  incoming_.pop_front();
  return byte;
}

void FakeLine::WriteByte(std::uint8_t byte) {
  CheckUsable();
  if (dropAfterWrites_ == 0) {
    dropped_ = true;
    CheckUsable();
  }
  if (dropAfterWrites_ > 0) --dropAfterWrites_;
  clock_.Advance(std::chrono::nanoseconds(std::chrono::seconds(kBitsPerByte)) / rate_);
  sent_.push_back({clock_.Now(), byte});
  if (deafAfterWrites_ == 0) return;
  if (deafAfterWrites_ > 0) --deafAfterWrites_;
  if (responder_) responder_(byte, *this);
}

void FakeLine::DiscardInput() {
  CheckUsable();
  const Clock::time_point now = clock_.Now();
  std::erase_if(incoming_, [now](const Arrival& a) { return a.at <= now; });
}

void FakeLine::Deliver(std::span<const std::uint8_t> bytes, Clock::duration delay,
                       Clock::duration spacing) {
  if (!open_) return;
  Clock::time_point at = clock_.Now() + delay;
  if (!incoming_.empty()) at = std::max(at, incoming_.back().at);
  for (std::uint8_t byte : bytes) {
    incoming_.push_back({at, byte});
    at += spacing;
  }
}

void FakeLine::Deliver(std::string_view text, Clock::duration delay, Clock::duration spacing) {
  const auto* first = reinterpret_cast<const std::uint8_t*>(text.data());
  Deliver(std::span<const std::uint8_t>(first, text.size()), delay, spacing);
}

std::string FakeLine::SentText() const {
  std::string text;
  for (const Sent& s : sent_)
    text += static_cast<char>(s.byte);
  return text;
}

}  // namespace kova
