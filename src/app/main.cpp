// The bench program: one main window beside the evaluation board.
// MX_BOARD=sim runs it on the simulated board and bench instruments instead of the USB
// hardware and the host's serial ports.

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
#include "sim/sim_board.h"
#include "sim/sim_instrument_set.h"
#include "sim/sim_serial.h"

int main(int argc, char** argv) {
  MxApplication app(argc, argv);
  app.setApplicationName("mx-enob");

  SystemClock clock;
  QtDialogs dialogs;
  app.SetDialogs(&dialogs);

  std::unique_ptr<UsbServices> usb;
  SimBoard* sim = nullptr;
  if (qgetenv("MX_BOARD") == "sim") {
    auto board = std::make_unique<SimBoard>();
    sim = board.get();
    // A quiet signal near mid-scale, so a capture shows something to look at.
    sim->streamMean = 1234567;
    sim->streamNoise = 12;
    usb = std::move(board);
  } else {
    usb = std::make_unique<RealUsbServices>();
  }

  // On the simulated board the bench's instruments answer on their ports through the
  // program's own serial layer and no port of the host is reached; otherwise COM1..COM16
  // are the host's, with the program folder's overrides.
  std::unique_ptr<TermiosSerialServices> serial;
  std::unique_ptr<SimInstrumentSet> instruments;
  if (sim) {
    auto simSerial = std::make_unique<SimSerial>(clock);
    instruments = std::make_unique<SimInstrumentSet>(*simSerial);
    serial = std::move(simSerial);
  } else {
    serial = std::make_unique<TermiosSerialServices>();
    LoadComPortMap(serial->PortMap(), QCoreApplication::applicationDirPath());
  }

  Platform platform;
  platform.usb = usb.get();
  platform.clock = &clock;
  platform.dialogs = &dialogs;
  platform.serial = serial.get();

  int rc = 0;
  try {
    Program program(QCoreApplication::applicationDirPath(), platform,
                    QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    program.Start();
    // The simulated chip implements the bits the chip definition declares.
    if (sim)
      for (int a = 0; a < RegModelSize; ++a)
        if (program.G.RegMask[a]) sim->chip.SetMask(a, program.G.RegMask[a]);
    program.MainPanel->show();
    rc = app.exec();
  } catch (const std::exception& e) {
    app.ShowError(QString::fromStdString(e.what()));
    rc = 1;
  }
  return rc;
}
