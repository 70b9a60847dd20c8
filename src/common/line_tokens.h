#pragma once
// The line record and tokenizer with which the chip definition and the register
// files are read. Slot 1 holds the comment (from the first double quote or
// semicolon to the end of the line), slots 2 and 3 stay empty, slots 4..32 hold the
// words between blanks and TABs in order (29 words at most; further words are
// dropped). Positions are 1-based.

#include <QString>
#include <cstdint>

constexpr int LineRecMaxText = 160;
constexpr int LineRecSlots = 32;
constexpr int LineRecCommentSlot = 1;
constexpr int LineRecFirstWord = 4;

struct LineRec {
  QString Text;                                 // at most 160 characters
  uint8_t TokenStart[LineRecSlots + 1] = {};    // [1..32]; 0 = slot empty
  uint8_t TokenLength[LineRecSlots + 1] = {};   // [1..32]
};

// Empties the text and every slot.
void ResetLineRec(LineRec& rec);
// Records slot k (1..32); other slot numbers are ignored.
void SetLineToken(LineRec& rec, int slot, uint8_t start, uint8_t length);
// Number of words: slots from 4 on that are filled, counted up to the first empty one.
int LineTokenCount(const LineRec& rec);
// The text of slot k; empty for an empty or unknown slot.
QString LineToken(const LineRec& rec, int slot);
// Word n of the line, counted from 1 (slot n + 3).
inline QString LineWord(const LineRec& rec, int n) { return LineToken(rec, n + LineRecFirstWord - 1); }
// Fills the slots from the text (cut to 160 characters first); earlier slots are cleared.
void CutLIPara(LineRec& rec);
// Stores a line (its first 160 characters) and tokenizes it.
void SetLineText(LineRec& rec, const QString& line);

// Upper-cases the letters a-z only; every other character stays as it is.
QString UpperAscii(const QString& text);
