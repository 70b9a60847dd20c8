#include "support/fifos_in_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <chrono>

FifosInPlace::FifosInPlace(const QStringList& paths, int patienceMs) : paths_(paths), patienceMs_(patienceMs) {
  for (const QString& p : paths_) {
    QFile::remove(p);
    if (::mkfifo(QFile::encodeName(p).constData(), 0644) != 0) made_ = false;
  }
  watcher_ = std::thread([this] { Watch(); });
}

FifosInPlace::~FifosInPlace() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  watcher_.join();
}

void FifosInPlace::Watch() {
  std::unique_lock<std::mutex> lock(mu_);
  while (!cv_.wait_for(lock, std::chrono::milliseconds(patienceMs_), [this] { return stop_; })) {
    // A writer's open that does not wait succeeds only while a reader has the FIFO
    // open or waits in its open; closing it again gives that reader the end of file.
    for (const QString& p : paths_) {
      const int fd = ::open(QFile::encodeName(p).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        freed_ = true;
        ::close(fd);
      }
    }
  }
}
