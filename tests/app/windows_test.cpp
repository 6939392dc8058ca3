// The windows as they open, the splash and help windows, the main window's commands and runs,
// the folder chooser, and the desktop program's command line: one application driven offscreen,
// settings in a private folder, widgets found by object name, and a "user" who answers modal
// windows.
#include <QTest>
#include <QtWidgets>
#include <fstream>

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/picture_area.h"
#include "core/version.h"
#include "dialogs/dialog_font.h"
#include "settings/qsettings_store.h"
#include "support/temp_tree.h"

using namespace snapnook;
using namespace snapnook::testing;

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << text.toStdString();
}

using Act = std::function<void(QWidget*)>;

/// The widget named `name` below `parent`; fails the test (and returns null) when missing.
template <class T = QWidget>
T* Child(const QObject* parent, const std::string& name) {
  T* child = parent->findChild<T*>(QString::fromStdString(name));
  if (child == nullptr) ADD_FAILURE() << "no " << name;
  return child;
}

inline void Click(const QObject* parent, const char* button) {
  QTest::mouseClick(Child<QAbstractButton>(parent, button), Qt::LeftButton);
}

/// Looks at every turn of the event loop (also inside modal loops and a run's turns) for a
/// modal window. A message box is noted as "title: prompt (icon, buttons)" and answered with
/// `answer`, or OK when it has no such button; any other goes to `on_modal`, and fails the test
/// if that leaves it open. With nothing modal up, `on_turn` runs.
struct User {
  QStringList messages;
  QMessageBox::StandardButton answer = QMessageBox::No;
  Act on_modal = [](QWidget*) {};
  std::function<void()> on_turn = [] {};
  QTimer timer;
  bool inside = false;

  User() {
    timer.callOnTimeout([this] {
      if (std::exchange(inside, true)) return;  // a modal loop started by an answer
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->isVisible()) {
        const QByteArray buttons =
            QMetaEnum::fromType<QMessageBox::StandardButtons>().valueToKeys(box->standardButtons());
        // A title bar shows the whole title: in the desktop's title font, bold, beside an icon
        // and three buttons.
        QFont bold = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        bold.setBold(true);
        EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 96)
            << box->windowTitle().toStdString();
        messages << QString("%1: %2 (%3, %4)")
                        .arg(box->windowTitle(), box->text(),
                             QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()),
                             QString(buttons).remove("|FirstButton"));
        (box->button(answer) ? box->button(answer) : box->button(QMessageBox::Ok))->click();
      } else if (modal != nullptr && modal->isVisible()) {
        on_modal(modal);
        if (modal->isVisible()) ADD_FAILURE() << modal->objectName().toStdString() << " left open";
        modal->hide();  // fail once, rather than meet it again at every turn
      } else {
        on_turn();
      }
      inside = false;
    });
    timer.start(0);
  }
};

// Holds an open window to its rows of tests/data/windows.txt: each control's text, place and
// state.
static void ExpectShows(QWidget* window) {
  std::ifstream table(SNAPNOOK_TEST_DATA "/windows.txt");
  int rows = 0;
  for (std::string line, form, name, text, state; std::getline(table, line);) {
    std::istringstream row(line);
    int left, top, width, height;  // the text is read as it stands: \n is a line break
    row >> form >> name >> std::quoted(text, '"', '\0') >> left >> top >> width >> height >> state;
    if (!row || form != window->objectName().toStdString()) continue;
    SCOPED_TRACE(name);
    QWidget* c = name == form ? window : Child(window, name);
    ASSERT_NE(c, nullptr);
    ++rows;
    const QString shown = c == window ? c->windowTitle() : c->property("text").toString();
    QString expected = QString::fromStdString(text).replace("\\n", "\n");
    EXPECT_EQ(text == "-" ? "-" : shown, expected.replace("{version}", kVersionText.data()));
    const QRect seen = c == window ? QRect(QPoint(), c->size()) : c->geometry();
    EXPECT_EQ(seen, width > 0 ? QRect(left, top, width, height) : seen);  // else sized by its text
    EXPECT_EQ(c->isVisible(), state != "hidden");
    EXPECT_EQ(c->property("checked").toBool(), state == "ticked");
    EXPECT_TRUE(c->isEnabled());
  }
  EXPECT_GT(rows, 0);
}

