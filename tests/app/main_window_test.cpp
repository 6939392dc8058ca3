// The main window: its controls, start-up values, commands and a whole run.
#include <algorithm>
#include <filesystem>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTest>

#include "app/picture_area.h"
#include "core/file_system.h"
#include "support/gui_support.h"
#include "support/test_pictures.h"

namespace snapnook::testing {
namespace {

struct Placement {
  const char* name;
  int left, top, width, height;
};

// Every control of the window, at its place in the 712 x 457 client area.
constexpr Placement kControls[] = {
    {"Label1", 8, 8, 49, 17},
    {"txtSourceDir", 72, 8, 241, 19},
    {"cmdSrc", 328, 8, 25, 17},
    {"Label2", 8, 32, 49, 17},
    {"txtTitle", 72, 32, 241, 19},
    {"chkCreateJPG", 8, 64, 105, 13},
    {"chk640", 168, 64, 145, 17},
    {"chkCreateHTML", 8, 88, 105, 13},
    {"Label3", 8, 112, 57, 17},
    {"txtCopyright", 72, 112, 241, 19},
    {"Label4", 8, 136, 49, 17},
    {"txtCopyrightLink", 72, 136, 241, 19},
    {"cmdLoad", 6, 160, 105, 25},
    {"cmdCancel", 126, 160, 105, 25},
    {"cmdHelpAbout", 246, 160, 105, 25},
    {"LEAD1", 8, 192, 361, 217},
    {"LEAD2", 384, 8, 321, 401},
    {"ProgressBar1", 0, 416, 713, 17},
};

QString SettingValue(const char* key) {
  QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Korvell"));
  return stored.value(QStringLiteral("Snapnook/") + QLatin1String(key)).toString();
}

void StoreSetting(const char* key, const QString& value) {
  QSettings stored(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Korvell"));
  stored.setValue(QStringLiteral("Snapnook/") + QLatin1String(key), value);
}

class MainWindowTest : public GuiTest {
 protected:
  QPushButton* Button(const char* name) { return Child<QPushButton>(window.get(), name); }
  QCheckBox* Box(const char* name) { return Child<QCheckBox>(window.get(), name); }
  QLineEdit* Field(const char* name) { return Child<QLineEdit>(window.get(), name); }
  QProgressBar* Progress() { return Child<QProgressBar>(window.get(), "ProgressBar1"); }
  QStatusBar* Status() { return Child<QStatusBar>(window.get(), "StatusBar1"); }

  bool AllButtonsEnabled() {
    return Button("cmdLoad")->isEnabled() && Button("cmdCancel")->isEnabled() &&
           Button("cmdHelpAbout")->isEnabled();
  }

  // Two sets: eleven landscape pictures and a portrait one with its sideways original.
  void MakePictures() {
    tree.MakeDir("SET1/BIG/sideways");
    tree.MakeDir("SET2/BIG");
    for (int i = 1; i <= 8; ++i) {
      WriteTestJpeg(tree.Path("SET1/BIG/IMG" + std::to_string(i) + ".JPG"), 400, 300);
    }
    WriteTestJpeg(tree.Path("SET1/BIG/IMG9.JPG"), 300, 400);
    WriteTestJpeg(tree.Path("SET1/BIG/sideways/IMG9.JPG"), 400, 300);
    for (int i = 1; i <= 3; ++i) {
      WriteTestJpeg(tree.Path("SET2/BIG/DSC" + std::to_string(i) + ".jpg"), 320, 240);
    }
  }
};

TEST_F(MainWindowTest, EveryControlStartsInPlaceAndInItsInitialState) {
  Form1& w = OpenWindow();
  EXPECT_EQ(w.windowTitle(), "Snapnook");
  EXPECT_EQ(w.size(), QSize(712, 457));
  for (const Placement& c : kControls) {
    const QWidget* control = Child<QWidget>(&w, c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), QRect(c.left, c.top, c.width, c.height)) << c.name;
    EXPECT_TRUE(control->isEnabled()) << c.name;
    EXPECT_EQ(control->isVisible(), std::string_view(c.name) != "ProgressBar1") << c.name;
  }
  EXPECT_EQ(Status()->geometry(), QRect(0, 440, 712, 17));
  EXPECT_TRUE(Status()->currentMessage().isEmpty());

  const std::pair<const char*, const char*> captions[] = {{"Label1", "Source:"},
                                                          {"Label2", "Title:"},
                                                          {"Label3", "Copyright"},
                                                          {"Label4", "Copy Link"},
                                                          {"cmdSrc", "..."},
                                                          {"cmdLoad", "Create Pictures"},
                                                          {"cmdCancel", "Close"},
                                                          {"cmdHelpAbout", "Help"},
                                                          {"chkCreateJPG", "Create JPGs"},
                                                          {"chk640", "Create 640x480 files"},
                                                          {"chkCreateHTML", "Create HTML"}};
  for (const auto& [name, caption] : captions) {
    const QWidget* control = Child<QWidget>(&w, name);
    const QString text = qobject_cast<const QLabel*>(control)
                             ? qobject_cast<const QLabel*>(control)->text()
                             : qobject_cast<const QAbstractButton*>(control)->text();
    EXPECT_EQ(text, caption) << name;
  }
  for (const char* box : {"chkCreateJPG", "chk640", "chkCreateHTML"}) {
    EXPECT_TRUE(Box(box)->isChecked()) << box;
  }
  for (const char* field : {"txtSourceDir", "txtTitle", "txtCopyright", "txtCopyrightLink"}) {
    EXPECT_FALSE(Field(field)->isReadOnly()) << field;
    EXPECT_EQ(Field(field)->maxLength(), QLineEdit().maxLength()) << field;
  }
  EXPECT_TRUE(Field("txtSourceDir")->text().isEmpty());
  EXPECT_TRUE(Field("txtTitle")->text().isEmpty());
}

TEST_F(MainWindowTest, KeyboardOrderFollowsTheTabIndexes) {
  Form1& w = OpenWindow();
  const QStringList order = TabOrder(Button("cmdLoad"));
  const QStringList expected = {"cmdLoad",      "txtSourceDir",     "cmdSrc",      "txtTitle",
                                "chkCreateJPG", "chkCreateHTML",    "chk640",      "cmdCancel",
                                "txtCopyright", "txtCopyrightLink", "cmdHelpAbout"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(w.focusWidget(), Button("cmdLoad"));
}

TEST_F(MainWindowTest, ResizingMovesOnlyTheStatusBar) {
  Form1& w = OpenWindow();
  for (const QSize size : {QSize(900, 600), QSize(500, 300)}) {
    w.resize(size);
    for (const Placement& c : kControls) {
      EXPECT_EQ(Child<QWidget>(&w, c.name)->geometry(), QRect(c.left, c.top, c.width, c.height))
          << c.name;
    }
    EXPECT_EQ(Status()->geometry(), QRect(0, size.height() - 17, size.width(), 17));
  }
}

TEST_F(MainWindowTest, FirstStartShowsTheMakerAndItsAddress) {
  Form1& w = OpenWindow();
  EXPECT_EQ(Field("txtCopyright")->text(), "Korvell");
  EXPECT_EQ(Field("txtCopyrightLink")->text(), "http://www.korvell.example");
  EXPECT_EQ(w.session().state.LoadedCopyrightLink, "http://www.korvell.example");
}

TEST_F(MainWindowTest, RememberedHolderAndLinkAreShownAndKept) {
  StoreSetting("copyright", QStringLiteral("Anna Berg"));
  StoreSetting("copyrightLink", QStringLiteral("https://anna.example/"));
  Form1& w = OpenWindow();
  EXPECT_EQ(Field("txtCopyright")->text(), "Anna Berg");
  EXPECT_EQ(Field("txtCopyrightLink")->text(), "https://anna.example/");
  EXPECT_EQ(w.session().state.LoadedCopyrightLink, "https://anna.example/");

  // A run with the maker's name typed stores nothing, so the remembered holder survives; a
  // changed link is stored. (The empty source ends the run after storing.)
  Field("txtCopyright")->setText(QStringLiteral("Korvell"));
  Field("txtCopyrightLink")->setText(QStringLiteral("https://anna.example/album"));
  User user;
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);
  EXPECT_EQ(SettingValue("copyright"), "Anna Berg");
  EXPECT_EQ(SettingValue("copyrightLink"), "https://anna.example/album");

  window.reset();
  OpenWindow();
  EXPECT_EQ(Field("txtCopyright")->text(), "Anna Berg");
  EXPECT_EQ(Field("txtCopyrightLink")->text(), "https://anna.example/album");
}

TEST_F(MainWindowTest, EmptySourceIsReportedAndNoPassRuns) {
  Form1& w = OpenWindow();
  Field("txtCopyright")->setText(QStringLiteral("Anna Berg"));
  bool progress_shown = false;
  User user;
  user.on_turn = [&] { progress_shown |= Progress()->isVisible(); };
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);

