#include "link/operation_worker.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QThread>

#include "fake_unit.h"
#include "image/clear_form.h"
#include "qt_app.h"

namespace kova {
namespace {

using test::FakeUnit;
using test::PatternImage;

// The spy hears the signal on the worker's thread, possibly before anyone
// waits for it, so wait for a count rather than for the next emission.
bool Await(QSignalSpy& spy, int count) {
  QDeadlineTimer deadline(10000);
  while (spy.count() < count && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return spy.count() >= count;
}

OperationRequest GetRequest() {
  OperationRequest request;
  request.kind = Operation::Get;
  request.document.cfg = StartupConfiguration();
  request.device = "ttyFAKE";
  return request;
}

// Runs on a fake unit, on whichever thread calls it, and notes that thread.
struct FakeRunner {
  OperationResult operator()(const OperationRequest& request, const ProgressSink& progress) {
    *thread = QThread::currentThread();
    FakeClock clock;
    FakeLine line(clock);
    FakeUnit unit(line, clock, PatternImage(4));
    return RunOperation(request, line, clock, progress);
  }
  QThread** thread;
};

TEST(OperationWorker, RunsOffTheCallingThreadAndReportsThroughSignals) {
  test::QtApp();
  QThread* ranOn = nullptr;
  OperationWorker worker(FakeRunner{&ranOn});
  QSignalSpy progress(&worker, &OperationWorker::progress);
  QSignalSpy finished(&worker, &OperationWorker::finished);
  QThread* deliveredOn = nullptr;
  QObject::connect(&worker, &OperationWorker::finished, &worker,
                   [&] { deliveredOn = QThread::currentThread(); });

  ASSERT_TRUE(worker.Start(GetRequest()));
  ASSERT_TRUE(Await(finished, 1));
  EXPECT_NE(ranOn, QThread::currentThread());
  QDeadlineTimer deadline(10000);
  while (!deliveredOn && !deadline.hasExpired())
    QCoreApplication::processEvents();
  EXPECT_EQ(deliveredOn, QThread::currentThread()) << "the window hears it on its own thread";
  EXPECT_FALSE(worker.IsRunning());

  const auto result = finished.at(0).at(0).value<OperationResult>();
  EXPECT_TRUE(result.succeeded);
  ASSERT_TRUE(result.document);
  EXPECT_EQ(result.document->image, PatternImage(4));

  ASSERT_FALSE(progress.isEmpty());
  EXPECT_EQ(progress.first().at(2).toString(), "GET");
  EXPECT_EQ(progress.last().at(0).toInt(), 256);
  EXPECT_EQ(progress.last().at(1).toInt(), 256);
}

TEST(OperationWorker, RefusesASecondOperationWhileOneRuns) {
  test::QtApp();
  std::atomic<bool> release{false};
  OperationWorker worker([&](const OperationRequest& request, const ProgressSink&) {
    while (!release)
      QThread::msleep(1);
    OperationResult result;
    result.kind = request.kind;
    result.succeeded = true;
    return result;
  });
  QSignalSpy finished(&worker, &OperationWorker::finished);
  ASSERT_TRUE(worker.Start(GetRequest()));
  EXPECT_TRUE(worker.IsRunning());
  EXPECT_FALSE(worker.Start(GetRequest()));
  release = true;
  ASSERT_TRUE(Await(finished, 1));
  EXPECT_EQ(finished.count(), 1);
  EXPECT_TRUE(worker.Start(GetRequest())) << "free again once it has finished";
  ASSERT_TRUE(Await(finished, 2));
}

TEST(OperationWorker, AnEscapedFailureBecomesAMessage) {
  test::QtApp();
  OperationWorker worker([](const OperationRequest&, const ProgressSink&) -> OperationResult {
    throw std::runtime_error("boom");
  });
  QSignalSpy finished(&worker, &OperationWorker::finished);
  ASSERT_TRUE(worker.Start(GetRequest()));
  ASSERT_TRUE(Await(finished, 1));
  const auto result = finished.at(0).at(0).value<OperationResult>();
  EXPECT_FALSE(result.succeeded);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.messages[0].text.find("boom"), std::string::npos);
}

}  // namespace
}  // namespace kova
