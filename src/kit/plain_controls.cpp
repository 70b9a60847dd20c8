#include "kit/plain_controls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "common/number_text.h"

void SetNamedVisible(QObject* owner, std::initializer_list<const char*> names, bool visible) {
  for (const char* n : names)
    if (auto* w = owner->findChild<QWidget*>(n)) w->setVisible(visible);
}

void SetNamedEnabled(QObject* owner, std::initializer_list<const char*> names, bool enabled) {
  for (const char* n : names)
    if (auto* w = owner->findChild<QWidget*>(n)) w->setEnabled(enabled);
}

void SelectItem(QComboBox* box, int index) {
  if (box) box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

QLabel* CaptionLabel(QWidget* parent, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return l;
}

PlainControls::PlainControls(QWidget* host) : PlainControls(host, 4, 4) {}

PlainControls::PlainControls(QWidget* host, int left, int top) : host_(host), left_(left), x_(left), y_(top) {}

void PlainControls::NewRow() {
  x_ = left_;
  y_ += rowHeight_ + 4;
  rowHeight_ = 0;
}

QWidget* PlainControls::Place(QWidget* w, int width, int height) {
  w->setGeometry(x_, y_, width, height);
  x_ += width + 2;
  rowHeight_ = std::max(rowHeight_, height);
  return w;
}

QWidget* PlainControls::Glyph(const QString& name) {
  auto* b = new QPushButton(host_);
  b->setObjectName(name);
  b->setFlat(true);
  b->setCheckable(true);
  b->setToolTip(name);
  Place(b, 14, 14);
  return b;
}

std::vector<QWidget*> PlainControls::Glyphs(const QString& prefix, int from, int to) {
  std::vector<QWidget*> v;
  for (int i = from; i <= to; ++i) v.push_back(Glyph(prefix + QString::number(i)));
  return v;
}

QLabel* PlainControls::Label(const QString& name, const QString& text) {
  auto* l = new QLabel(text, host_);
  l->setObjectName(name);
  Place(l, 48, 14);
  return l;
}

std::vector<QLabel*> PlainControls::Labels(const QString& prefix, int from, int to, int digits) {
  std::vector<QLabel*> v;
  for (int i = from; i <= to; ++i)
    v.push_back(Label(prefix + QStringLiteral("%1").arg(i, digits, 10, QLatin1Char('0'))));
  return v;
}

QLabel* PlainControls::Panel(const QString& name, const QString& caption) {
  auto* p = new QLabel(caption, host_);
  p->setObjectName(name);
  p->setFrameStyle(QFrame::Panel | QFrame::Raised);
  p->setAlignment(Qt::AlignCenter);
  Place(p, 64, 18);
  return p;
}

QFrame* PlainControls::Frame(const QString& name, int width, int height) {
  auto* f = new QFrame(host_);
  f->setObjectName(name);
  f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Place(f, width, height);
  return f;
}

QFrame* PlainControls::Cover(const QString& name) {
  auto* f = new QFrame(host_);
  f->setObjectName(name);
  f->setFrameStyle(QFrame::NoFrame);
  f->setAutoFillBackground(true);
  Place(f, 24, 14);
  return f;
}

QComboBox* PlainControls::Combo(const QString& name, const QStringList& items) {
  auto* c = new QComboBox(host_);
  c->setObjectName(name);
  c->addItems(items);
  Place(c, 72, 20);
  return c;
}

QPushButton* PlainControls::Button(const QString& name, const QString& caption) {
  auto* b = new QPushButton(caption, host_);
  b->setObjectName(name);
  Place(b, 64, 20);
  return b;
}

QStringList PlainControls::Codes(int digits) {
  QStringList codes;
  for (int i = 0; i < (1 << digits); ++i) codes << IntToBin(i, digits);
  return codes;
}
