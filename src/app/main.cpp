// The bench program: one main window beside the evaluation board.
// MX_BOARD=sim runs it on the simulated bench (board, fixture and body on the chip's
// inputs, bench instruments on the serial ports) instead of the USB hardware and the
// host's serial ports.

#include <QByteArray>
#include <QFileInfo>
#include <memory>

#include "app/program.h"
#include "common/globals.h"
#include "common/serial_port_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/real_usb.h"
#include "platform/serial_termios.h"
#include "shell/application.h"
#include "sim/sim_bench.h"

int main(int argc, char** argv) {
  MxApplication app(argc, argv);
  app.setApplicationName("mx-enob");

  SystemClock clock;
  QtDialogs dialogs;
  app.SetDialogs(&dialogs);

  // On the simulated bench its instruments answer on their ports through the program's
  // own serial layer and no port of the host is reached; otherwise COM1..COM16 are the
  // host's, with the program folder's overrides.
  std::unique_ptr<SimBench> bench;
  std::unique_ptr<UsbServices> usb;
  std::unique_ptr<TermiosSerialServices> serial;
  if (qgetenv("MX_BOARD") == "sim") {
    bench = std::make_unique<SimBench>(clock);
  } else {
    usb = std::make_unique<RealUsbServices>();
    serial = std::make_unique<TermiosSerialServices>();
    LoadComPortMap(serial->PortMap(), QCoreApplication::applicationDirPath());
  }

  Platform platform;
  platform.usb = bench ? static_cast<UsbServices*>(&bench->board) : usb.get();
  platform.clock = &clock;
  platform.dialogs = &dialogs;
  platform.serial = bench ? static_cast<SerialServices*>(&bench->serial) : serial.get();

  int rc = 0;
  try {
    Program program(QCoreApplication::applicationDirPath(), platform,
                    QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    program.Start();
    program.MainPanel->show();
    rc = app.exec();
  } catch (const std::exception& e) {
    app.ShowError(QString::fromStdString(e.what()));
    rc = 1;
  }
  return rc;
}
