#pragma once
// The number edits of the waveform windows: digits only (Backspace and Tab pass, any
// other key that carries a character is dropped), Enter confirms, and the user moving the
// focus to another control (Tab, mouse, shortcut) leaves the edit. A message box or
// another window taking the focus, or the window being hidden or destroyed, is not a
// leave. An error Enter or the leave raises is shown on the window's `show`.

#include <QObject>
#include <functional>

#include "common/handler_guard.h"

class QLineEdit;
class QWidget;

class DigitKeyFilter : public QObject {
  Q_OBJECT
public:
  DigitKeyFilter(const ErrorShow& show, QLineEdit* edit, std::function<void()> onEnter,
                 std::function<void()> onLeave);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool Filter(QEvent* event);
  const ErrorShow& show_;
  std::function<void()> onEnter_;
  std::function<void()> onLeave_;
};

// A named edit with its text, input limit and the filter.
QLineEdit* DigitEdit(const ErrorShow& show, QWidget* parent, const QString& name, const QString& text, int maxLength,
                     std::function<void()> onEnter, std::function<void()> onLeave);
