// The I/Q test window's look: every shown control lies inside the window, gets at
// least the room its text needs and overlaps none of its neighbours; its read-outs
// show their largest values whole; it and the body-fat test open whole inside the
// main window at its first size.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>

#include "impedance/bodyfat_test_window.h"
#include "iq_window_fixture.h"
#include "shell/main_panel.h"

namespace {

using IQWindowLayout = IQWindowTest;

// Problems of the controls shown in `w`.
QStringList LayoutProblems(QWidget* w) {
  QStringList problems;
  const QRect bounds = w->rect();
  QList<QWidget*> controls;
  for (QWidget* c : w->findChildren<QWidget*>()) {
    if (!c->isVisibleTo(w)) continue;
    if (!qobject_cast<QLabel*>(c) && !qobject_cast<QAbstractButton*>(c) && !qobject_cast<QLineEdit*>(c) &&
        !qobject_cast<QComboBox*>(c) && !qobject_cast<QGroupBox*>(c))
      continue;
    if (qobject_cast<QLineEdit*>(c) && qobject_cast<QComboBox*>(c->parentWidget())) continue;
    controls << c;
    const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
    const QString name = c->objectName().isEmpty() ? c->metaObject()->className() : c->objectName();
    if (!bounds.contains(r)) problems << name + " outside the window";
    const QSize need = c->minimumSizeHint();
    if (c->width() < need.width() || c->height() < need.height()) problems << name + " clipped";
    if (auto* l = qobject_cast<QLabel*>(c); l && l->fontMetrics().horizontalAdvance(l->text()) > l->width())
      problems << name + " text clipped";
  }
  for (int a = 0; a < controls.size(); ++a)
    for (int b = a + 1; b < controls.size(); ++b) {
      QWidget* x = controls[a];
      QWidget* y = controls[b];
      if (x->parentWidget() != y->parentWidget()) continue;
      if (x->geometry().intersects(y->geometry()))
        problems << x->objectName() + "/" + y->objectName() + " overlap";
    }
  return problems;
}

TEST_F(IQWindowLayout, ShownControlsFitAndOverlapNothing) {
  Start();
  w->setParent(nullptr);  // a window of its own, laid out as the frame shows it
  w->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(LayoutProblems(w).join("\n").toStdString(), "");
  const QImage shot = w->grab().toImage();
  EXPECT_FALSE(shot.isNull());
  if (qEnvironmentVariableIsSet("MX_SHOT_DIR")) shot.save(qEnvironmentVariable("MX_SHOT_DIR") + "/iqform.png");

  // The simple view: the panel covers the boxes below the top controls.
  w->pnlACMode->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(LayoutProblems(w->pnlACMode).join("\n").toStdString(), "");
  if (qEnvironmentVariableIsSet("MX_SHOT_DIR"))
    w->grab().toImage().save(qEnvironmentVariable("MX_SHOT_DIR") + "/iqform_simple.png");
  for (QWidget* box : {static_cast<QWidget*>(w->gbMode), static_cast<QWidget*>(w->gbDCSet),
                       static_cast<QWidget*>(w->Panel3), static_cast<QWidget*>(w->gbACSet)}) {
    const QRect r(box->mapTo(w, QPoint(0, 0)), box->size());
    const QRect cover(w->pnlACMode->mapTo(w, QPoint(0, 0)), w->pnlACMode->size());
    EXPECT_TRUE(cover.contains(r)) << box->objectName().toStdString();
  }
  w->hide();
  w->setParent(prog->MainPanel);  // the program owns its windows again
}

// The room a line edit gives its text, as the edit lays its text out when painting:
// the style's contents rectangle less the text margins and 2 pixels each side.
int TextRoom(const QLineEdit* e) {
  QStyleOptionFrame o;
  o.initFrom(e);
  o.rect = e->contentsRect();
  o.lineWidth = e->hasFrame() ? e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e) : 0;
  o.midLineWidth = 0;
  o.state |= QStyle::State_Sunken;
  if (e->isReadOnly()) o.state |= QStyle::State_ReadOnly;
  const QRect r = e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).marginsRemoved(e->textMargins());
  return r.width() - 2 * 2;
}

// The DC gain is Rref x the second average: the largest integer Rref and the most
// negative 23-bit average (-4194304, with a first average of 1) give its widest text.
TEST_F(IQWindowLayout, DcGainReadOutShowsItsLargestValueWhole) {
  Start();
  ScriptStreams({[](uint64_t) { return 1; }, [](uint64_t) { return -4194304; }});
  w->rbDCMode->setChecked(true);
  Edit("T_Rref")->setText("2147483647");
  w->Pcalculate->click();
  ASSERT_TRUE(Messages().isEmpty());
  const QLineEdit* gain = w->edtDCGain;
  EXPECT_NEAR(gain->text().toDouble(), -4194304.0 * 2147483647.0, 4.0) << gain->text().toStdString();
  EXPECT_EQ(gain->text().size(), 20);
  EXPECT_LE(gain->fontMetrics().horizontalAdvance(gain->text()), TextRoom(gain)) << gain->text().toStdString();
}

// On a 1,366 x 768 screen the main window opens at its first size, title bar
// included; there the I/Q and body-fat tests open from the menu whole inside the
// client area, with no scroll bar.
TEST_F(IQWindowLayout, ImpedanceWindowsOpenWholeInTheMainWindowAtItsFirstSize) {
  const QSize first = TMainPanel::FirstSize;
  EXPECT_LE(first.width(), 1366);
  EXPECT_LE(first.height() + 40, 768);
  Start();
  TMainPanel* m = prog->MainPanel;
  m->resize(first);  // the test screen may be smaller than the one above
  m->show();
  QCoreApplication::processEvents();
  ASSERT_EQ(m->size(), first);
  const QRect client = m->MdiArea->viewport()->rect();
  for (const auto& [item, window] : {std::pair<const char*, TPanelForm*>{"IQTest1", prog->IQForm},
                                     std::pair<const char*, TPanelForm*>{"Bodyfat", prog->bodyFatForm}}) {
    SCOPED_TRACE(item);
    Click(item);
    QCoreApplication::processEvents();
    QMdiSubWindow* frame = window->Frame();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->isVisible());
    const QMargins around = frame->contentsMargins();
    const QSize need = window->sizeHint() + QSize(around.left() + around.right(), around.top() + around.bottom());
    EXPECT_LE(need.width(), client.width());
    EXPECT_LE(need.height(), client.height());
    EXPECT_TRUE(client.contains(frame->geometry()));
    EXPECT_EQ(window->size(), window->sizeHint().expandedTo(window->minimumSizeHint()));
    EXPECT_FALSE(m->MdiArea->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(m->MdiArea->verticalScrollBar()->isVisible());
    frame->close();
  }
  m->hide();
}

}  // namespace
