// snapnook-batch: the "Create Pictures" run without a window.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "album/site_pages.h"
#include "batch/terminal_window.h"
#include "core/config.h"
#include "core/error.h"
#include "core/file_system.h"
#include "core/interrupts.h"
#include "core/session.h"
#include "core/traps.h"
#include "pictures/picture_sets.h"
#include "run/album_record.h"
#include "run/check.h"
#include "run/run_driver.h"
#include "run/startup.h"
#include "settings/qsettings_store.h"

namespace {

using namespace snapnook;

constexpr const char* kUsage =
    "Usage: snapnook-batch [OPTIONS] SOURCE\n"
    "Derives the album pictures of the picture sets below SOURCE and writes the web album.\n"
    "\n"
    "  --title TEXT            album title (default: the album's last run's, else empty)\n"
    "  --copyright TEXT        copyright holder (default: the album's last run's, else the\n"
    "                          remembered value, else \"Korvell\")\n"
    "  --copyright-link URL    copyright link (default: the album's last run's, else the\n"
    "                          remembered value, else the maker's address)\n"
    "  --no-jpgs               leave \"Create JPGs\" unticked\n"
    "  --no-640                leave \"Create 640x480 files\" unticked\n"
    "  --no-html               leave \"Create HTML\" unticked\n"
    "  -j, --jobs N            pictures derived at the same time (default: the number of cores)\n"
    "  -q, --quiet             no progress display\n"
    "  -h, --help              this text\n"
    "      --version           the version\n"
    "beyond the window (none of these changes what a run without them does):\n"
    "      --update            derive only the pictures whose copies are not what a run makes\n"
    "                          now: the album's record says they were made from another\n"
    "                          original or sideways file, or with other options; without a\n"
    "                          record, missing or older than their original (the later of its\n"
    "                          modification and change time; for a portrait picture also its\n"
    "                          sideways file); pages are written in full\n"
    "      --prune             after the run, remove what the album's record says Snapnook\n"
    "                          wrote, unchanged since, that no picture accounts for any more\n"
    "                          (its original gone from a BIG folder that can be read); each\n"
    "                          removal, and each set kept for a missing BIG folder, is printed\n"
    "      --check             write nothing: walk the tree, test-decode every picture, and\n"
    "                          report what a run would show plus what it would pass over in\n"
    "                          silence, on standard output; exit 0 or 1\n"
    "      --site-pages        also write the pages the album links to in default/ beside the\n"
    "                          source folder (hires.htm, aol.htm, copyright.html), never\n"
    "                          replacing one there\n"
    "      --modern            the modern album: pictures upright and in proportion, more\n"
    "                          picture formats, pages for today's browsers\n"
    "      --fit               the modern album, each copy fitted inside its box instead of\n"
    "                          filling it\n"
    "      --classic           the classic album (without --modern, --fit or --classic: the\n"
    "                          album the last run made, else the classic one)\n"
    "\n"
    "Exit status: 0 when the run showed no error, 1 when it showed at least one (SOURCE holding\n"
    "no picture set is one), 2 for bad usage or a source folder not named, missing or a BIG\n"
    "folder, 128 + the signal's number when interrupted (130 for Ctrl-C, 143 for SIGTERM, 129\n"
    "for SIGHUP).\n";

constexpr int kExitOk = 0;
constexpr int kExitErrorsShown = 1;
constexpr int kExitUsage = 2;

// Never writes: snapnook-batch reads the remembered values but leaves them as they are.
class ReadOnlySettings : public SettingsStore {
 public:
  explicit ReadOnlySettings(SettingsStore& store) : store_(store) {}
  std::string Read(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    return store_.Read(app, section, key, fallback);
  }
  void Write(const std::string&, const std::string&, const std::string&,
             const std::string&) override {}

