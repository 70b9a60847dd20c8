#include "common/line_tokens.h"

#include <algorithm>

void ResetLineRec(LineRec& rec) {
  rec.Text.clear();
  std::fill(std::begin(rec.TokenStart), std::end(rec.TokenStart), uint8_t{0});
  std::fill(std::begin(rec.TokenLength), std::end(rec.TokenLength), uint8_t{0});
}

void SetLineToken(LineRec& rec, int slot, uint8_t start, uint8_t length) {
  if (slot < 1 || slot > LineRecSlots) return;
  rec.TokenStart[slot] = start;
  rec.TokenLength[slot] = length;
}

int LineTokenCount(const LineRec& rec) {
  int n = 0;
  for (int k = LineRecFirstWord; k <= LineRecSlots && rec.TokenStart[k] != 0; ++k) ++n;
  return n;
}

QString LineToken(const LineRec& rec, int slot) {
  if (slot < 1 || slot > LineRecSlots || rec.TokenStart[slot] == 0) return {};
  return rec.Text.mid(rec.TokenStart[slot] - 1, rec.TokenLength[slot]);
}

void CutLIPara(LineRec& rec) {
  if (rec.Text.size() > LineRecMaxText) rec.Text.truncate(LineRecMaxText);
  std::fill(std::begin(rec.TokenStart), std::end(rec.TokenStart), uint8_t{0});
  std::fill(std::begin(rec.TokenLength), std::end(rec.TokenLength), uint8_t{0});
  const QString& t = rec.Text;
  const int length = static_cast<int>(t.size());
  int end = length;  // words lie in positions 1 .. end
  for (int i = 0; i < length; ++i) {
    if (t[i] == u'"' || t[i] == u';') {
      SetLineToken(rec, LineRecCommentSlot, uint8_t(i + 1), uint8_t(length - i));
      end = i;
      break;
    }
  }
  int slot = LineRecFirstWord;
  int i = 0;
  while (i < end && slot <= LineRecSlots) {
    while (i < end && (t[i] == u' ' || t[i] == u'\t')) ++i;
    if (i >= end) break;
    int start = i;
    while (i < end && t[i] != u' ' && t[i] != u'\t') ++i;
    SetLineToken(rec, slot++, uint8_t(start + 1), uint8_t(i - start));
  }
}

void SetLineText(LineRec& rec, const QString& line) {
  rec.Text = line.left(LineRecMaxText);
  CutLIPara(rec);
}

QString UpperAscii(const QString& text) {
  QString s = text;
  for (QChar& c : s)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - (u'a' - u'A'));
  return s;
}