/// A main window as the program makes it, on the real file system and QSettings in a private
/// folder. Ending the program is counted instead of done.
class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int argc = 1;
    static char* argv[] = {const_cast<char*>("gui_tests"), nullptr};
    if (qApp == nullptr) new QApplication(argc, argv);
    UseDialogFont();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.root().c_str());
  }
  // No busy pointer is left behind, whatever the test did.
  void TearDown() override { EXPECT_EQ(QApplication::overrideCursor(), nullptr); }
  /// Creates the window, runs its start-up with the splash wait on `clock`, and shows it.
  Form1& OpenWindow(const SecondsClock& clock = [t = 0.0]() mutable { return t += 10; }) {
    window = std::make_unique<Form1>(fs, settings);
    window->end_program = [this] { ++end_calls; };
    window->Load(clock);
    window->show();
    return *window;
  }
  template <class T = QWidget>
  T* W(const char* name) {
    return Child<T>(window.get(), name);
  }
  QString Text(const char* name) { return W(name)->property("text").toString(); }
  void Type(const char* name, const QString& text) { W<QLineEdit>(name)->setText(text); }
  int EnabledButtons() {
    return W("cmdLoad")->isEnabled() + W("cmdCancel")->isEnabled() + W("cmdHelpAbout")->isEnabled();
  }
  // Start-up on a clock that advances 0.1 s a reading, the user doing `act` to the splash at
  // the fourth reading: returns whether that dismissed it. Either way start-up waited as long
  // as it should (dismissed, the wait stops at its next test; else about two seconds), and
  // closed the splash.
  bool Dismisses(const Act& act) {
    double now = 1000;
    OpenWindow([&, readings = 0]() mutable {
      if (++readings == 4) act(window->Splash());
      return now += 0.1;
    });
    const bool dismissed = window->session().state.SplashDismissed;
    EXPECT_NEAR(now - 1000, dismissed ? 0.4 : 2.0, dismissed ? 0.01 : 0.5);
    EXPECT_TRUE(window->Splash() == nullptr || !window->Splash()->isVisible());
    return dismissed;
  }
  // Presses `button`; the user leaves the modal window it opens by `leave`.
  void Press(const char* button, const Act& leave) {
    User user;
    user.on_modal = leave;
    Click(window.get(), button);
  }

  TempTree config;  // the settings store's folder
  TempTree tree;    // pictures and albums
  RealFileSystem fs;
  QSettingsStore settings;
  std::unique_ptr<Form1> window;
  int end_calls = 0;
};

// The splash stays about two seconds, unless a key that makes a character or a click on its
// frame (not on a label or the logo) dismisses it at once.
TEST_F(WindowsTest, TheSplashIsDismissedByACharacterKeyOrAClickOnItsFrameOnly) {
  const auto key = [](Qt::Key key) -> Act { return [=](QWidget* s) { QTest::keyClick(s, key); }; };
  const auto click = [](const char* name, QPoint at = {}) -> Act {
    return [=](QWidget* s) { QTest::mouseClick(Child(s, name), Qt::LeftButton, {}, at); };
  };
  for (Qt::Key k : {Qt::Key_A, Qt::Key_5, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape,
                    Qt::Key_Backspace, Qt::Key_Comma})
    EXPECT_TRUE(Dismisses(key(k))) << k;
  for (Qt::Key k : {Qt::Key_Left, Qt::Key_F1, Qt::Key_Shift}) EXPECT_FALSE(Dismisses(key(k))) << k;
  for (const char* name : {"lblVersion", "Label1", "Picture1"})
    EXPECT_FALSE(Dismisses(click(name))) << name;
  EXPECT_TRUE(Dismisses(click("Frame1", {440, 30})));  // a point no label or the logo covers
}

