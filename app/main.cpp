// Kova Pro Configuration. Until the window is in place this shows the
// configuration the program starts with and the image it packs to.
#include <cstdio>
#include <iostream>

#include "diag/error_reporter.h"
#include "image/clear_form.h"
#include "image/frequency.h"
#include "image/pack.h"

int main() {
  kova::Document doc;
  doc.cfg = kova::StartupConfiguration();
  kova::StreamReporter reporter(std::cerr);
  std::printf("Kova Pro Configuration 3.1\n");
  std::printf("Synth Rx frequency: %s MHz, clock jog %s, Kova baud rate %d\n",
              kova::DisplayFreq(doc.cfg.Freq).c_str(), doc.cfg.ClkJog.c_str(),
              kova::kBaudRates[static_cast<std::size_t>(doc.cfg.BaudKova)]);
  if (!kova::PackEEprom(doc, reporter)) return 1;
  for (std::size_t row = 0; row < 16; ++row) {
    std::printf("%02zX:", row * 16);
    for (std::size_t col = 0; col < 16; ++col) std::printf(" %02X", doc.image[row * 16 + col]);
    std::printf("\n");
  }
  return 0;
}
