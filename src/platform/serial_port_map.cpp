#include "platform/serial_port_map.h"

#include <QFile>

int ComPortNumber(const QString& portName) {
  if (portName.size() < 4 || portName.size() > 5) return 0;
  if (portName.left(3).compare("COM", Qt::CaseInsensitive) != 0) return 0;
  const QString digits = portName.mid(3);
  int n = 0;
  for (QChar c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c.unicode() - '0');
  }
  return !digits.startsWith('0') && n >= 1 && n <= ComPortCount ? n : 0;
}

ComPortMap::ComPortMap() {
  for (int n = 1; n <= ComPortCount; ++n) paths_[n - 1] = QString("/dev/ttyS%1").arg(n - 1);
}

QString ComPortMap::Path(int n) const {
  return n >= 1 && n <= ComPortCount ? paths_[n - 1] : QString();
}

void ComPortMap::Set(int n, const QString& path) {
  if (n >= 1 && n <= ComPortCount) paths_[n - 1] = path;
}

void ComPortMap::Clear() {
  for (auto& p : paths_) p.clear();
}

void ComPortMap::Apply(const QByteArray& text) {
  for (const QByteArray& bytes : text.split('\n')) {
    // Device paths are file names: decoded as the file system encodes them.
    const QString line = QFile::decodeName(bytes).trimmed();
    qsizetype gap = 0;
    while (gap < line.size() && line[gap] != ' ' && line[gap] != '\t') ++gap;
    if (gap == line.size()) continue;
    const int n = ComPortNumber(line.left(gap));
    const QString path = line.mid(gap).trimmed();
    if (n != 0 && !path.isEmpty()) Set(n, path);
  }
}
