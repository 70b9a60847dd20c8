#pragma once
// The hex keypad: a small modal window that asks for one hexadecimal value up to a
// maximum text ("FF", "FFF", "FFFF"); the entry ends by itself when that many
// digits are typed.

#include <QSize>
#include <functional>

#include "kit/form.h"

class QLabel;
class QLineEdit;
class QPushButton;

// Digit c may be typed at 0-based position pos when it is a hex digit (upper case)
// not above the character of maxText at that position (0 < .. < 9 < A < .. < F).
bool HexDigitAllowed(const QString& maxText, int pos, QChar c);

class TMxPopSelHex : public TDialogForm {
  Q_OBJECT
public:
  explicit TMxPopSelHex(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;

  // Opens modally at the screen point (kept on screen); true when accepted, and
  // then value holds the number typed.
  bool PopupHex(int x, int y, int& value, const QString& maxText, const QString& rangeText,
                const QString& caption);

  // The size of every keypad button (the toolkit's default push-button size).
  static constexpr int ButtonWidth = 75;
  static constexpr int ButtonHeight = 25;

  QWidget* BasePanel = nullptr;
  QLineEdit* ENum = nullptr;
  QLabel* PnlStatus = nullptr;
  // 16 digit buttons "0".."F", then "Enter", "Clear", "Cancel".
  QPushButton* Buttons[19] = {};
  QPushButton* BtnEnter() const { return Buttons[16]; }
  QPushButton* BtnClear() const { return Buttons[17]; }
  QPushButton* BtnCancel() const { return Buttons[18]; }

  // The screen the keypad keeps itself on (the primary screen unless told).
  std::function<QSize()> ScreenSize;

  bool Accepted() const { return accepted_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The filter's body, which eventFilter runs under the handler guard.
  bool FilterEvent(QObject* watched, QEvent* event);

private:
  void ButtonClick(int index);
  void TypeDigit(QChar c);
  void Finish(bool accepted);
  void TextChanged(const QString& text);

  QString maxText_;
  bool accepted_ = false;
  int lastValue_ = 0;
};
