#pragma once
// Keeps a window on the screen: its size fits the screen and at least 20 pixels of
// it stay on screen to the right and below. A window off the left or top edge is
// left where it is.

#include <QRect>
#include <QSize>

QRect KeepOnScreen(const QRect& window, const QSize& screen);
