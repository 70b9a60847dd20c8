#include "sim/sim_pty.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {
using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}
}  // namespace

SimPty::SimPty() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) return;
  char name[128] = {};
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    ::close(master_);
    master_ = -1;
    return;
  }
  path_ = QString::fromLocal8Bit(name);
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0) return;
  // Raw from the start: no echo, no line editing, no translation on either side.
  termios t{};
  if (tcgetattr(slave_, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(slave_, TCSANOW, &t);
  }
}

SimPty::~SimPty() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

int SimPty::SlaveWaiting() const {
  int n = 0;
  if (slave_ < 0 || ioctl(slave_, FIONREAD, &n) != 0) return 0;
  return n;
}

int SimPty::Write(const QByteArray& bytes) {
  if (!Ok()) return 0;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(DeliveryCapMs);
  const int before = SlaveWaiting();
  int written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
    if (n > 0) {
      written += static_cast<int>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN && MsLeft(deadline) > 0) {
      pollfd p{master_, POLLOUT, 0};
      poll(&p, 1, MsLeft(deadline));
    } else {
      break;
    }
  }
  while (SlaveWaiting() < before + written && SteadyClock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(20));
  return written;
}

bool SimPty::ReadOnce(QByteArray& into, qsizetype most) {
  char buf[512];
  const size_t want = static_cast<size_t>(std::min<qsizetype>(most, sizeof buf));
  for (;;) {
    const ssize_t n = ::read(master_, buf, want);
    if (n > 0) {
      into.append(buf, n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    return false;
  }
}

QByteArray SimPty::Read(int count) {
  QByteArray got;
  if (!Ok()) return got;
  const auto deadline = SteadyClock::now() + std::chrono::milliseconds(DeliveryCapMs);
  while (got.size() < count) {
    if (ReadOnce(got, count - got.size())) continue;
    if (MsLeft(deadline) == 0) break;
    pollfd p{master_, POLLIN, 0};
    poll(&p, 1, MsLeft(deadline));
  }
  return got;
}

QByteArray SimPty::ReadAvailable() {
  QByteArray got;
  if (Ok())
    while (ReadOnce(got, 512)) {
    }
  return got;
}
