// main() of the printing benchmarks: text is measured and pictures drawn by
// Qt without a display, and settings are kept in a home of their own,
// removed at the end.

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include "strataquill/shell/test_home.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  sq::TestHome home;
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
