// The program's context: its state and the ports a run works through.
#pragma once

#include <functional>
#include <string>

#include "core/album_files.h"
#include "core/error.h"
#include "core/file_system.h"
#include "core/main_window.h"
#include "core/run_state.h"
#include "core/settings_store.h"

namespace snapnook {

/// What snapnook-batch can ask of a run beyond what the window does. None of them changes what
/// a run without them does.
struct RunOptions {
  /// Derive only the pictures whose copies are missing or older than their original.
  bool update = false;
  /// After the passes, remove the copies and numbered pages that no picture accounts for.
  bool prune = false;
  /// Write nothing: test-decode every picture and report what a run would show and pass over.
  bool check = false;
  /// The modern album (set by the run from the window's "Modern album" box), and with it each
  /// copy fitted inside its box instead of filling it.
  bool modern = false;
  bool fit = false;
};

/// What a run did, counted as it goes: snapnook-batch's summary line and exit status come from
/// it.
struct RunTally {
  int sets = 0;         // set folders met
  int made = 0;         // pictures whose copies were written
  int up_to_date = 0;   // pictures an --update run left as they were
  int passed_over = 0;  // files that look like pictures which the run passes over
  int errors = 0;       // failures shown
};

/// Everything a run needs, for the program's life: the shared run state and the ports to the
/// main window, the file system and the settings store. The front end (window or terminal)
/// owns the ports; the session only refers to them.
struct Session {
  Session(MainWindow& w, FileSystem& f, SettingsStore& s) : window(w), fs(f), settings(s) {}

  RunState state;
  MainWindow& window;
  FileSystem& fs;
  SettingsStore& settings;

  /// The folder that holds the program's executable; the shipped `default` folder is found
  /// from it. Empty when unknown.
  std::string program_folder;
  /// The user's home folder, for the yearly backup `default` folder. Empty when unknown.
  std::string home_folder;
  /// The current year, four digits. Replaceable for tests.
  std::function<int()> current_year;
  /// Pictures derived at the same time; 0 means one per core.
  int jobs = 0;
  RunOptions options;

  /// The writes of the run going on (set by the run driver for the run's length); the only way
  /// to write. Files() throws error 51 outside a run.
  AlbumFiles* files = nullptr;
  AlbumFiles& Files() {
    if (files == nullptr) throw SnapError(kErrInternal, "Internal error: no run is writing");
    return *files;
  }
  /// What the run going on (or the last one) did.
  RunTally tally;
};

/// The current year from the system clock (local time).
int SystemYear();

}  // namespace snapnook
