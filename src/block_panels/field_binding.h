#pragma once
// How the block panels bind a control to a register field: the field read from the
// register shadow, the read-modify-write that changes one field or one bit of it and
// keeps the register's other bits, and the small decisions every control kind makes
// (which position a value paints, whether a combo choice fits the field, the binary
// codes of the combo items). No widget here; the widget kit builds on it.
//
// The panels read only the shadow (GetReg, no board traffic) and write through
// WriteReg, which reads the register back and runs the refresh chain. Channel 0 always.

#include <QString>
#include <cstdint>
#include <initializer_list>

#include "common/reg_field.h"

class TMx_UP;

// ---- Field arithmetic on one register byte -------------------------------------------

// The field's value inside a register byte; 0 for a field that lies outside the byte
// (shift 8 or more) or has no bits.
uint8_t FieldValue(const TRegField& f, uint8_t reg);

// True when a write to the field can reach the chip: the chip definition filled it,
// it has bits and its lowest bit lies inside the byte. A descriptor the definition
// never named (address 0, width 0) is not writable: clicks on its controls are ignored
// instead of writing into register 0.
bool FieldWritable(const TRegField& f);

// The register byte with the field replaced by value and the other bits kept. A value
// above the field's range is cut to the field's bits, so it never spills into the
// neighbouring fields. A field outside the byte leaves the byte as it is.
uint8_t ComposeField(const TRegField& f, uint8_t reg, int value);

enum class BitOp { Clear, Set, Invert };

// The register byte with bit `bit` of the field (counted from its lowest bit) cleared,
// set or inverted; a bit outside the byte leaves it as it is. The field's width is not
// checked here: the panels decide which bits a bank offers.
uint8_t ComposeBit(const TRegField& f, uint8_t reg, int bit, BitOp op);

// What a one-bit toggle writes when it inverts its cached value: 0 becomes 1, anything
// else 0.
uint8_t ToggledValue(uint8_t cached);

// ---- Selector decisions ---------------------------------------------------------------

// Number of values the field can hold: 2^width (1 for width 0, 256 from 8 bits up).
int FieldPositions(const TRegField& f);

// The position a selector of `count` positions paints for value v: v itself when it is
// one of its positions, else 0.
int PaintedPosition(int v, int count);

// A combo choice k checked against the field: k when it is within the field's range,
// else the cached value (the combo lists more codes than the field has bits).
int CheckedChoice(const TRegField& f, int k);

// Exactly `digits` characters "0"/"1": the lowest bits of value, most significant first;
// empty when digits < 1. At most 32 digits.
QString BinaryCode(int value, int digits);

// The last position 0 .. 2^width - 1 whose binary code of `width` digits equals text;
// 0 when none does.
int PositionOfCode(const QString& text, int width);

// ---- Shadow read and register write ---------------------------------------------------

// Field read from the register shadow (no board traffic).
uint8_t ReadField(const TMx_UP& up, const TRegField& f);

// Read-modify-write of the field: the other bits of the register come from the shadow.
// Returns false (and writes nothing) when the field is not writable. A write whose
// packet went out is in the shadow whatever became of its reply, and WriteReg refreshes;
// one the link refuses leaves the shadow as it was and runs no refresh.
bool WriteField(TMx_UP& up, const TRegField& f, int value);

// Read-modify-write of one bit of the field (counted from its lowest bit). Returns false
// (nothing written) when the field was never defined or the bit lies outside the byte.
bool WriteFieldBit(TMx_UP& up, const TRegField& f, int bit, BitOp op);

// ---- DataUpdate steps -----------------------------------------------------------------

enum class Repaint { Always, OnChange };

// One step of a panel's DataUpdate: the field read into the cached value. Returns true
// when the field's controls are to be repainted now: always, or with OnChange only when
// the value differs from the cached one.
bool RefreshField(const TMx_UP& up, TRegField& f, Repaint when);

// Fields painted together (a caption made of several fields): when any of them differs
// from its cached value, all are stored and true is returned.
bool RefreshFields(const TMx_UP& up, std::initializer_list<TRegField*> fields);
