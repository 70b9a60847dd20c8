#pragma once
// Numbers as text in the forms the chip definition, the register files and the
// displays use: decimal, hexadecimal, binary, and numbers with a B, H or D radix
// suffix. None of these raises: a foreign character gives 0 (or False for
// ParseNumber, which then leaves its value untouched). Values wrap at 32 bits.

#include <QChar>
#include <QString>
#include <cstdint>

// Decimal digits with an optional "-" as the very first character; anything else gives 0.
int32_t DecStrToInt(const QString& text);
// Digits 0-9, A-F, a-f without prefix or sign; anything else gives 0.
int32_t HexStrToInt(const QString& text);
// Digits 0 and 1; anything else gives 0.
int32_t BinStrToInt(const QString& text);
// A number with an optional leading sign or a radix suffix (B, H, D): "0FFH", "1A2",
// "-12", "101B". On False the value is left as it was.
bool ParseNumber(const QString& text, int32_t& value);

// 0 = digit 0-9, 1 = letter A-Z or a-z, 2 = anything else.
int CharClass(QChar c);
// 0-9, A-F or a-f.
bool IsHexDigit(QChar c);

// Upper-case hexadecimal without leading zeros, padded with "0" up to width; never cut.
QString IntToHexW(uint16_t value, uint16_t width);
// Decimal, padded with "0" up to width; never cut.
QString IntToDecW(uint16_t value, uint16_t width);
// Upper-case hexadecimal of the 32-bit value without leading zeros ("0" for zero).
QString IntToHexNoPad(uint32_t value);
// Exactly `digits` characters "0"/"1": the lowest bits of value, most significant
// first; empty when digits < 1.
QString IntToBin(int32_t value, int digits);