// Each window as it opens; only the status bar follows the main window's size (bottom edge,
// full width); "Close", Esc (its key) and the close box end the program at once.
// "Help" composes the texts once: OK, Esc and Enter (unless on the web-site button) only hide
// the window for the next "Help"; its close box unloads it, so the next "Help" composes anew.
// The web-site button opens the maker's site, with the busy pointer meanwhile. The chooser
// opens on the working folder first, then on the folder typed in the field, else where it was
// left; only OK writes its folder back.
TEST_F(WindowsTest, EveryWindowOpensInPlaceAndHelpAndTheChooserKeepTheirState) {
  Form1& w = OpenWindow([&, t = 0.0]() mutable {
    if (t == 0) ExpectShows(window->Splash());
    return t += 10;
  });
  ExpectShows(&w);
  tree.MakeDir("photos");
  const QString photos = QString::fromStdString(tree.Path("photos")), here = QDir::currentPath();
  const std::tuple<QString, bool, QString, QString> steps[] = {
      // typed, left by OK, opens on, the field afterwards
      {"", true, here, here},
      {photos + "/", true, photos, photos},
      {"no such folder", false, photos, "no such folder"}};
  for (const auto& [typed, ok, opens_on, field] : steps) {
    Type("txtSourceDir", typed);
    QString opened_on;
    Press("cmdSrc", [&](QWidget* chooser) {
      if (typed.isEmpty()) ExpectShows(chooser);
      opened_on = qobject_cast<Form2*>(chooser)->Path();
      ok ? Click(chooser, "cmdOK") : void(chooser->close());
    });
    EXPECT_EQ(opened_on, opens_on);
    EXPECT_EQ(Text("txtSourceDir"), field);
  }
  QTextBrowser browser;  // stands in for the desktop's browser: the address comes as a click
  QDesktopServices::setUrlHandler("http", &browser, "anchorClicked");
  QList<QUrl> opened;
  QObject::connect(&browser, &QTextBrowser::anchorClicked, [&](const QUrl& url) {
    const QCursor* pointer = QApplication::overrideCursor();
    if (pointer != nullptr && pointer->shape() == Qt::WaitCursor) opened << url;
  });
  const int composed = frmHelpAbout::TextsComposed();
  Press("cmdHelpAbout", [](QWidget* help) {
    ExpectShows(help);
    Click(help, "cmdWeb");
    QTest::keyClick(Child(help, "cmdWeb"), Qt::Key_Return);  // Enter on it presses it
    QTest::keyClick(help, Qt::Key_Escape);
  });
  Press("cmdHelpAbout", [](QWidget* help) { QTest::keyClick(help, Qt::Key_Return); });
  Press("cmdHelpAbout", [](QWidget* help) { help->close(); });
  Press("cmdHelpAbout", [](QWidget* help) { Click(help, "Command1"); });
  QDesktopServices::unsetUrlHandler("http");
  EXPECT_EQ(frmHelpAbout::TextsComposed(), composed + 2);
  EXPECT_EQ(opened, QList<QUrl>(2, QUrl("http://www.korvell.example")));

  w.resize(900, 600);
  EXPECT_EQ(W("StatusBar1")->geometry(), QRect(0, 583, 900, 17));
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  Click(&w, "cmdCancel");
  QTest::keyClick(&w, Qt::Key_Escape);
  w.close();
  EXPECT_EQ(end_calls, 3);
}

