// How long the main window goes without handling events during a run.
//
// Starts the real main window (offscreen works), types a source folder, presses "Create
// Pictures" and, all through the run, lets a 10 ms timer note how late each of its ticks comes:
// the worst lateness is the longest time the window did not handle events. Message boxes are
// answered No as they come up. Usage:
//   QT_QPA_PLATFORM=offscreen snapnook-gui-latency [--jobs N] [--no-html] SOURCE
// --jobs 1 makes every picture on the window's thread, as a program without worker threads
// would; the default is one worker per core, as the program runs.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/form1.h"
#include "core/file_system.h"
#include "no_settings.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int jobs = 0;
  bool html = true;
  QString source;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    if (arg == "--jobs" && i + 1 < argc) {
      jobs = QString::fromLocal8Bit(argv[++i]).toInt();
    } else if (arg == "--no-html") {
      html = false;
    } else {
      source = arg;
    }
  }
  if (source.isEmpty()) {
    std::fprintf(stderr, "usage: snapnook-gui-latency [--jobs N] [--no-html] SOURCE\n");
    return 2;
  }

  snapnook::RealFileSystem fs;
  snapnook::NoSettings settings;
  snapnook::Form1 window(fs, settings);
  // No splash wait: this clock moves a second at each reading.
  double seconds = 0;
  window.Load([&seconds] { return seconds += 1.0; });
  window.show();
  window.session().jobs = jobs;
  window.findChild<QLineEdit*>("txtSourceDir")->setText(source);
  window.findChild<QCheckBox*>("chkCreateHTML")->setChecked(html);

  std::vector<double> lateness;
  QElapsedTimer clock;
  qint64 last = -1;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    if (last >= 0) lateness.push_back(std::max(0.0, (now - last) / 1e6 - 10.0));
    last = now;
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      box->done(QMessageBox::No);
    }
  });

  QElapsedTimer run_time;
  QTimer::singleShot(0, [&] {
    clock.start();
    ticker.start(10);
    run_time.start();
    window.findChild<QPushButton*>("cmdLoad")->click();  // returns when the run is over
    ticker.stop();
    app.quit();
  });
  app.exec();

  std::sort(lateness.begin(), lateness.end());
  const auto at = [&](double q) {
    return lateness.empty() ? 0.0 : lateness[static_cast<size_t>(q * (lateness.size() - 1))];
  };
  std::printf(
      "run %.2f s, %zu timer ticks; lateness of a 10 ms timer: median %.1f ms, "
      "99th percentile %.1f ms, worst %.1f ms\n",
      run_time.elapsed() / 1000.0, lateness.size(), at(0.5), at(0.99),
      lateness.empty() ? 0.0 : lateness.back());
  return 0;
}
