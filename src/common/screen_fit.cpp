#include "common/screen_fit.h"

QRect KeepOnScreen(const QRect& window, const QSize& screen) {
  const int W = screen.width();
  const int H = screen.height();
  int width = window.width();
  int height = window.height();
  int left = window.x();
  int top = window.y();
  if (W < width) width = W;
  if (H < height) height = H;
  if (left > W) left = W - width;
  else if (left > W - 20) left = W - 20;
  if (top > H) top = H - height;
  else if (top > H - 20) top = H - 20;
  return QRect(left, top, width, height);
}
