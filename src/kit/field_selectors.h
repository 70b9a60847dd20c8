#pragma once
// The window side of a panel field line: which switch positions of a selector or
// bits of a bank the chip definition offers, and their labels and combo items. The
// parser has already filled the field's descriptor (address, width, shift); these
// apply the line to the controls. Positions or bits beyond the controls given, or
// beyond the field's width, keep the state an earlier parse gave them.

#include <vector>

#include "link/chip_definition_listener.h"

class QComboBox;
class QLabel;
class QWidget;

// The positions 0 .. 2^width - 1 of a field, at most `limit`.
int FieldPositions(const TRegField& field, int limit);
// The bits 0 .. width - 1 of a field, at most `limit`.
int FieldBits(const TRegField& field, int limit);

// Bit i offered (caption word present and not "-"): both glyphs enabled; else disabled.
void GetBtnSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off);
// As GetBtnSel; the label of an offered bit is shown with the caption, of another emptied.
void GetBtnLblSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off,
                  const std::vector<QLabel*>& labels);
// A selector: for each position, offered: glyphs enabled, label shown with the caption
// and the code IntToBin(i, width) added to the combo; else glyphs disabled and label
// hidden. The combo is cleared first and selects its first item at the end.
void GetBtnLblCmbSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off,
                     QComboBox* combo, const std::vector<QLabel*>& labels);
