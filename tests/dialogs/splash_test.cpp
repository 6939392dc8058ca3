// The splash during start-up: how long it stays, and what dismisses it.
#include <functional>

#include <QFrame>
#include <QLabel>
#include <QTest>

#include "core/version.h"
#include "dialogs/frm_splash.h"
#include "support/gui_support.h"

namespace snapnook::testing {
namespace {

class SplashTest : public GuiTest {
 protected:
  // Start-up on a clock that advances 50 ms at every reading and lets `act` play the user at
  // the given reading.
  void LoadWith(int act_at, std::function<void(frmSplash&)> act) {
    window = std::make_unique<Form1>(fs, *settings);
    window->end_program = [this] { ++end_calls; };
    window->Load([&, act_at, act] {
      ++readings;
      if (readings == 2) seen_open = window->Splash() && window->Splash()->isVisible();
      if (readings == act_at && window->Splash()) act(*window->Splash());
      now += 0.05;
      return now;
    });
    finished_at = now;
  }

  bool SplashGone() { return window->Splash() == nullptr || !window->Splash()->isVisible(); }

  const double start = 1000.0;
  double now = start;
  double finished_at = 0;
  int readings = 0;
  bool seen_open = false;
};

TEST_F(SplashTest, StaysAboutTwoSecondsWithoutInput) {
  LoadWith(0, nullptr);
  EXPECT_TRUE(seen_open);
  EXPECT_GE(finished_at - start, 1.5);
  EXPECT_LE(finished_at - start, 2.5);
  EXPECT_TRUE(SplashGone());
  EXPECT_FALSE(window->session().state.SplashDismissed);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SplashTest, ShowsProductNameAndVersion) {
  LoadWith(3, [](frmSplash& splash) {
    EXPECT_EQ(Child<QLabel>(&splash, "lblProductName")->text(), "Snapnook");
    EXPECT_EQ(Child<QLabel>(&splash, "lblVersion")->text(),
              QString::fromStdString("Version " + std::string(kVersionText)));
    EXPECT_EQ(Child<QLabel>(&splash, "lblCompanyProduct")->text(), "Korvell");
    EXPECT_EQ(Child<QLabel>(&splash, "lblPlatform")->text(), "for Linux");
    EXPECT_EQ(Child<QFrame>(&splash, "Frame1")->geometry(), QRect(8, 8, 472, 270));
    EXPECT_EQ(splash.size(), QSize(492, 283));
    EXPECT_TRUE(splash.windowTitle().isEmpty());
  });
}

TEST_F(SplashTest, CharacterKeysDismissAtOnce) {
  for (const Qt::Key key : {Qt::Key_A, Qt::Key_5, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape,
                            Qt::Key_Backspace, Qt::Key_Comma}) {
    SCOPED_TRACE(key);
    now = start;
    readings = 0;
    LoadWith(4, [key](frmSplash& splash) { QTest::keyClick(&splash, key); });
    EXPECT_TRUE(window->session().state.SplashDismissed);
    EXPECT_LE(readings, 5);  // the wait stopped at its next test
    EXPECT_TRUE(SplashGone());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
}

TEST_F(SplashTest, KeysWithoutACharacterDoNothing) {
  LoadWith(4, [](frmSplash& splash) {
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_F1, Qt::Key_Shift}) {
      QTest::keyClick(&splash, key);
    }
  });
  EXPECT_FALSE(window->session().state.SplashDismissed);
  EXPECT_GE(finished_at - start, 1.5);
  EXPECT_TRUE(SplashGone());
}

TEST_F(SplashTest, ClickOnTheFrameDismissesButNotOnItsLabelsOrLogo) {
  LoadWith(4, [](frmSplash& splash) {
    for (const char* name : {"lblVersion", "lblProductName", "Label1", "Picture1"}) {
      QTest::mouseClick(Child<QWidget>(&splash, name), Qt::LeftButton);
    }
  });
  EXPECT_FALSE(window->session().state.SplashDismissed);
  EXPECT_GE(finished_at - start, 1.5);

  now = start;
  readings = 0;
  LoadWith(4, [](frmSplash& splash) {
    // A point of the frame that no label or picture covers.
    QTest::mouseClick(Child<QFrame>(&splash, "Frame1"), Qt::LeftButton, {}, QPoint(440, 30));
  });
  EXPECT_TRUE(window->session().state.SplashDismissed);
  EXPECT_LE(readings, 5);
  EXPECT_TRUE(SplashGone());
}

}  // namespace
}  // namespace snapnook::testing