 private:
  SettingsStore& store_;
};

// Start-up's view of the window, keeping only the two copyright fields: there is no caption
// or splash on a terminal.
class CopyrightFields : public StartupWindow {
 public:
  std::string holder;
  std::string link;
  void SetCaption(const std::string&) override {}
  void SetCopyrightText(const std::string& text) override { holder = text; }
  void SetCopyrightLinkText(const std::string& text) override { link = text; }
  void ShowSplash() override {}
  void CloseSplash() override {}
  void SetBusyPointer(bool) override {}
  void SplashWaitTurn() override {}
};

struct Options {
  TerminalWindow::Fields fields;
  std::optional<std::string> title;
  std::optional<std::string> copyright;
  std::optional<std::string> copyright_link;
  int jobs = 0;
  bool quiet = false;
  RunOptions run;
  std::optional<std::string> album;  // "classic", "modern" or "fit", when asked for
  bool site_pages = false;
  bool source_given = false;
};

int UsageError(const std::string& what) {
  std::fprintf(stderr, "snapnook-batch: %s\nTry 'snapnook-batch --help'.\n", what.c_str());
  return kExitUsage;
}

// Parses the command line; returns an exit status when the program should stop now.
std::optional<int> Parse(int argc, char** argv, Options& options) {
  bool only_operands = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::optional<std::string> inline_value;
    if (!only_operands && arg.starts_with("--") && arg.find('=') != std::string_view::npos) {
      inline_value = std::string(arg.substr(arg.find('=') + 1));
      arg = arg.substr(0, arg.find('='));
    }
    auto value = [&](std::string& out) -> bool {
      if (inline_value) {
        out = *inline_value;
        return true;
      }
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (only_operands || arg == "-" || !arg.starts_with("-")) {
      if (options.source_given) return UsageError("more than one source folder given");
      options.fields.source_dir = std::string(argv[i]);
      options.source_given = true;
    } else if (arg == "--") {
      only_operands = true;
    } else if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("snapnook-batch %s\n", std::string(kVersionText).c_str());
      return kExitOk;
    } else if (arg == "--title") {
      if (!value(text)) return UsageError("--title needs a value");
      options.title = text;
    } else if (arg == "--copyright") {
      if (!value(text)) return UsageError("--copyright needs a value");
      options.copyright = text;
    } else if (arg == "--copyright-link") {
      if (!value(text)) return UsageError("--copyright-link needs a value");
      options.copyright_link = text;
    } else if (arg == "--no-jpgs" && !inline_value) {
      options.fields.create_jpg = false;
    } else if (arg == "--no-640" && !inline_value) {
      options.fields.create_640 = false;
    } else if (arg == "--no-html" && !inline_value) {
      options.fields.create_html = false;
    } else if (arg == "-j" || arg == "--jobs" || (arg.starts_with("-j") && arg.size() > 2)) {
      if (arg.starts_with("-j") && arg.size() > 2) {
        text = std::string(arg.substr(2));
      } else if (!value(text)) {
        return UsageError("--jobs needs a number");
      }
      char* end = nullptr;
      const long jobs = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || jobs < 1 || jobs > 256) {
        return UsageError("--jobs takes a whole number from 1 to 256");
      }
      options.jobs = static_cast<int>(jobs);
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--update" && !inline_value) {
      options.run.update = true;
    } else if (arg == "--prune" && !inline_value) {
      options.run.prune = true;
    } else if (arg == "--check" && !inline_value) {
      options.run.check = true;
    } else if (arg == "--site-pages" && !inline_value) {
      options.site_pages = true;
    } else if ((arg == "--modern" || arg == "--fit" || arg == "--classic") && !inline_value) {
      const std::string asked(arg.substr(2));
      // --fit is the modern album too; the classic album has no other way.
      if (options.album && *options.album != asked &&
          (*options.album == "classic" || asked == "classic")) {
        return UsageError("--classic goes with neither --modern nor --fit");
      }
      if (!options.album || asked == "fit") options.album = asked;
    } else {
      return UsageError("unknown option '" + std::string(argv[i]) + "'");
    }
  }
  if (!options.source_given) return UsageError("no source folder given");
  return std::nullopt;
}

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The run in one line: what it made and left, what it passed over and how many errors it
// showed.
std::string Summary(const RunTally& tally) {
  std::string line = "Summary: " + Count(tally.sets, "set", "sets") + ", " +
                     Count(tally.made, "picture made", "pictures made") + ", " +
                     std::to_string(tally.up_to_date) + " up to date, " +
                     std::to_string(tally.passed_over) + " passed over";
  if (tally.passed_over > 0) line += " (--check names them)";
  return line + ", " + Count(tally.errors, "error", "errors");
}

