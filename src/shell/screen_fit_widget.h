#pragma once
// KeepOnScreen for a window: fits it to the screen it is on.

class QWidget;

void KeepOnScreen(QWidget& window);
