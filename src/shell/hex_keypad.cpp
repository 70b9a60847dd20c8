#include "shell/hex_keypad.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

#include "common/handler_guard.h"
#include "common/number_text.h"
#include "kit/bench.h"

namespace {
const QString kDigits = QStringLiteral("0123456789ABCDEF");
constexpr int kMargin = 8;
constexpr int kGap = 4;
}  // namespace

bool HexDigitAllowed(const QString& maxText, int pos, QChar c) {
  const qsizetype rank = kDigits.indexOf(c);
  if (rank < 0 || pos < 0 || pos >= maxText.size()) return false;
  const qsizetype limit = kDigits.indexOf(maxText[pos].toUpper());
  return limit >= 0 && rank <= limit;
}

namespace {
// What reaches the edit other than by a key (the context menu's Paste, a middle-click
// paste, a drop, a cut) passes the typed keys' filter: each character upper-cased and
// kept only where it is allowed, the caret kept after what stood before it.
class HexEntryFilter : public QValidator {
public:
  HexEntryFilter(const QString& maxText, QObject* parent) : QValidator(parent), maxText_(maxText) {}
  State validate(QString& input, int& pos) const override {
    QString kept;
    int keptPos = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
      const QChar c = input[i].toUpper();
      if (HexDigitAllowed(maxText_, static_cast<int>(kept.size()), c)) kept += c;
      if (i + 1 == pos) keptPos = static_cast<int>(kept.size());
    }
    input = kept;
    pos = keptPos;
    return Acceptable;
  }

private:
  const QString& maxText_;
};
}  // namespace

TMxPopSelHex::TMxPopSelHex(Bench& program, QWidget* parent)
    : TDialogForm(program, "MxPopSelHex", QString(), parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  setModal(true);
  ScreenSize = [] {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
  };
}

void TMxPopSelHex::FormCreate() {
  setFont(QFont("Times New Roman"));
  BasePanel = new QWidget(this);
  BasePanel->setObjectName("Panel1");
  ENum = new QLineEdit(BasePanel);
  ENum->setObjectName("ENum");
  ENum->installEventFilter(this);
  ENum->setValidator(new HexEntryFilter(maxText_, ENum));
  ENum->move(kMargin, kMargin);
  connect(ENum, &QLineEdit::textChanged, this, GuardedSlot(P, this, &TMxPopSelHex::TextChanged));
  PnlStatus = new QLabel(BasePanel);
  PnlStatus->setObjectName("PnlStatus");
  PnlStatus->hide();

  const int top = ENum->y() + ENum->sizeHint().height() + kGap;
  for (int i = 0; i < 19; ++i) {
    auto* b = new QPushButton(BasePanel);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);
    Buttons[i] = b;
    connect(b, &QPushButton::clicked, this, GuardedSlot(P, [this, i] { ButtonClick(i); }));
    if (i < 16) {
      b->setText(kDigits.mid(i, 1));
      b->setObjectName("Btn" + kDigits.mid(i, 1));
      b->setGeometry(kMargin + (i % 4) * ButtonWidth, top + (i / 4) * ButtonHeight, ButtonWidth, ButtonHeight);
    }
  }
  BtnEnter()->setObjectName("BtnEnter");
  BtnClear()->setObjectName("BtnClear");
  BtnCancel()->setObjectName("BtnCancel");
  const int enterTop = top + 4 * ButtonHeight;
  BtnEnter()->setGeometry(kMargin, enterTop, 4 * ButtonWidth, ButtonHeight);
  const int lowTop = enterTop + ButtonHeight + kGap;
  BtnClear()->setGeometry(kMargin, lowTop, 2 * ButtonWidth, ButtonHeight);
  BtnCancel()->setGeometry(kMargin + 2 * ButtonWidth, lowTop, 2 * ButtonWidth, ButtonHeight);
  ENum->resize(BtnEnter()->width(), ENum->sizeHint().height());

  const QSize client(BtnEnter()->geometry().right() + 1 + kMargin, BtnCancel()->geometry().bottom() + 1 + kMargin);
  BasePanel->setGeometry(QRect(QPoint(0, 0), client));
  setFixedSize(client);
}

bool TMxPopSelHex::PopupHex(int x, int y, int& value, const QString& maxText, const QString& rangeText,
                            const QString& caption) {
  BtnEnter()->setText("Enter");
  BtnClear()->setText("Clear");
  BtnCancel()->setText("Cancel");
  maxText_ = maxText;
  const QSize screen = ScreenSize();
  if (x + width() > screen.width()) x = screen.width() - width();
  if (y + height() > screen.height()) y = screen.height() - height();
  move(x, y);
  accepted_ = false;
  ENum->clear();
  setWindowTitle(caption);
  PnlStatus->setText(rangeText);
  ENum->setFocus();
  exec();
  lastValue_ = HexStrToInt(ENum->text());
  if (accepted_) value = lastValue_;
  return accepted_;
}

void TMxPopSelHex::Finish(bool accepted) {
  accepted_ = accepted;
  done(accepted ? QDialog::Accepted : QDialog::Rejected);
}

void TMxPopSelHex::TypeDigit(QChar c) {
  if (!HexDigitAllowed(maxText_, static_cast<int>(ENum->text().size()), c)) return;
  ENum->setText(ENum->text() + c);
  ENum->end(false);
}

// Reaching the length of the maximum text accepts the entry.
void TMxPopSelHex::TextChanged(const QString& text) {
  if (!maxText_.isEmpty() && text.size() >= maxText_.size() && isVisible()) Finish(true);
}

void TMxPopSelHex::ButtonClick(int index) {
  if (index < 16) TypeDigit(kDigits[index]);
  else if (index == 16) Finish(!ENum->text().isEmpty());
  else if (index == 17) ENum->clear();
  else Finish(false);
}

// Every key of the edit is handled here; only Backspace reaches the edit itself.
bool TMxPopSelHex::eventFilter(QObject* watched, QEvent* event) {
  return GuardedEvent(P, [&] { return FilterEvent(watched, event); });
}

bool TMxPopSelHex::FilterEvent(QObject* watched, QEvent* event) {
  if (watched != ENum || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
    return TDialogForm::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();  // no shortcut takes a key from the keypad
    return true;
  }
  switch (key->key()) {
    case Qt::Key_Backspace: return false;
    case Qt::Key_Return:
    case Qt::Key_Enter: Finish(!ENum->text().isEmpty()); return true;
    case Qt::Key_Escape: Finish(false); return true;
    default: break;
  }
  const QString text = key->text().toUpper();
  if (text.size() == 1) TypeDigit(text[0]);
  return true;
}
