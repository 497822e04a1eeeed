// Every fault the simulator can play, against Get and against Put: each ends
// in its one message, takes over nothing it should not, leaves the port
// closed, and the next operation on a sound unit works.

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "image/clear_form.h"
#include "image/pack.h"
#include "link/link_messages.h"
#include "link/operation.h"
#include "qt_app.h"
#include "sim_process.h"

namespace kova {
namespace {

using namespace std::chrono_literals;
using test::OpenHandlesTo;
using test::SimFolder;
using test::SimProcess;

constexpr int k9600 = 4, k19200 = 3;
constexpr LinkTimings kQuick{.rxTimeout = 250ms, .pacing = 1ms, .settle = 100ms};

enum class Taken { Nothing, Document };

struct FaultCase {
  const char* name;
  QStringList options;
  Operation kind;
  // The title and the start of the text of the one message; none for a
  // fault the operation cannot see.
  std::optional<Message> message;
  Taken taken;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

Message Lost() {
  return {"Communications Error", "The connection through "};
}

const FaultCase kCases[] = {
    {"get_silent", {"--silent"}, Operation::Get, CommunicationsError(), Taken::Nothing},
    {"put_silent", {"--silent"}, Operation::Put, CommunicationsError(), Taken::Nothing},
    {"get_no_ack", {"--no-ack", "#"}, Operation::Get, CommunicationsError(), Taken::Nothing},
    {"put_no_ack", {"--no-ack", "!"}, Operation::Put, CommunicationsError(), Taken::Nothing},
    {"put_no_ack_verify",
     {"--no-ack", "#"},
     Operation::Put,
     CommunicationsError(),
     Taken::Document},
    {"get_stop_after",
     {"--stop-after", "100"},
     Operation::Get,
     CommunicationsError(),
     Taken::Nothing},
    {"put_stop_after",
     {"--stop-after", "100"},
     Operation::Put,
     CommunicationsError(),
     Taken::Document},
    {"get_corrupt", {"--corrupt", "77"}, Operation::Get, std::nullopt, Taken::Document},
    {"put_corrupt", {"--corrupt", "77"}, Operation::Put, VerificationError(), Taken::Document},
    {"get_slow", {"--byte-delay", "300"}, Operation::Get, CommunicationsError(), Taken::Nothing},
    {"put_slow", {"--byte-delay", "300"}, Operation::Put, CommunicationsError(), Taken::Nothing},
    {"get_stray", {"--stray", "3"}, Operation::Get, UnexpectedResponse(), Taken::Nothing},
    {"put_stray", {"--stray", "3"}, Operation::Put, VerificationError(), Taken::Document},
    {"get_hangup", {"--hangup-after", "100"}, Operation::Get, Lost(), Taken::Nothing},
    {"put_hangup", {"--hangup-after", "100"}, Operation::Put, Lost(), Taken::Nothing},
    {"get_wrong_rate", {"--rate", "19200"}, Operation::Get, CommunicationsError(), Taken::Nothing},
    {"put_wrong_rate", {"--rate", "19200"}, Operation::Put, CommunicationsError(), Taken::Nothing},
};

class FaultMatrix : public ::testing::TestWithParam<FaultCase> {
 protected:
  void SetUp() override { test::QtApp(); }

  static Document Window() {
    Document doc;
    doc.cfg = StartupConfiguration();
    doc.cfg.Ver = {"as", "the window", "had them"};
    doc.cfg.BaudKova = k19200;  // a Put moves the unit
    doc.cfg.Zones[4].OpenRIC1 = "4242";
    return doc;
  }

  OperationResult Run(Operation kind, const Document& doc) {
    OperationRequest request{
        .kind = kind, .document = doc, .device = folder.Link(), .timings = kQuick};
    return RunOperation(request);
  }

  SimFolder folder;
};

TEST_P(FaultMatrix, EndsInItsOneMessage) {
  const FaultCase& c = GetParam();
  Document onUnit = Window();
  onUnit.cfg.BaudKova = k9600;
  PackEEprom(onUnit);
  folder.WriteEEprom(onUnit.image);

  const Document window = Window();
  {
    SimProcess faulty(folder, c.options);
    QElapsedTimer timer;
    timer.start();
    const OperationResult result = Run(c.kind, window);
    // Far beyond any wait of the protocol: an operation that takes this
    // long is stuck, not slow.
    EXPECT_LT(timer.elapsed(), 20000);

    if (c.message) {
      ASSERT_EQ(result.messages.size(), 1u);
      EXPECT_EQ(result.messages[0].title, c.message->title);
      EXPECT_EQ(result.messages[0].text.rfind(c.message->text, 0), 0u) << result.messages[0].text;
    } else {
      EXPECT_TRUE(result.messages.empty()) << result.messages[0].text;
    }
    EXPECT_EQ(result.document.has_value(), c.taken == Taken::Document);
    if (result.document && c.kind == Operation::Put) {
      EXPECT_EQ(result.document->cfg.BaudPC, k19200) << "the unit was told its new rate";
      EXPECT_EQ(result.document->cfg.Zones[4].OpenRIC1, "4242");
    }
    EXPECT_EQ(OpenHandlesTo(faulty.Device()), 0) << "the port is closed";
    EXPECT_TRUE(faulty.Running()) << "the simulator rides it out";
  }

  // The same unit, sound again, at whatever rate it now listens.
  const int unitRate = (folder.ReadEEprom()[5] >> 3) & 7;
  SimProcess sound(folder);
  Document next = window;
  next.cfg.BaudPC = unitRate;
  const OperationResult get = Run(Operation::Get, next);
  EXPECT_TRUE(get.succeeded) << (get.messages.empty() ? "" : get.messages[0].text);
}

INSTANTIATE_TEST_SUITE_P(Link, FaultMatrix, ::testing::ValuesIn(kCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace kova