// The remembered link fills its field and a changed one is stored by a run. An empty source
// field stops a run with the window's critical message. A whole run, "Create 640x480 files"
// unticked: the fields and boxes reach it, the buttons and Esc ("Close"'s key) are dead
// meanwhile, the bar counts the pictures and the status bar names them; the closing question
// answered No leaves the window usable with "Create JPGs" unticked, answered Yes ends the
// program. The close box during a run ends the program at the run's next turn: the run
// unwinds, leaving no file under a temporary name, and nothing more is asked.
TEST_F(WindowsTest, RunsTakeTheWindowsValuesAndShowTheirProgress) {
  QSettings stored(QSettings::NativeFormat, QSettings::UserScope, "Korvell");
  stored.setValue("Snapnook/copyrightLink", "https://anna.example/");
  Form1& w = OpenWindow();
  EXPECT_EQ(Text("txtCopyrightLink"), "https://anna.example/");
  Type("txtCopyrightLink", "https://anna.example/album");
  User user;
  Click(&w, "cmdLoad");
  EXPECT_EQ(stored.value("Snapnook/copyrightLink"), "https://anna.example/album");

  AddToTree(tree.root(), "SET1/BIG/P{1..11}.JPG 40x30");
  Type("txtSourceDir", QString::fromStdString(tree.root()));
  Type("txtTitle", "Trip to Crete");
  W<QCheckBox>("chk640")->setChecked(false);
  auto* progress = W<QProgressBar>("ProgressBar1");
  int enabled_in_run = 0, progress_max = -1, progress_top = 0;
  user.on_turn = [&] {
    if (!w.RunInProgress()) return;
    enabled_in_run += EnabledButtons();
    if (progress->isVisible()) progress_max = progress->maximum();
    progress_top = std::max(progress_top, progress->value());
    w.activateWindow();  // so that Esc would reach "Close"
    QTest::keyClick(&w, Qt::Key_Escape);
  };
  Click(&w, "cmdLoad");
  EXPECT_EQ(enabled_in_run, 0);
  EXPECT_EQ(progress_max, 11);
  EXPECT_EQ(progress_top, 10);  // the bar stops short of its maximum
  EXPECT_EQ(EnabledButtons(), 3);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(W<QStatusBar>("StatusBar1")->currentMessage().startsWith(tree.root().c_str()));
  EXPECT_FALSE(W<QCheckBox>("chkCreateJPG")->isChecked());
  EXPECT_FALSE(tree.Exists("SET1/640/P11.JPG"));
  EXPECT_NE(tree.ReadFile("page02.htm").find("Trip to Crete"), std::string::npos);
  // The full-size area shows the last picture worked on, the other the copy saved from it.
  EXPECT_GT(W<PictureArea>("LEAD2")->picture().width(), W<PictureArea>("LEAD1")->picture().width());
  user.answer = QMessageBox::Yes;
  Click(&w, "cmdLoad");
  EXPECT_EQ(end_calls, 1);

  user.on_turn = [&] {
    if (W("ProgressBar1")->isVisible() && window->isVisible()) window->close();
  };
  OpenWindow();  // a new window, since Yes has ended the program
  EXPECT_FALSE(W<QCheckBox>("chkModern")->isChecked());
  W<QCheckBox>("chkModern")->setChecked(true);  // remembered once a run begins
  Type("txtSourceDir", QString::fromStdString(tree.root()));
  Click(window.get(), "cmdLoad");
  EXPECT_EQ(end_calls, 2);
  QFile messages(SNAPNOOK_TEST_DATA "/window_messages.txt");  // all the run's messages, in turn
  ASSERT_TRUE(messages.open(QIODevice::ReadOnly));
  EXPECT_EQ(user.messages, QString(messages.readAll()).split('\n', Qt::SkipEmptyParts));
  for (const std::string& file : tree.Files())
    EXPECT_FALSE(IsTemporaryName(QFileInfo(file.c_str()).fileName().toStdString())) << file;
  OpenWindow();
  EXPECT_TRUE(W<QCheckBox>("chkModern")->isChecked());
}

// A folder on the command line goes to txtSourceDir, Qt's own options are left to Qt; more
// than one folder is a bad usage.
TEST(CommandLine, TakesOneSourceFolder) {
  EXPECT_EQ(ReadCommandLine({"snapnook", "-platform", "offscreen", "-reverse", "--style=Fusion",
                             "/photos/Crete"})
                .source_folder,
            "/photos/Crete");
  EXPECT_EQ(ReadCommandLine({"snapnook", "/a", "/b"}).exit_status, 2);
}
