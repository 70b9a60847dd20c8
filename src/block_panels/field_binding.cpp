#include "block_panels/field_binding.h"

#include <algorithm>

#include "link/mx_up.h"

namespace {
constexpr int Channel = 0;
constexpr int MaxCodeDigits = 32;

int PositionsOfWidth(int width) { return width >= 8 ? 256 : 1 << std::max(width, 0); }
}  // namespace

uint8_t FieldValue(const TRegField& f, uint8_t reg) { return f.Shift >= 8 ? 0 : f.From(reg); }

bool FieldWritable(const TRegField& f) { return f.Defined != 0 && f.Width > 0 && f.Shift < 8; }

uint8_t ComposeField(const TRegField& f, uint8_t reg, int value) {
  if (f.Shift >= 8) return reg;
  // Into keeps only the field's bits of the value.
  return f.Into(reg, static_cast<uint8_t>(value));
}

uint8_t ComposeBit(const TRegField& f, uint8_t reg, int bit, BitOp op) {
  int pos = f.Shift + bit;
  if (bit < 0 || pos >= 8) return reg;
  auto b = static_cast<uint8_t>(1u << pos);
  switch (op) {
    case BitOp::Clear: return static_cast<uint8_t>(reg & ~b);
    case BitOp::Set: return static_cast<uint8_t>(reg | b);
    case BitOp::Invert: return static_cast<uint8_t>(reg ^ b);
  }
  return reg;
}

uint8_t ToggledValue(uint8_t cached) { return cached == 0 ? 1 : 0; }

int FieldPositions(const TRegField& f) { return PositionsOfWidth(f.Width); }

int PaintedPosition(int v, int count) { return v >= 0 && v < count ? v : 0; }

int CheckedChoice(const TRegField& f, int k) { return k >= 0 && k <= f.Mask() ? k : f.Value; }

QString BinaryCode(int value, int digits) {
  if (digits < 1) return {};
  if (digits > MaxCodeDigits) digits = MaxCodeDigits;
  auto bits = static_cast<uint32_t>(value);
  QString s(digits, '0');
  for (int i = 0; i < digits; ++i)
    if ((bits >> (digits - 1 - i)) & 1u) s[i] = '1';
  return s;
}

int PositionOfCode(const QString& text, int width) {
  int found = 0;
  for (int i = 0; i < PositionsOfWidth(width); ++i)
    if (BinaryCode(i, width) == text) found = i;
  return found;
}

uint8_t ReadField(const TMx_UP& up, const TRegField& f) { return FieldValue(f, up.GetReg(f.Address, Channel)); }

bool WriteField(TMx_UP& up, const TRegField& f, int value) {
  if (!FieldWritable(f)) return false;
  up.WriteReg(f.Address, ComposeField(f, up.GetReg(f.Address, Channel), value), Channel);
  return true;
}

bool WriteFieldBit(TMx_UP& up, const TRegField& f, int bit, BitOp op) {
  if (f.Defined == 0 || bit < 0 || f.Shift + bit >= 8) return false;
  up.WriteReg(f.Address, ComposeBit(f, up.GetReg(f.Address, Channel), bit, op), Channel);
  return true;
}

bool RefreshField(const TMx_UP& up, TRegField& f, Repaint when) {
  uint8_t v = ReadField(up, f);
  bool changed = v != f.Value;
  f.Value = v;
  return when == Repaint::Always || changed;
}

bool RefreshFields(const TMx_UP& up, std::initializer_list<TRegField*> fields) {
  bool changed = false;
  for (TRegField* f : fields) changed = ReadField(up, *f) != f->Value || changed;
  if (!changed) return false;
  for (TRegField* f : fields) f->Value = ReadField(up, *f);
  return true;
}
