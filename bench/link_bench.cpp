// SPDX-License-Identifier: GPL-3.0-or-later
// Get and Put against kova-sim on a pseudo-terminal: wall time, CPU time of
// this process, and both against the floor that the bytes and pauses of the
// same run allow. Prints figures; it judges nothing and fails nothing.
//
//   link_bench [--runs N] [--put-runs N] [--sim PATH]

#include <time.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "eeprom_file.h"
#include "image/clear_form.h"
#include "image/pack.h"
#include "link/operation.h"
#include "link/unit_protocol.h"

namespace {

using Seconds = std::chrono::duration<double>;
constexpr int kBitsPerByte = 10;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double WireSeconds(long bytes, int rate) {
  return static_cast<double>(bytes) * kBitsPerByte / rate;
}

struct Sample {
  double wall = 0;
  double cpu = 0;
  double floor = 0;
};

struct Figures {
  std::string operation;
  int rate = 0;
  std::vector<Sample> samples;
  std::string target;
  double allowedRatio = 0;  // wall <= floor * allowedRatio + allowedExtra
  double allowedExtra = 0;
};

kova::Document DocumentAt(int rateIndex) {
  kova::Document doc;
  doc.cfg = kova::StartupConfiguration();
  doc.cfg.BaudPC = doc.cfg.BaudKova = rateIndex;
  return doc;
}

// One simulated unit listening at `rate`, for the life of the object.
class Unit {
 public:
  Unit(const QString& sim, int rateIndex) {
    kova::Document doc = DocumentAt(rateIndex);
    kova::PackEEprom(doc);
    kova::sim::SaveEEprom(dir_.filePath("eeprom.bin").toStdString(), doc.image);
    process_.start(sim, {"--eeprom", dir_.filePath("eeprom.bin"), "--link", dir_.filePath("kova"),
                         "--die-with-parent"});
    process_.waitForStarted(10000);
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    ok_ = !process_.readLine().trimmed().isEmpty();
  }
  ~Unit() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
  }
  bool ok() const { return ok_; }
  std::string device() const { return dir_.filePath("kova").toStdString(); }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  bool ok_ = false;
};

bool Measure(const Unit& unit, kova::Operation kind, int rateIndex, Sample& sample) {
  kova::OperationRequest request;
  request.kind = kind;
  request.document = DocumentAt(rateIndex);
  request.device = unit.device();
  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  const kova::OperationResult result = kova::RunOperation(request);
  sample.wall = Seconds(std::chrono::steady_clock::now() - t0).count();
  sample.cpu = CpuSeconds() - cpu0;
  const int rate = kova::kBaudRates[rateIndex];
  const kova::LinkTimings timings = request.timings;
  if (kind == kova::Operation::Get) {
    sample.floor = WireSeconds(result.bytesSent + result.bytesReceived, rate);
  } else {
    // The unit's bytes (the version answer, the acknowledges and the read-back)
    // come at line speed; the PC's reach the simulator at once, so only the
    // pauses after them count.
    sample.floor = kova::kWrittenBytes * Seconds(timings.pacing).count() +
                   Seconds(timings.settle).count() + WireSeconds(result.bytesReceived, rate);
  }
  if (!result.succeeded) {
    std::fprintf(stderr, "%s at %d failed: %s\n", kind == kova::Operation::Get ? "Get" : "Put",
                 rate, result.messages.empty() ? "?" : result.messages[0].text.c_str());
  }
  return result.succeeded;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Print(const Figures& f) {
  std::vector<double> wall, cpu, floor;
  for (const Sample& s : f.samples) {
    wall.push_back(s.wall);
    cpu.push_back(s.cpu);
    floor.push_back(s.floor);
  }
  const double w = Median(wall), c = Median(cpu), fl = Median(floor);
  const double allowed = fl * f.allowedRatio + f.allowedExtra;
  std::printf("%-4s %7d %5zu %10.1f %10.1f %7.4f %9.1f %8.2f %7.2f%%  %-22s %s\n",
              f.operation.c_str(), f.rate, f.samples.size(), w * 1e3, fl * 1e3, w / fl,
              (w - fl) * 1e3, c * 1e3, 100 * c / w, f.target.c_str(),
              (w <= allowed && c <= 0.05 * w) ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int runs = 10, putRuns = 2;
  QString sim = KOVA_SIM;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--put-runs")) putRuns = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--sim")) sim = argv[i + 1];
  }

  std::printf("%-4s %7s %5s %10s %10s %7s %9s %8s %8s  %-22s %s\n", "op", "bit/s", "runs",
              "wall ms", "floor ms", "ratio", "excess ms", "cpu ms", "cpu/wall", "target", "");
  for (const int rateIndex : {4, 0}) {  // 9600, 115200
    const int rate = kova::kBaudRates[rateIndex];
    Unit unit(sim, rateIndex);
    if (!unit.ok()) {
      std::fprintf(stderr, "kova-sim did not start (%s)\n", qPrintable(sim));
      return 1;
    }
    Figures get{"Get", rate, {}, "<= floor*1.05 + 20 ms", 1.05, 0.020};
    Figures put{"Put", rate, {}, "<= floor*1.01", 1.01, 0};
    Sample sample;
    Measure(unit, kova::Operation::Get, rateIndex, sample);  // warm-up
    for (int i = 0; i < runs; ++i) {
      if (Measure(unit, kova::Operation::Get, rateIndex, sample)) get.samples.push_back(sample);
    }
    for (int i = 0; i < putRuns; ++i) {
      if (Measure(unit, kova::Operation::Put, rateIndex, sample)) put.samples.push_back(sample);
    }
    if (!get.samples.empty()) Print(get);
    if (!put.samples.empty()) Print(put);
  }
  std::printf(
      "\nfloor: Get = wire time of every byte exchanged; Put = 252 pauses of 10 ms + 3.5 s\n"
      "       + wire time of every byte the unit sent. Medians; cpu is this process only.\n"
      "target also asks cpu/wall under 5%%.\n");
  return 0;
}
