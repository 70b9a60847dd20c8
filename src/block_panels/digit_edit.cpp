#include "block_panels/digit_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "common/handler_guard.h"

DigitKeyFilter::DigitKeyFilter(const ErrorShow& show, QLineEdit* edit, std::function<void()> onEnter,
                               std::function<void()> onLeave)
    : QObject(edit), show_(show), onEnter_(std::move(onEnter)), onLeave_(std::move(onLeave)) {
  edit->installEventFilter(this);
}

bool DigitKeyFilter::eventFilter(QObject*, QEvent* event) {
  return GuardedEvent(show_, [&] { return Filter(event); });
}

bool DigitKeyFilter::Filter(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      if (onEnter_) onEnter_();
      return true;
    }
    // Backspace edits; Tab moves on to the next control.
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
    const QString text = key->text();
    if (!text.isEmpty() && !(text.size() == 1 && text[0] >= '0' && text[0] <= '9')) return true;
    return false;
  }
  if (event->type() == QEvent::FocusOut) {
    // Only the user's own move to another control: not a dialog or another window taking
    // the focus, nor a window being hidden or destroyed.
    const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
    const bool moved = why == Qt::TabFocusReason || why == Qt::BacktabFocusReason || why == Qt::MouseFocusReason ||
                       why == Qt::ShortcutFocusReason;
    if (moved && onLeave_) onLeave_();
  }
  return false;
}

QLineEdit* DigitEdit(const ErrorShow& show, QWidget* parent, const QString& name, const QString& text, int maxLength,
                     std::function<void()> onEnter, std::function<void()> onLeave) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(name);
  e->setMaxLength(maxLength);
  new DigitKeyFilter(show, e, std::move(onEnter), std::move(onLeave));
  return e;
}