  ASSERT_EQ(user.messages.size(), 1u);  // no closing question
  EXPECT_EQ(user.messages[0].title, "No Source Directory");
  EXPECT_EQ(user.messages[0].prompt, "Souce directory must be specified.");
  EXPECT_EQ(user.messages[0].icon, QMessageBox::Critical);
  EXPECT_EQ(user.messages[0].buttons, QMessageBox::Ok);
  EXPECT_EQ(SettingValue("copyright"), "Anna Berg");  // stored before the check
  EXPECT_FALSE(progress_shown);
  EXPECT_FALSE(Progress()->isVisible());
  EXPECT_TRUE(AllButtonsEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(end_calls, 0);
  EXPECT_FALSE(w.RunInProgress());
}

TEST_F(MainWindowTest, RunWithAllThreeBoxesMakesTheAlbumAndShowsItsProgress) {
  MakePictures();
  Form1& w = OpenWindow();
  Field("txtSourceDir")->setText(QString::fromStdString(tree.root()));
  Field("txtTitle")->setText(QStringLiteral("Trip"));

  int turns_in_run = 0;
  bool buttons_enabled_in_run = false;
  bool progress_shown = false;
  bool esc_pressed = false;
  int progress_max = -1;
  int progress_top = 0;
  QStringList statuses;
  User user;
  user.on_turn = [&] {
    if (!w.RunInProgress()) return;
    ++turns_in_run;
    buttons_enabled_in_run |= Button("cmdLoad")->isEnabled() || Button("cmdCancel")->isEnabled() ||
                              Button("cmdHelpAbout")->isEnabled();
    if (Progress()->isVisible()) {
      progress_shown = true;
      progress_max = Progress()->maximum();
    }
    const QString status = Status()->currentMessage();
    if (!status.isEmpty() && (statuses.isEmpty() || statuses.back() != status)) statuses << status;
    if (!esc_pressed) {
      // The key that stands for "Close" does nothing while its button is disabled.
      QTest::keyClick(&w, Qt::Key_Escape);
      esc_pressed = true;
    }
  };
  QObject::connect(Progress(), &QProgressBar::valueChanged,
                   [&](int value) { progress_top = std::max(progress_top, value); });
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);

