#pragma once
// Drives the modal hex keypad from a test: the keys or clicks run once the keypad's
// modal loop has started, and a keypad still open afterwards fails the test.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "shell/hex_keypad.h"

// Sends one key to the keypad's edit: a character, or a key code without text.
inline void KeypadKey(TMxPopSelHex& kp, QChar c) {
  int code = c.isDigit() ? Qt::Key_0 + (c.unicode() - u'0')
           : c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - u'A')
                          : c.unicode();
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(c));
  QCoreApplication::sendEvent(kp.ENum, &press);
}
inline void KeypadKeyCode(TMxPopSelHex& kp, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(kp.ENum, &press);
}
// Types text into the keypad; "\n" is Enter, "\x1b" Esc, "\b" Backspace.
inline void KeypadType(TMxPopSelHex& kp, const QString& keys) {
  for (QChar c : keys) {
    if (!kp.isVisible()) return;
    if (c == '\n') KeypadKeyCode(kp, Qt::Key_Return);
    else if (c == '\x1b') KeypadKeyCode(kp, Qt::Key_Escape);
    else if (c == '\b') KeypadKeyCode(kp, Qt::Key_Backspace);
    else KeypadKey(kp, c);
  }
}

// Runs `during` inside the next modal loop of the keypad, which `open` starts.
inline void WithKeypad(TMxPopSelHex& kp, const std::function<void()>& open, std::function<void()> during) {
  bool ran = false;
  QTimer::singleShot(0, &kp, [&kp, &ran, during] {
    ran = true;
    if (!kp.isVisible()) {
      ADD_FAILURE() << "the keypad did not open";
      return;
    }
    during();
    if (kp.isVisible()) {
      ADD_FAILURE() << "the keypad stayed open";
      kp.reject();
    }
  });
  open();
  if (!ran) QCoreApplication::processEvents();
}

// Opens the keypad with `open`, types `keys` and returns the keypad's caption.
inline QString TypeIntoKeypad(TMxPopSelHex& kp, const std::function<void()>& open, const QString& keys) {
  QString caption;
  WithKeypad(kp, open, [&] {
    caption = kp.windowTitle();
    KeypadType(kp, keys);
  });
  return caption;
}

// `action` must not open the keypad.
inline void WithoutKeypad(TMxPopSelHex& kp, const std::function<void()>& action) {
  QTimer::singleShot(0, &kp, [&kp] {
    if (kp.isVisible()) {
      ADD_FAILURE() << "the keypad opened";
      kp.reject();
    }
  });
  action();
  QCoreApplication::processEvents();
}
