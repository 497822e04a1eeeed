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

// The spy hears a signal on the thread that emits it, possibly before anyone
// waits, so wait for a count rather than for the next emission.
bool Await(const std::function<bool()>& done) {
  QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

OperationRequest GetRequest() {
  OperationRequest request;
  request.document.cfg = StartupConfiguration();
  request.device = "ttyFAKE";
  return request;
}

TEST(OperationWorker, RunsOffTheWindowsThreadAndReportsBackOnIt) {
  test::QtApp();
  QThread* ranOn = nullptr;
  QThread* heardOn = nullptr;
  OperationWorker worker([&](const OperationRequest& request, const ProgressSink& progress) {
    ranOn = QThread::currentThread();
    FakeClock clock;
    FakeLine line(clock);
    test::FakeUnit unit(line, clock, test::PatternImage(4));
    return RunOperation(request, line, clock, progress);
  });
  QSignalSpy progress(&worker, &OperationWorker::progress);
  QSignalSpy finished(&worker, &OperationWorker::finished);
  QObject::connect(&worker, &OperationWorker::finished, &worker,
                   [&] { heardOn = QThread::currentThread(); });

  ASSERT_TRUE(worker.Start(GetRequest()));
  ASSERT_TRUE(Await([&] { return heardOn != nullptr; }));
  EXPECT_NE(ranOn, QThread::currentThread());
  EXPECT_EQ(heardOn, QThread::currentThread());
  const auto result = finished.at(0).at(0).value<OperationResult>();
  ASSERT_TRUE(result.document);
  EXPECT_EQ(result.document->image, test::PatternImage(4));
  EXPECT_EQ(progress.first().at(2).toString(), "GET");
  EXPECT_EQ(progress.last().at(0).toInt(), 256);
}

TEST(OperationWorker, OneAtATimeAndAlwaysFinishedEvenWhenTheRunFails) {
  test::QtApp();
  std::atomic<bool> release{false};
  OperationWorker worker([&](const OperationRequest&, const ProgressSink&) -> OperationResult {
    while (!release)
      QThread::msleep(1);
    throw std::runtime_error("out of memory");
  });
  QSignalSpy finished(&worker, &OperationWorker::finished);
  ASSERT_TRUE(worker.Start(GetRequest()));
  EXPECT_FALSE(worker.Start(GetRequest()));
  release = true;
  ASSERT_TRUE(Await([&] { return finished.count() == 1; }));
  const auto result = finished.at(0).at(0).value<OperationResult>();
  EXPECT_FALSE(result.succeeded);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.messages[0].text.find("out of memory"), std::string::npos);
  EXPECT_TRUE(worker.Start(GetRequest())) << "free again once it has finished";
  ASSERT_TRUE(Await([&] { return finished.count() == 2; }));
}

}  // namespace
}  // namespace kova
