#include "shell/screen_fit_widget.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "common/screen_fit.h"

void KeepOnScreen(QWidget& window) {
  QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect fitted = KeepOnScreen(QRect(window.pos(), window.size()), screen->geometry().size());
  if (fitted.size() != window.size()) window.resize(fitted.size());
  if (fitted.topLeft() != window.pos()) window.move(fitted.topLeft());
}
