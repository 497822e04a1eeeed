// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "link/operation.h"

class QThread;

Q_DECLARE_METATYPE(kova::OperationResult)

namespace kova {

// Runs one device operation at a time on a thread of its own, so that the
// window stays live, and reports through signals delivered on the thread
// that owns the worker.
class OperationWorker : public QObject {
  Q_OBJECT

 public:
  using Runner = std::function<OperationResult(const OperationRequest&, const ProgressSink&)>;

  // On the computer's serial port.
  explicit OperationWorker(QObject* parent = nullptr);
  // With another way to run the operation (tests run it on a fake line).
  explicit OperationWorker(Runner runner, QObject* parent = nullptr);
  // Waits for a running operation: the port is never left open behind it.
  ~OperationWorker() override;

  // Starts the operation; false when one is still running. A request that
  // brings no stop flag of its own gets the worker's, which Cancel sets.
  bool Start(OperationRequest request);
  // Asks the running operation to stop between two bytes; it then ends as
  // usual, its result saying that it was interrupted and what the unit holds.
  void Cancel() { cancel_ = true; }
  bool IsRunning() const { return running_; }
  // Blocks until the running operation has ended (its signals may still be
  // on their way).
  void Wait();

 signals:
  void progress(int done, int expected, const QString& phase);
  void finished(const kova::OperationResult& result);

 private:
  Runner runner_;
  std::unique_ptr<QThread> thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> cancel_{false};
};

}  // namespace kova
