// The two waveform windows at the size they open with: every visible control lies
// inside its window, wide enough for its text, and no two overlap.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLayout>

#include "wave_fixture.h"

namespace {

class WaveLayout : public WaveTest {
protected:
  static void ExpectNothingClipped(QWidget* window) {
    window->resize(window->sizeHint());
    window->layout()->activate();
    std::vector<QWidget*> shown;
    for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (!w->isVisibleTo(window)) continue;
      const QString what = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
      EXPECT_TRUE(window->rect().contains(w->geometry())) << what.toStdString();
      EXPECT_GE(w->width(), w->minimumSizeHint().width()) << what.toStdString();
      if (auto* l = qobject_cast<QLabel*>(w)) {
        EXPECT_GE(w->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->text().toStdString();
      }
      if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        EXPECT_GE(w->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->text().toStdString();
      }
      shown.push_back(w);
    }
    for (size_t i = 0; i < shown.size(); ++i)
      for (size_t j = i + 1; j < shown.size(); ++j)
        EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
            << shown[i]->objectName().toStdString() << " / " << shown[j]->objectName().toStdString();
  }
};

TEST_F(WaveLayout, GeneratorAndViewerShowEveryControlWhole) {
  StartWave();
  Find<QLabel>(gen, "Label7")->setText("CLK=268431360Hz");  // the largest count
  Find<QLabel>(gen, "ActualCLKRange")->setText("Range=7600000~8400000");
  ExpectNothingClipped(gen);
  ExpectNothingClipped(viewer);
  EXPECT_GE(gen->chartWaveform->height(), 250);
  EXPECT_GE(viewer->chartWaveform->height(), 250);
}

}  // namespace
