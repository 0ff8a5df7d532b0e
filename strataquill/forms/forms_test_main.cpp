// The window tests drive real windows, which need an application object;
// the offscreen platform gives one without a display.

#include <gtest/gtest.h>

#include <QApplication>

#include "strataquill/shell/settings_store.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  sq::setApplicationName("Strataquill");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
