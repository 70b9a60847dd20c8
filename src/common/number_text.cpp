#include "common/number_text.h"

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Value of a hexadecimal digit, or -1.
int HexDigit(QChar c) {
  char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

bool IsHexLetter(QChar c) { return !IsDigit(c) && HexDigit(c) >= 0; }

}  // namespace

int32_t DecStrToInt(const QString& text) {
  uint32_t v = 0;
  bool negative = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (i == 0 && c == QLatin1Char('-')) {
      negative = true;
    } else if (IsDigit(c)) {
      v = v * 10u + static_cast<uint32_t>(c.unicode() - u'0');
    } else {
      return 0;
    }
  }
  return static_cast<int32_t>(negative ? 0u - v : v);
}

int32_t HexStrToInt(const QString& text) {
  uint32_t v = 0;
  for (QChar c : text) {
    int d = HexDigit(c);
    if (d < 0) return 0;
    v = (v << 4) | static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(v);
}

int32_t BinStrToInt(const QString& text) {
  uint32_t v = 0;
  for (QChar c : text) {
    if (c != QLatin1Char('0') && c != QLatin1Char('1')) return 0;
    v = (v << 1) | (c == QLatin1Char('1') ? 1u : 0u);
  }
  return static_cast<int32_t>(v);
}

bool ParseNumber(const QString& text, int32_t& value) {
  const qsizetype n = text.size();
  if (n == 0) return false;
  bool binary = false, decimal = false, hex = false, suffix = false;
  for (qsizetype i = 0; i < n; ++i) {
    QChar c = text[i];
    if (IsDigit(c)) continue;
    if (i == 0) {
      if (c != QLatin1Char('-') && c != QLatin1Char('+')) return false;
      decimal = true;
    } else if (i < n - 1) {
      if (!IsHexLetter(c)) return false;
      hex = true;
    } else {
      char16_t u = c.unicode();
      if (u == u'B' || u == u'b') binary = true;
      else if (u == u'D' || u == u'd') decimal = true;
      else if (u == u'H' || u == u'h') hex = true;
      else return false;
      suffix = true;
    }
  }
  if (int(binary) + int(decimal) + int(hex) > 1) return false;
  QString digits = text;
  if (suffix) digits.chop(1);
  if (digits.startsWith(QLatin1Char('+'))) digits.remove(0, 1);
  if (binary) value = BinStrToInt(digits);
  else if (hex) value = HexStrToInt(digits);
  else value = DecStrToInt(digits);
  return true;
}

int CharClass(QChar c) {
  char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return 0;
  if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')) return 1;
  return 2;
}

QString IntToHexW(uint16_t value, uint16_t width) {
  return QStringLiteral("%1").arg(value, width, 16, QLatin1Char('0')).toUpper();
}

QString IntToDecW(uint16_t value, uint16_t width) {
  return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString IntToHexNoPad(uint32_t value) { return QString::number(value, 16).toUpper(); }

QString IntToBin(int32_t value, int digits) {
  QString s;
  if (digits < 1) return s;
  const uint32_t v = static_cast<uint32_t>(value);
  s.reserve(digits);
  for (int bit = digits - 1; bit >= 0; --bit) s.append(bit < 32 && ((v >> bit) & 1u) ? u'1' : u'0');
  return s;
}

bool IsHexDigit(QChar c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
