#include "kit/segment_display.h"

#include <QPainter>
#include <QPixmap>

TSegmentArray::TSegmentArray(QWidget* parent) : QWidget(parent) {
  resize(40, 60);
  codes_.fill(0);
}

void TSegmentArray::Recalc() {
  geo_ = segments::CalcGeometry(width(), height(), margin_, seg_, digit_);
  geo_size_ = size();
}

void TSegmentArray::SetOnColor(const QColor& c) {
  if (c != on_) {
    on_ = c;
    update();
  }
}

void TSegmentArray::SetOffColor(const QColor& c) {
  if (c != off_) {
    off_ = c;
    update();
  }
}

void TSegmentArray::SetBackColor(const QColor& c) {
  if (c != back_) {
    back_ = c;
    update();
  }
}

void TSegmentArray::SetSegWidth(int w) {
  if (w != seg_) {
    seg_ = w;
    Recalc();
    update();
  }
}

void TSegmentArray::SetMargin(int m) {
  if (m != margin_) {
    margin_ = m;
    Recalc();
    update();
  }
}

void TSegmentArray::SetDigit(int n) {
  // Fewer than one place is taken as one.
  if (n < 1) n = 1;
  if (n == digit_ || n > segments::MaxDigits) return;
  digit_ = n;
  Recalc();
  update();
}

void TSegmentArray::SetDotCount(int n) {
  if (n != dots_) {
    dots_ = n;
    update();
  }
}

void TSegmentArray::paintEvent(QPaintEvent*) {
  if (size() != geo_size_) Recalc();
  QPixmap bitmap(size());
  bitmap.fill(back_);
  QPainter p(&bitmap);
  p.setPen(back_);
  for (int place = 0; place < digit_; ++place) {
    uint8_t mask = segments::Mask(codes_[place]);
    auto polys = geo_.Segments(place);
    for (int s = 0; s < 7; ++s) {
      p.setBrush((mask >> s) & 1 ? on_ : off_);
      p.drawPolygon(polys[s]);
    }
  }
  int point = PointPlace();
  if (dots_ > 0) {
    p.setBrush(on_);
    p.drawPolygon(geo_.Point(point));
  }
  p.end();
  QPainter screen(this);
  screen.drawPixmap(1, 1, bitmap);
}

TLcdArray::TLcdArray(QWidget* parent) : TSegmentArray(parent) {
  ParseCaption();
  Recalc();
}

void TLcdArray::SetCaption(const QString& text) {
  if (text != caption_) caption_ = text;
  ParseCaption();
}

void TLcdArray::ParseCaption() {
  segments::ParseLcdCaption(caption_, digit_, codes_);
  update();
}

TLedArray::TLedArray(QWidget* parent) : TSegmentArray(parent) {
  ParseCaption();
  Recalc();
}

void TLedArray::SetCaption(const QString& text) {
  if (text == caption_) return;
  caption_ = text;
  ParseCaption();
}

void TLedArray::ParseCaption() {
  segments::ParseLedCaption(caption_, digit_, dots_, left_zero_, codes_);
  update();
}
