#include "kit/field_selectors.h"

#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <algorithm>

#include "common/number_text.h"

int FieldPositions(const TRegField& field, int limit) {
  return field.Width >= 30 ? limit : std::min(limit, 1 << field.Width);
}

int FieldBits(const TRegField& field, int limit) { return std::min<int>(limit, field.Width); }

namespace {

void EnablePair(const std::vector<QWidget*>& on, const std::vector<QWidget*>& off, size_t i, bool enabled) {
  if (i < on.size() && on[i]) on[i]->setEnabled(enabled);
  if (i < off.size() && off[i]) off[i]->setEnabled(enabled);
}

}  // namespace

void GetBtnSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off) {
  const int n = FieldBits(line.Field, static_cast<int>(on.size()));
  for (int i = 0; i < n; ++i) EnablePair(on, off, i, line.Offered(i));
}

void GetBtnLblSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off,
                  const std::vector<QLabel*>& labels) {
  const int n = FieldBits(line.Field, static_cast<int>(on.size()));
  for (int i = 0; i < n; ++i) {
    const bool offered = line.Offered(i);
    EnablePair(on, off, i, offered);
    if (static_cast<size_t>(i) >= labels.size() || !labels[i]) continue;
    if (offered) {
      labels[i]->setText(line.Caption(i));
      labels[i]->show();
    } else {
      labels[i]->setText(QString());
    }
  }
}

void GetBtnLblCmbSel(const FieldLine& line, const std::vector<QWidget*>& on, const std::vector<QWidget*>& off,
                     QComboBox* combo, const std::vector<QLabel*>& labels) {
  if (combo) combo->clear();
  const int n = FieldPositions(line.Field, static_cast<int>(on.size()));
  for (int i = 0; i < n; ++i) {
    const bool offered = line.Offered(i);
    EnablePair(on, off, i, offered);
    QLabel* label = static_cast<size_t>(i) < labels.size() ? labels[i] : nullptr;
    if (offered) {
      if (label) {
        label->setText(line.Caption(i));
        label->show();
      }
      if (combo) combo->addItem(IntToBin(i, line.Field.Width));
    } else if (label) {
      label->hide();
    }
  }
  if (combo) combo->setCurrentIndex(0);
}
