#pragma once
// The chip definition: the product list "MxSel.INC" (in Globals::IncludeDir, one
// product a line, the first word naming its include file) and the product's include
// file in the program folder's "Include/" (names matched without regard to case).
// A parse resets what it owns, reads the include file line by line, fills the
// register model, the field descriptors, the caption tables and the I/Q register
// lists in Globals, and tells its listeners what concerns the windows.

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "common/globals.h"
#include "link/chip_definition_listener.h"

class ChipDefinition {
public:
  // programDir: the folder holding "Include/" (with or without a trailing "/").
  ChipDefinition(Globals& g, const QString& programDir);

  // Told in this order; the shell fills the list at start-up.
  std::vector<ChipDefinitionListener*> Listeners;

  // One complete parse of the definition of product Channels[0].ProductIndex. True
  // when both files were found and read to the end; false when either is missing.
  // A file that cannot be read raises EInOutError.
  bool GetSELUP();

  // The keyword code of a word (ChipKeyword), 255 for any other word.
  static uint16_t IsPseudo(const QString& word);

  // The seen flags of the last parse that got as far as the include file.
  const ChipDefinitionSeen& Seen() const { return seen_; }
  // The include file of the last parse that got as far as it, and how many of its
  // lines were keywords (none: the file is empty or not a chip definition).
  const QString& IncludePath() const { return includePath_; }
  int KeywordLines() const { return keywordLines_; }

  // A line of the include file: its number (from 1) and its text, trimmed and cut to
  // the 160 characters the tokenizer reads.
  struct FileLine {
    int Number = 0;
    QString Text;
  };
  // The register-list lines ("#CALCULATE", "#CAPTEST") of the last parse that got as
  // far as the include file whose address names no register or RAM byte of the chip
  // (100h..17Fh, 200h and up): a job applying them sets nothing on the chip. Their
  // entries stay in the lists all the same.
  const QList<FileLine>& CelllessListLines() const { return celllessListLines_; }

private:
  QString FindIncludeFile(const QString& upperName) const;
  void DataLine(uint16_t section, const QString& raw, const LineRec& line);
  void BitRegisterLine(int page, const LineRec& line);
  void ByteRegisterLine(const LineRec& line);
  void WordRegisterLine(const LineRec& line);
  void RangeLine(RegRange& range, const LineRec& line);
  void RamBankLine(int bank, const LineRec& line);
  void ClockLine(const LineRec& line);
  void FieldLineOf(uint16_t section, const LineRec& line);
  void AdcFieldLine(FieldId id, const LineRec& line);
  void IqListLine(uint16_t section, const QString& raw, const LineRec& line);
  // The running number: a word that does not parse leaves it as it was.
  int32_t Number(const LineRec& line, int word);
  template <typename Fn>
  void Tell(Fn&& fn) {
    for (ChipDefinitionListener* l : Listeners)
      if (l) fn(*l);
  }

  Globals& g_;
  QString programDir_;
  int32_t number_ = 0;
  ChipDefinitionSeen seen_;
  QString includePath_;
  int keywordLines_ = 0;
  int lineNumber_ = 0;  // of the line being read
  QList<FileLine> celllessListLines_;
};

// The Setup dialog's product list from "MxSel.INC" in includeDir: per line (upper-
// cased) word 2 + two blanks + word 3, up to the first line whose first word has
// fewer than 3 characters; without the file the built-in list. A file that cannot be
// read raises EInOutError.
QStringList ProductListItems(const QString& includeDir);
// The built-in product list of 64 items.
QStringList BuiltInProductItems();
