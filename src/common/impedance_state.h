#pragma once
// The state of the impedance tests that their calibrations, measurements, runs and
// logs share: the I/Q test and the body-fat test, one each, held by Globals. Plain
// data; the logic that fills it lives in impedance/.

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

// One hardware I/Q conversion: in-phase and quadrature value, magnitude and phase
// (radians, principal value of arctan(Q / I)).
struct IQResult {
  double I = 0;
  double Q = 0;
  double Y = 0;
  double Theta = 0;
};

// The figures of one AC impedance measurement against the two reference readings.
struct ImpedanceFigures {
  double Resd = 0;   // parasitic series resistance of the measuring path, ohm
  double Gain = 0;   // scale of the reference path
  double Zx = 0;     // magnitude of the device's impedance, ohm
  double Th = 0;     // phase difference to reference reading AC0, radian
  double Rs = 0;     // series resistance, ohm
  double Xs = 0;     // series reactance, ohm
  double Cs = 0;     // series capacitance, nF
  double Zm = 0;     // magnitude of the corrected impedance, ohm
  double Ratio = 0;  // Rs / Xs
  double Bp = 0;     // parallel susceptance, S
  double Gp = 0;     // parallel conductance, S
  double Cp = 0;     // parallel capacitance, nF
  double Rp = 0;     // parallel resistance, ohm
};

enum class IQLogKind { AC, DC, DC1 };

// A run log of the I/Q test in memory: entry 0 the header, 1..LogCount the rows of
// the current file.
struct IQRunLogTable {
  static constexpr int MaxRows = 1200;
  std::array<QString, MaxRows + 1> LogLines;
  int LogCount = 0;
  QString LogFileName;
  QString RowTimeText;  // the file stamp of a new file, then the time of the row being built
  IQLogKind Kind = IQLogKind::AC;
  QString ProgramDir;   // where the "log" folder lies, ending in "/"
};

struct IQTestState {
  // Reference readings of the AC calibration (lists AC0 and AC1).
  double Y0 = 0, Theta0 = 0, Y1 = 0, Theta1 = 0;
  // DC calibration result, ohm.
  double Resd_dc = 0;
  // The last measurement; Z.Resd and Z.Gain are also the AC calibration's results.
  double Y2 = 0, Theta2 = 0, DutTheta = 0;
  ImpedanceFigures Z;
  bool ACCalibrated = false;
  bool DCCalibrated = false;
  bool CapTestIdle = true;
  int IntervalMs = 250;
  // Shadow values of registers 23, 24, 26 and 27 saved by the DC calibration.
  int SavedDabitRegs[4] = {};
  IQRunLogTable Log;
  // Arrival times (local) of the last two sample packets of a DC run.
  QDateTime PacketTimePrev, PacketTimeNow;
};

struct BodyFatState {
  double Theta0 = 0;     // calibration phase, radian
  double Theta = 0;      // phase of the last sample
  double DutPhase = 0;   // Theta - Theta0 of the last sample
  double Gain = 0;       // Rref / Y0 of the calibration
  double Impedance = 0;  // Y x Gain of the last sample
  bool Calibrated = false;  // Theta0 and Gain come from a calibration
  bool TestIdle = true;
  bool AutoIdle = true;
  bool AutoMode = false;
  int ScanInterval = 250;  // ms
  // 0 the header, 1..count the rows, 1000 + n the calibration columns of sample n.
  static constexpr int LogLineCount = 2002;
  std::array<QString, LogLineCount> LogLines;
  static constexpr int MaxFilePairs = 100;
  std::array<QString, MaxFilePairs> RamFiles, RegFiles;
  int PairCount = 0;
  int ColumnAddr[6] = {};
  int ChannelIndex = 0;
  // Averages of the automatic test, one text per channel measured.
  static constexpr int MaxAverages = 1501;
  std::array<QString, MaxAverages> CalI, CalQ, TestI, TestQ;
  int AverageCount = 0;
  double Sums[4] = {};  // I0, Q0, I1, Q1 of the current channel
};

struct ImpedanceState {
  IQTestState IQTest;
  BodyFatState BodyFat;
};
