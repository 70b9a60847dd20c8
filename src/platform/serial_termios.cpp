#include "platform/serial_termios.h"

#include <QFile>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

struct BaudCode {
  uint32_t baud;
  speed_t code;
};
constexpr BaudCode kBauds[] = {{300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},
                               {4800, B4800},   {9600, B9600},   {19200, B19200}, {38400, B38400},
                               {57600, B57600}, {115200, B115200}};

bool SpeedOf(uint32_t baud, speed_t& code) {
  for (const auto& b : kBauds)
    if (b.baud == baud) {
      code = b.code;
      return true;
    }
  return false;
}

uint32_t BaudOf(speed_t code) {
  for (const auto& b : kBauds)
    if (b.code == code) return b.baud;
  return 0;
}

// Raw mode that keeps the character format (data bits, parity, stop bits) and the baud.
void MakeRaw(termios& t) {
  const tcflag_t format = t.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB);
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
  t.c_cflag |= format;
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

}  // namespace

bool ApplyLineSettings(termios& t, const LineSettings& s) {
  speed_t speed;
  if (!SpeedOf(s.BaudRate, speed) || s.ByteSize != 8 || s.Parity > EvenParity ||
      (s.StopBits != OneStopBit && s.StopBits != TwoStopBits))
    return false;
  termios n = t;
  MakeRaw(n);
  n.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
  n.c_cflag |= CS8;
  if (s.Parity != NoParity) n.c_cflag |= PARENB;
  if (s.Parity == OddParity) n.c_cflag |= PARODD;
  if (s.StopBits == TwoStopBits) n.c_cflag |= CSTOPB;
  if (cfsetispeed(&n, speed) != 0 || cfsetospeed(&n, speed) != 0) return false;
  t = n;
  return true;
}

LineSettings ReadLineSettings(const termios& t) {
  LineSettings s;
  s.BaudRate = BaudOf(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5: s.ByteSize = 5; break;
    case CS6: s.ByteSize = 6; break;
    case CS7: s.ByteSize = 7; break;
    default: s.ByteSize = 8; break;
  }
  s.Parity = !(t.c_cflag & PARENB) ? NoParity : (t.c_cflag & PARODD) ? OddParity : EvenParity;
  s.StopBits = (t.c_cflag & CSTOPB) ? TwoStopBits : OneStopBit;
  return s;
}

TermiosSerialServices::TermiosSerialServices(ComPortMap map) : map_(std::move(map)) {}

TermiosSerialServices::~TermiosSerialServices() {
  while (!fds_.empty()) Close(fds_.begin()->first);
}

int TermiosSerialServices::Fd(int h) const {
  auto it = fds_.find(h);
  return it == fds_.end() ? -1 : it->second;
}

int TermiosSerialServices::Open(const QString& portName) {
  const QString path = map_.Path(portName);
  if (path.isEmpty()) return InvalidSerialHandle;
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return InvalidSerialHandle;
  termios t{};
  // Unshared: a lock held by any other open of the device refuses this one.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0 || tcgetattr(fd, &t) != 0) {
    ::close(fd);
    return InvalidSerialHandle;
  }
  MakeRaw(t);
  if (tcsetattr(fd, TCSANOW, &t) != 0) {
    ::close(fd);
    return InvalidSerialHandle;
  }
  int h = next_++;
  if (next_ <= 0) next_ = 0x100;
  fds_[h] = fd;
  return h;
}

bool TermiosSerialServices::Close(int h) {
  const int fd = Fd(h);
  if (fd < 0) return false;
  fds_.erase(h);
  return ::close(fd) == 0;
}

bool TermiosSerialServices::GetCommState(int h, LineSettings& settings) {
  const int fd = Fd(h);
  termios t{};
  if (fd < 0 || tcgetattr(fd, &t) != 0) return false;
  settings = ReadLineSettings(t);
  return true;
}

bool TermiosSerialServices::SetCommState(int h, const LineSettings& settings) {
  const int fd = Fd(h);
  termios t{};
  if (fd < 0 || tcgetattr(fd, &t) != 0) return false;
  if (!ApplyLineSettings(t, settings)) return false;
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool TermiosSerialServices::ClearCommError(int h, uint32_t& errors, ComStat& stat) {
  errors = 0;
  stat = ComStat{};
  const int fd = Fd(h);
  int in = 0, out = 0;
  if (fd < 0 || ioctl(fd, FIONREAD, &in) != 0 || in < 0) return false;
  if (ioctl(fd, TIOCOUTQ, &out) != 0 || out < 0) out = 0;
  stat.InQue = static_cast<uint32_t>(in);
  stat.OutQue = static_cast<uint32_t>(out);
  return true;
}

bool TermiosSerialServices::ReadFile(int h, uint8_t* data, uint32_t count, uint32_t& read) {
  read = 0;
  const int fd = Fd(h);
  if (fd < 0) return false;
  while (read < count) {
    const ssize_t n = ::read(fd, data + read, count - read);
    if (n > 0) {
      read += static_cast<uint32_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Nothing more waiting (or the line is gone): what came so far is the result.
      return n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || read > 0;
    }
  }
  return true;
}

bool TermiosSerialServices::WriteFile(int h, const uint8_t* data, uint32_t count, uint32_t& written) {
  written = 0;
  const int fd = Fd(h);
  if (fd < 0) return false;
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(WriteTimeoutMs);
  while (written < count) {
    const ssize_t n = ::write(fd, data + written, count - written);
    if (n > 0) {
      written += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    // The output queue is full: wait for room, but not for ever.
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) return false;
  }
  return true;
}

bool TermiosSerialServices::EscapeCommFunction(int h, uint32_t function) {
  const int fd = Fd(h);
  if (fd < 0) return false;
  int bits = 0;
  unsigned long request = 0;
  switch (function) {
    case SETRTS: bits = TIOCM_RTS; request = TIOCMBIS; break;
    case CLRRTS: bits = TIOCM_RTS; request = TIOCMBIC; break;
    case SETDTR: bits = TIOCM_DTR; request = TIOCMBIS; break;
    case CLRDTR: bits = TIOCM_DTR; request = TIOCMBIC; break;
    default: return false;
  }
  return ioctl(fd, request, &bits) == 0;
}
