#pragma once
// How the chip-definition parser reaches the windows: it fills the register model
// and the field descriptors itself and tells each listener what the definition
// says, in file order; every window applies what concerns its own controls. The
// parser touches no widget.
//
// One parse calls, in this order:
//   ParseStarted                       always (before the product list is read)
//   DefinitionOpened                   when both files exist, before the first line
//   KeywordMet / ProductLine / RamBankShown / ByteRegisterDeclared /
//   WordRegisterDeclared / AccessLine / FieldLineRead     per line, in file order
//   ParseEnded                         after the last line and the parser's own fix-ups

#include <QString>
#include <cstdint>

#include "common/field_descriptors.h"
#include "common/line_tokens.h"

// Keyword codes (the first word of a line). Sections make the following lines data of
// that section; flags act once.
namespace ChipKeyword {
enum Code : uint16_t {
  Product = 1,
  Reg0 = 5,
  Reg1 = 6,
  RamBank0 = 7,  // .. RamBank4 = 11
  RamBank4 = 11,
  RegBit = 12,   // bit page 1; "#REGBIT1" .. "#REGBIT5" are 13 .. 17 (pages 2 .. 6)
  RegBit5 = 17,
  RegByte = 18,
  RegWord = 19,
  Adc0S = 30,
  Op0S = 31,
  Fluke = 33,
  Power = 36,
  Enob = 37,
  Continue = 38,
  Chamber = 39,
  RegisterTest = 40,
  Dac0S = 41,
  ActualClk = 42,
  DcMode = 44,
  AutoLoad = 45,
  Access = 46,
  Waveform = 47,
  IqTest = 48,
  Bodyfat = 49,
  BodyfatPanel = 50,
  Calculate = 51,
  CapTest = 52,
  LoadMx52k = 53,
  Ekg = 54,
  SimpleAcMode = 55,
  CatchIq = 56,
  None = 255,  // any other word
};
}  // namespace ChipKeyword

// Which of the lines that decide the cover panels were met.
struct ChipDefinitionSeen {
  bool DAOE = false;     // a "DAOE" line of "#DAC0S"
  bool DAOE2 = false;    // a "DAOE2" line of "#DAC0S"
  bool OP2NET1 = false;  // an "OP2NET1" line of "#OP0S"
  bool RFB = false;
  bool RFB2 = false;
  bool OP1P8 = false;    // an "OP1P" line of width 8
};

// One field line of "#ADC0S", "#OP0S", "#DAC0S" or "#BODYFATPANEL" whose name the
// section knows, after the parser has filled its descriptor. Words: 1 address,
// 2 name, 3 width, 4 shift, 5.. the captions of positions or bits 0, 1, ...
struct FieldLine {
  uint16_t Section;        // ChipKeyword code of the section
  FieldId Id;
  const TRegField& Field;  // the descriptor as the line left it
  const LineRec& Line;

  // Caption word of position or bit i (empty when missing).
  QString Caption(int i) const { return LineWord(Line, 5 + i); }
  // Position or bit i is offered: its caption word is present and not "-".
  bool Offered(int i) const {
    QString c = Caption(i);
    return !c.isEmpty() && c != QLatin1String("-");
  }
};

class ChipDefinitionListener {
public:
  virtual ~ChipDefinitionListener() = default;
  // Every parse, first: the resets that come before the product list is read.
  virtual void ParseStarted() {}
  // The include file exists: the resets of menus, views and optional controls.
  virtual void DefinitionOpened() {}
  // A keyword line (section header or flag); its effect is the listener's.
  virtual void KeywordMet(uint16_t /*code*/) {}
  // Every data line of "#PRODUCT", with the product name it leaves.
  virtual void ProductLine(const QString& /*productName*/) {}
  // A "#RAMBANKn" line whose end lies above its start.
  virtual void RamBankShown(int /*bank*/) {}
  // A "#REGBYTE" / "#REGWORD" line: its index among the declared ones and its name
  // (the names live only in the register view's grids).
  virtual void ByteRegisterDeclared(int /*index*/, const QString& /*name*/) {}
  virtual void WordRegisterDeclared(int /*index*/, const QString& /*name*/) {}
  // A line of "#ACCESS", exactly as read (case and blanks kept).
  virtual void AccessLine(const QString& /*rawLine*/) {}
  // A field line with a known name (see FieldLine).
  virtual void FieldLineRead(const FieldLine& /*line*/) {}
  // The whole file is read: the final fix-ups of the windows.
  virtual void ParseEnded(const ChipDefinitionSeen& /*seen*/) {}
};
