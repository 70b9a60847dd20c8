#pragma once
// The services the program takes from its surroundings. main() passes the real ones
// (or the simulated board with MX_BOARD=sim); tests pass simulated ones.

class UsbServices;
class Clock;
class Dialogs;
class SerialServices;

struct Platform {
  UsbServices* usb = nullptr;
  Clock* clock = nullptr;
  Dialogs* dialogs = nullptr;
  SerialServices* serial = nullptr;  // serial ports COM1..COM16
  // Whether the toolkit can read and write Big5, the code page of the program's files;
  // null asks the toolkit (tests set it to see a build without the codec).
  bool (*hasBig5Codec)() = nullptr;
};
