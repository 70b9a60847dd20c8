#pragma once
// Which device file each of COM1 .. COM16 stands for. By default COMn is /dev/ttyS(n-1);
// lines "COMn /dev/path" override that (common/serial_port_file.h reads them from the
// program folder's "MxComPorts.cfg").

#include <QByteArray>
#include <QString>
#include <array>

constexpr int ComPortCount = 16;

// 1..16 for "COM1" .. "COM16" (letters in either case), 0 for anything else.
int ComPortNumber(const QString& portName);

class ComPortMap {
public:
  ComPortMap();  // the defaults

  // The device path of COMn; empty when n is out of range or the port is unmapped.
  QString Path(int n) const;
  QString Path(const QString& portName) const { return Path(ComPortNumber(portName)); }
  void Set(int n, const QString& path);
  // Every port unmapped (no device behind any name).
  void Clear();

  // Applies the lines of a port map text: each line "COMn path" (blanks or TABs
  // between, CR LF or LF endings) maps COMn; other lines are skipped.
  void Apply(const QByteArray& text);

private:
  std::array<QString, ComPortCount> paths_;
};