  EXPECT_GT(turns_in_run, 12);
  EXPECT_FALSE(buttons_enabled_in_run);
  EXPECT_TRUE(progress_shown);
  EXPECT_EQ(progress_max, 12);
  EXPECT_EQ(progress_top, 11);  // the bar stops short of its maximum
  EXPECT_TRUE(statuses.contains(QString::fromStdString(tree.Path("SET1/BIG/IMG1.JPG"))))
      << statuses.join('\n').toStdString();
  EXPECT_TRUE(statuses.contains(QString::fromStdString(tree.Path("SET2/DSC3.jpg"))));

  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0].title, "HTML was created successfully");
  EXPECT_EQ(user.messages[0].prompt, "Do you want to exit the program?");
  EXPECT_EQ(user.messages[0].icon, QMessageBox::Question);
  EXPECT_EQ(user.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);

  // Answered No: the window is usable again, "Create JPGs" stays unticked.
  EXPECT_EQ(end_calls, 0);
  EXPECT_FALSE(w.RunInProgress());
  EXPECT_TRUE(AllButtonsEnabled());
  EXPECT_FALSE(Progress()->isVisible());
  EXPECT_FALSE(Box("chkCreateJPG")->isChecked());
  EXPECT_TRUE(Box("chk640")->isChecked());
  EXPECT_TRUE(Box("chkCreateHTML")->isChecked());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(Status()->currentMessage().isEmpty());

  for (const char* file :
       {"SET1/IMG1.JPG", "SET1/Thumb/IMG1.JPG", "SET1/640/IMG1.JPG", "SET1/640/sideways/IMG9.JPG",
        "SET2/DSC3.jpg", "index.html", "page01.htm", "page02.htm", "page00.htm", "page00a.htm"}) {
    EXPECT_TRUE(tree.Exists(file)) << file;
  }
  EXPECT_FALSE(tree.Exists("page03.htm"));
  // The picture areas show the last picture worked on and the copy saved from it.
  EXPECT_FALSE(Child<PictureArea>(&w, "LEAD1")->picture().isNull());
  EXPECT_FALSE(Child<PictureArea>(&w, "LEAD2")->picture().isNull());

  // Still usable: a second run without the derive pass asks the question again.
  user.messages.clear();
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(user.messages[0].title, "HTML was created successfully");
  EXPECT_TRUE(AllButtonsEnabled());
}