// A source folder without a picture set would get pages that lead nowhere: it is refused
// before anything is written. (A missing folder and a folder of originals are the run's to
// refuse.)
bool RefusedWithoutPictureSet(Session& session) {
  const std::string source = session.window.SourceDir();
  const bool modern = session.window.IsChecked(CheckBox::kModern);
  if (!session.fs.IsDirectory(source) || LiesInOriginals(session.fs, source) ||
      HoldsPictureSet(session.fs, source, modern)) {
    return false;
  }
  session.window.ShowMessage(modern ? kModernPictureSetRule : kPictureSetRule,
                             "No picture sets in " + source, kMsgCritical);
  return true;
}

std::string ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return {};
  path.resize(static_cast<size_t>(n));
  return path.substr(0, path.find_last_of('/'));
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::optional<int> status = Parse(argc, argv, options)) return *status;

  QSettingsStore remembered;
  ReadOnlySettings settings(remembered);
  // The copyright fields as the window shows them after start-up: defaults, then the
  // remembered values; the command line has the last word.
  RunState startup;
  CopyrightFields remembered_fields;
  SetDefaults(startup, remembered_fields);
  LoadSettings(startup, settings, remembered_fields);
  // A text not given, or the kind of album, is the album's last run's, as its record keeps it.
  std::optional<LastRun> last;
  if (!options.title || !options.copyright || !options.copyright_link || !options.album) {
    last = AlbumRecord::ReadLastRun(options.fields.source_dir);
  }
  const std::string album = options.album                       ? *options.album
                            : !last                             ? "classic"
                            : last->album == "modern fit"       ? "fit"
                            : last->album.starts_with("modern") ? "modern"
                                                                : "classic";
  options.fields.modern = album != "classic";
  options.run.fit = album == "fit";
  options.fields.title = options.title.value_or(last ? last->title : "");
  options.fields.copyright =
      options.copyright.value_or(last ? last->copyright : remembered_fields.holder);
  options.fields.copyright_link =
      options.copyright_link.value_or(last ? last->copyright_link : remembered_fields.link);

  const bool progress = !options.quiet && ::isatty(STDERR_FILENO);
  // A check's report is one stream: its messages go with its findings.
  TerminalWindow window(options.fields, options.run.check ? stdout : stderr, progress);
  RealFileSystem file_system;
  Session session(window, file_system, settings);
  session.state.ProductName = startup.ProductName;
  session.state.LoadedCopyrightLink = startup.LoadedCopyrightLink;
  session.program_folder = ProgramFolder();
  if (const char* home = std::getenv("HOME")) session.home_folder = home;
  session.current_year = SystemYear;
  session.options = options.run;
  session.jobs = options.jobs > 0
                     ? options.jobs
                     : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));

  // Ctrl-C, SIGTERM and SIGHUP stop the run at its next turn: every file is then whole or
  // not written, and no temporary file is left.
  CatchInterrupts();
  CleanUpOnCrash();
  using Ended = RunOutcome::Ended;
  RunOutcome outcome;
  bool no_sets = false;
  try {
    if (options.run.check) {
      outcome = CheckAlbum(session);
    } else if (RefusedWithoutPictureSet(session)) {
      no_sets = true;
    } else {
      outcome = RunCreatePictures(session, ClosingQuestion::kSkip);
      // Only a run that writes the album writes them: --check writes nothing.
      if (options.site_pages && outcome.ended == Ended::kRan) {
        const int shown = session.tally.errors;
        WriteSitePages(session);
        outcome.tally.errors += session.tally.errors - shown;
      }
    }
  } catch (const RunInterrupted& stop) {
    outcome.ended = Ended::kInterrupted;
    outcome.signal = stop.signal;
  } catch (...) {
    ++outcome.tally.errors;
    window.ShowMessage(WalkErrorText(CurrentFailure(options.fields.source_dir)),
                       kUnexpectedErrorTitle, kMsgOkOnly);
  }
  window.FinishProgress();
  if (no_sets) return kExitErrorsShown;
  if (!options.run.check &&
      (outcome.ended == Ended::kRan || outcome.ended == Ended::kInterrupted)) {
    std::printf("%s\n", Summary(outcome.tally).c_str());
    std::fflush(stdout);
  }
  if (const int signal =
          outcome.ended == Ended::kInterrupted ? outcome.signal : CaughtInterrupt()) {
    std::fputs("Interrupted\n", stderr);
    return 128 + signal;
  }
  switch (outcome.ended) {
    case Ended::kNoSource:
    case Ended::kOriginals:
      return kExitUsage;
    case Ended::kBusy:
      return kExitErrorsShown;
    default:
      return outcome.tally.errors > 0 ? kExitErrorsShown : kExitOk;
  }
}
