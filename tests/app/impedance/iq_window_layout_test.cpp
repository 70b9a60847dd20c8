// The I/Q test window's look: every shown control lies inside the window, gets at
// least the room its text needs and overlaps none of its neighbours.
#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

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

}  // namespace
