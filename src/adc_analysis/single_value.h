#pragma once
// The board firmware's single-value request of the analysis window's hidden preview:
// a 9-byte command (BEh with "Photo" checked, else BAh) answered by the status and
// two 24-bit values A and B, low byte first, from which the chosen combination makes
// one reading; the preview's display text and the voltmeter calibration.

#include <QString>
#include <cstdint>
#include <optional>

class BoardCommands;
class Clock;

struct SingleValueRequest {
  bool Photo = true;      // the Setup dialog's "Photo"
  uint16_t LinkKind = 5;  // of Channels[0]
  int Combination = 0;    // "Free", "Cancel Pos Zero", "Cancel Neg Zero", "Chopper "; -1 none
  int Address = 0xD4;     // what "PreADCAddr" reads as in hexadecimal
  int Divisor = 1;        // ScaleDivisor
};

constexpr int SingleValueCommandLength = 9;
constexpr int SingleValueReplyLength = 7;

// The command bytes, into the packet's first nine bytes.
void BuildSingleValueCommand(uint8_t* packet, const SingleValueRequest& request);
// The reading of A and B by combination (no selection reads as "Free").
int32_t CombineReading(int combination, int32_t a, int32_t b);

// One exchange: value takes the reading whenever both transfers succeed; true only
// when the reply's status is FAh.
bool RetADCValue(BoardCommands& board, const SingleValueRequest& request, int& value);

// The preview's caption of a reading: the reading itself (mode 0), or scaled by the
// calibration like a voltmeter (mode 1); nothing without a calibration reading.
std::optional<QString> PreviewCaption(int mode, int32_t reading, int calValue, int calReading);

// The calibration's three readings in a row, each tried again (every 10 ms) until
// its status is good or two seconds have passed. reading takes the last value an
// exchange brought and is left alone when none succeeded.
void CalibrationReadings(BoardCommands& board, const SingleValueRequest& request, int& reading);
