#pragma once
// Seven-segment display controls: TLcdArray shows text, TLedArray a decimal number
// with its point. Both compose the row off screen and paint it in one copy.

#include <QColor>
#include <QWidget>

#include "kit/segment_patterns.h"

class TSegmentArray : public QWidget {
  Q_OBJECT
public:
  explicit TSegmentArray(QWidget* parent = nullptr);

  QColor OnColor() const { return on_; }
  QColor OffColor() const { return off_; }
  QColor BackColor() const { return back_; }
  int SegWidth() const { return seg_; }
  int Margin() const { return margin_; }
  QString Caption() const { return caption_; }
  int Digit() const { return digit_; }
  int DotCount() const { return dots_; }
  bool LeftZero() const { return left_zero_; }

  void SetOnColor(const QColor& c);
  void SetOffColor(const QColor& c);
  void SetBackColor(const QColor& c);
  void SetSegWidth(int w);
  void SetMargin(int m);
  virtual void SetCaption(const QString& text) = 0;
  void SetDigit(int n);
  void SetDotCount(int n);
  void SetLeftZero(bool b) { left_zero_ = b; }

  // The pattern code of a place (0 leftmost).
  int Code(int place) const { return place >= 0 && place < segments::MaxDigits ? codes_[place] : 0; }
  // The place that carries the point, or -1 for none.
  virtual int PointPlace() const = 0;

protected:
  void paintEvent(QPaintEvent*) override;
  virtual void ParseCaption() = 0;
  void Recalc();

  QColor on_ = Qt::blue, off_ = Qt::black, back_ = Qt::black;
  int seg_ = 6, margin_ = 4, digit_ = 1, dots_ = 0;
  bool left_zero_ = true;
  QString caption_ = "0";
  segments::Codes codes_{};
  segments::Geometry geo_;
  QSize geo_size_;
};

class TLcdArray : public TSegmentArray {
  Q_OBJECT
public:
  explicit TLcdArray(QWidget* parent = nullptr);
  void SetCaption(const QString& text) override;
  int PointPlace() const override { return dots_ > 0 ? digit_ - dots_ - 1 : -1; }

protected:
  void ParseCaption() override;
};

class TLedArray : public TSegmentArray {
  Q_OBJECT
public:
  explicit TLedArray(QWidget* parent = nullptr);
  void SetCaption(const QString& text) override;
  int PointPlace() const override { return dots_ > 0 ? dots_ - 1 : -1; }

protected:
  void ParseCaption() override;
};
