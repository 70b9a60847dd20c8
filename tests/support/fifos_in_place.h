#pragma once
// FIFOs in the places of files, for readers that must not wait on one. Opening a FIFO
// for reading waits for a writer: should the code under test do that, a writer comes
// after a while and the FIFOs say so, so the fault ends as a failed test, not a hang.

#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class FifosInPlace {
public:
  // Makes a FIFO at each path, a file there removed first.
  explicit FifosInPlace(const QStringList& paths, int patienceMs = 5000);
  ~FifosInPlace();
  FifosInPlace(const FifosInPlace&) = delete;
  FifosInPlace& operator=(const FifosInPlace&) = delete;

  bool Made() const { return made_; }
  // True when something waited on one of the FIFOs and a writer had to free it.
  bool Freed() const { return freed_; }

private:
  void Watch();

  QStringList paths_;
  int patienceMs_;
  bool made_ = true;
  std::atomic<bool> freed_{false};
  std::mutex mu_;
  std::condition_variable cv_;
  bool stop_ = false;
  std::thread watcher_;
};
