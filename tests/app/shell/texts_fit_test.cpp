// Every window the program opens, at the size it opens with: no button, check box,
// radio button or one-line label shown in it is narrower than its text, in the fonts
// of the platform the tests run on.
#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QTimer>

#include "kit/form.h"
#include "shell/hex_keypad.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

// A caption as it is drawn: a single '&' marks the mnemonic and is not shown.
QString ShownText(const QString& caption) {
  QString out;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

// The room a button's style gives its text: the contents beside the indicator of a
// check box or radio button, the inside of a push button's frame.
int TextRoom(QAbstractButton* b) {
  QStyleOptionButton opt;
  opt.initFrom(b);
  opt.text = b->text();
  opt.icon = b->icon();
  opt.iconSize = b->iconSize();
  QStyle::SubElement element = QStyle::SE_PushButtonContents;
  if (qobject_cast<QCheckBox*>(b)) {
    element = QStyle::SE_CheckBoxContents;
  } else if (qobject_cast<QRadioButton*>(b)) {
    element = QStyle::SE_RadioButtonContents;
  } else if (auto* p = qobject_cast<QPushButton*>(b)) {
    if (p->isFlat()) opt.features |= QStyleOptionButton::Flat;
    if (p->autoDefault()) opt.features |= QStyleOptionButton::AutoDefaultButton;
    if (p->isDefault()) opt.features |= QStyleOptionButton::DefaultButton;
  }
  int room = b->style()->subElementRect(element, &opt, b).width();
  if (!b->icon().isNull()) room -= b->iconSize().width() + 4;
  return room;
}

// The controls of `window` shown with a text wider than their room.
QStringList ClippedTexts(QWidget* window) {
  QStringList clipped;
  auto note = [&](QWidget* w, const QString& text, int room) {
    const int need = w->fontMetrics().horizontalAdvance(text);
    if (need > room)
      clipped << QStringLiteral("%1 \"%2\": %3 px for %4").arg(w->objectName(), text).arg(room).arg(need);
  };
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window)) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      if (!b->text().isEmpty() && !b->inherits("QToolButton")) note(b, ShownText(b->text()), TextRoom(b));
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
      const QString t = l->text();
      const bool rich = l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(t));
      if (t.isEmpty() || rich || l->wordWrap() || t.contains('\n')) continue;
      const int m = l->margin();
      note(l, t, l->contentsRect().width() - 2 * m);
    }
  }
  return clipped;
}

class TextsFit : public ProgramTest {};

TEST_F(TextsFit, EveryWindowAtItsOpeningSize) {
  StartProgram();
  ProgramWindow* main = prog->MainPanel;
  main->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(ClippedTexts(main).join("\n").toStdString(), "") << "main window";

  for (const auto& e : prog->HideOrder()) {
    auto* panel = qobject_cast<TPanelForm*>(e.form);
    if (!panel) continue;
    SCOPED_TRACE(panel->objectName().toStdString());
    main->OpenPanel(panel, e.index);
    QCoreApplication::processEvents();
    ASSERT_TRUE(panel->Shown());
    EXPECT_EQ(ClippedTexts(panel).join("\n").toStdString(), "");
    panel->Frame()->close();
  }

  // The dialogs, checked while they are open.
  QStringList setup, keypad;
  QTimer::singleShot(0, prog->Option, [&] {
    setup = ClippedTexts(prog->Option);
    prog->Option->BtClose->click();
  });
  Click("SMenu_Option");
  EXPECT_EQ(setup.join("\n").toStdString(), "") << "Setup";
  QTimer::singleShot(0, prog->MxPopSelHex, [&] {
    keypad = ClippedTexts(prog->MxPopSelHex);
    prog->MxPopSelHex->reject();
  });
  int value = 0;
  prog->MxPopSelHex->PopupHex(0, 0, value, "FF", "00 - FF", "Register");
  EXPECT_EQ(keypad.join("\n").toStdString(), "") << "keypad";
}

}  // namespace
