// Test entry: a QApplication on the offscreen platform around GoogleTest. Its event
// dispatch catches, as the program's does, an error that escaped a handler; here that
// fails the running test.
#include <gtest/gtest.h>

#include <QApplication>

#include "common/handler_guard.h"
#include "support/last_guard.h"

namespace {

int errorsAtLastGuard = 0;

class TestApplication : public QApplication, public ErrorShow {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    bool handled = false;
    RunGuarded(*this, [&] { handled = QApplication::notify(receiver, event); });
    return handled;
  }
  void ShowError(const QString& text) const override {
    ++errorsAtLastGuard;
    ADD_FAILURE() << "an error reached the event dispatch: " << text.toStdString();
  }
};

}  // namespace

int ErrorsAtLastGuard() { return errorsAtLastGuard; }

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
