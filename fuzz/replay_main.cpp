// SPDX-License-Identifier: GPL-3.0-or-later
// Drives a fuzz entry point without libFuzzer: every file named on the command
// line, then a fixed series of pseudo-random inputs (the same on every run).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::mt19937 rng(20261206);
  constexpr int kRuns = 3000;
  for (int run = 0; run < kRuns; ++run) {
    std::vector<std::uint8_t> bytes(rng() % 600);
    // Mostly sparse inputs: runs of zeros and 0xFF reach more branches than noise.
    for (auto& b : bytes) {
      const auto pick = rng() % 4;
      b = pick == 0 ? 0 : pick == 1 ? 0xFF : static_cast<std::uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%d inputs passed\n", kRuns + argc - 1);
  return 0;
}