TEST_F(MainWindowTest, YesAtTheClosingQuestionEndsTheProgram) {
  tree.MakeDir("SET1/BIG");
  Form1& w = OpenWindow();
  Field("txtSourceDir")->setText(QString::fromStdString(tree.root()));
  User user;
  user.answer = [](const SeenMessage&) { return QMessageBox::Yes; };
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);
  ASSERT_EQ(user.messages.size(), 1u);
  EXPECT_EQ(end_calls, 1);
  EXPECT_FALSE(w.RunInProgress());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, CloseButtonAndEscEndTheProgramAtOnce) {
  Form1& w = OpenWindow();
  QTest::mouseClick(Button("cmdCancel"), Qt::LeftButton);
  EXPECT_EQ(end_calls, 1);

  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  Field("txtTitle")->setFocus();
  QTest::keyClick(Field("txtTitle"), Qt::Key_Escape);
  EXPECT_EQ(end_calls, 2);

  w.close();
  EXPECT_EQ(end_calls, 3);
}

// Closing the window by its frame during a run ends the program at the run's next turn; the
// run unwinds, so no file is left under a temporary name and nothing more is asked.
TEST_F(MainWindowTest, ClosingTheWindowDuringARunEndsTheProgramCleanly) {
  MakePictures();
  Form1& w = OpenWindow();
  Field("txtSourceDir")->setText(QString::fromStdString(tree.root()));
  bool closed = false;
  User user;
  user.on_turn = [&] {
    if (w.RunInProgress() && Progress()->isVisible() && !closed) {
      closed = true;
      w.close();
    }
  };
  QTest::mouseClick(Button("cmdLoad"), Qt::LeftButton);

  EXPECT_TRUE(closed);
  EXPECT_EQ(end_calls, 1);
  EXPECT_FALSE(w.isVisible());
  EXPECT_FALSE(w.RunInProgress());
  EXPECT_TRUE(user.messages.empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  for (const std::string& file : tree.Files()) {
    EXPECT_FALSE(IsTemporaryName(std::filesystem::path(file).filename().string())) << file;
  }
  // The originals are untouched and the run stopped before the pages.
  EXPECT_EQ(tree.Snapshot("SET1/BIG").size(), 10u);
  EXPECT_FALSE(tree.Exists("page02.htm"));
}

}  // namespace
}  // namespace snapnook::testing
