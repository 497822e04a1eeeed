// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/operation_worker.h"

#include <QThread>

namespace kova {

OperationWorker::OperationWorker(QObject* parent)
    : OperationWorker([](const OperationRequest& request,
                         const ProgressSink& progress) { return RunOperation(request, progress); },
                      parent) {}

OperationWorker::OperationWorker(Runner runner, QObject* parent)
    : QObject(parent), runner_(std::move(runner)) {
  qRegisterMetaType<kova::OperationResult>();
}

OperationWorker::~OperationWorker() {
  Wait();
}

bool OperationWorker::Start(OperationRequest request) {
  if (running_.exchange(true)) return false;
  Wait();  // the previous thread has reported; let it end before replacing it
  cancel_ = false;
  if (!request.cancel) request.cancel = &cancel_;
  thread_.reset(QThread::create([this, request = std::move(request)] {
    const ProgressSink sink = [this](const Progress& p) {
      emit progress(p.done, p.expected, QString::fromStdString(p.phase));
    };
    OperationResult result;
    try {
      result = runner_(request, sink);
    } catch (const std::exception& failure) {
      result.kind = request.kind;
      result.messages.push_back({.text = std::string("The operation stopped: ") + failure.what()});
    }
    running_ = false;
    emit finished(result);
  }));
  thread_->start();
  return true;
}

void OperationWorker::Wait() {
  if (thread_) thread_->wait();
}

}  // namespace kova
