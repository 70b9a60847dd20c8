// Test entry: a QApplication on the offscreen platform around GoogleTest. Its event
// dispatch catches, as the program's does, an error that escaped a handler; here that
// fails the running test.
#include <gtest/gtest.h>

#include <QApplication>
#include <exception>

#include "support/last_guard.h"

namespace {

int errorsAtLastGuard = 0;

class TestApplication : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      ++errorsAtLastGuard;
      ADD_FAILURE() << "an error reached the event dispatch: " << e.what();
    } catch (...) {
      ++errorsAtLastGuard;
      ADD_FAILURE() << "an error reached the event dispatch";
    }
    return false;
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
