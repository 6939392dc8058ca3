// The help window: its texts, composed once, and its buttons.
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "core/version.h"
#include "dialogs/frm_help_about.h"
#include "support/gui_support.h"

namespace snapnook::testing {
namespace {

const QStringList kInstructions = {
    "To use this program: ",
    "1. Create a folder called 'SET1' under any other folder on your PC.",
    "2. Create a folder under 'SET1' named 'BIG'.",
    "3. Copy your pictures into this 'BIG' folder.",
    "4. Run Snapnook, select the folder containing 'SET1' and then click the 'Create Pictures' "
    "button.",
    "Web pages will be created in this folder."};

struct HelpSeen {
  frmHelpAbout* window = nullptr;
  QString title;
  QString copyright;
  QString instructions;
  bool operator==(const HelpSeen&) const = default;
};

class HelpTest : public GuiTest {
 protected:
  // Presses "Help"; while the help window is up, records it and lets `leave` close it.
  HelpSeen PressHelp(const std::function<void(frmHelpAbout&)>& leave) {
    HelpSeen seen;
    User user;
    user.on_modal = [&](QWidget* modal) {
      auto* help = qobject_cast<frmHelpAbout*>(modal);
      ASSERT_NE(help, nullptr);
      seen = {help, help->windowTitle(), Child<QLabel>(help, "lblCopyright")->text(),
              Child<QLabel>(help, "lblInstructions")->text()};
      leave(*help);
      if (help->isVisible()) {
        // Fail once and let the test go on, rather than meet the same window at every turn.
        ADD_FAILURE() << "the help window is still shown";
        help->hide();
      }
    };
    QTest::mouseClick(Child<QPushButton>(window.get(), "cmdHelpAbout"), Qt::LeftButton);
    return seen;
  }

  static void PressOk(frmHelpAbout& help) {
    QTest::mouseClick(Child<QPushButton>(&help, "Command1"), Qt::LeftButton);
  }
};

TEST_F(HelpTest, ShowsTitleVersionAndTheExactInstructions) {
  OpenWindow();
  const HelpSeen seen = PressHelp(PressOk);
  EXPECT_EQ(seen.title, "About Snapnook");
  EXPECT_EQ(seen.copyright.split('\n').first().toStdString(),
            "Snapnook v." + std::string(kVersionText));
  EXPECT_EQ(seen.copyright.split('\n').at(1), "");
  EXPECT_TRUE(seen.copyright.contains("Korvell"));
  EXPECT_EQ(seen.instructions.split('\n'), kInstructions);
  EXPECT_EQ(HelpInstructionsText(), kInstructions.join("\r\n").toStdString());
}

TEST_F(HelpTest, OkHidesTheWindowAndTheNextHelpShowsItAgainWithoutComposing) {
  OpenWindow();
  const int before = frmHelpAbout::TextsComposed();
  const HelpSeen first = PressHelp(PressOk);
  const HelpSeen second = PressHelp(PressOk);
  EXPECT_EQ(frmHelpAbout::TextsComposed(), before + 1);
  EXPECT_EQ(first, second);
  EXPECT_EQ(window->HelpWindow(), first.window);
}

TEST_F(HelpTest, EscHidesLikeOk) {
  OpenWindow();
  const int before = frmHelpAbout::TextsComposed();
  const HelpSeen first =
      PressHelp([](frmHelpAbout& help) { QTest::keyClick(&help, Qt::Key_Escape); });
  const HelpSeen second =
      PressHelp([](frmHelpAbout& help) { QTest::keyClick(&help, Qt::Key_Return); });
  EXPECT_EQ(frmHelpAbout::TextsComposed(), before + 1);
  EXPECT_EQ(first, second);
}

TEST_F(HelpTest, CloseBoxUnloadsTheWindowSoTheNextHelpComposesAgain) {
  OpenWindow();
  const int before = frmHelpAbout::TextsComposed();
  const HelpSeen first = PressHelp([](frmHelpAbout& help) { help.close(); });
  EXPECT_EQ(window->HelpWindow(), nullptr);
  const HelpSeen second = PressHelp(PressOk);
  EXPECT_EQ(frmHelpAbout::TextsComposed(), before + 2);
  EXPECT_EQ(first.copyright, second.copyright);
  EXPECT_EQ(first.instructions, second.instructions);
  EXPECT_EQ(first.title, second.title);
}

TEST_F(HelpTest, WebButtonOpensTheMakersSiteWithTheBusyPointerMeanwhile) {
  OpenWindow();
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "Open");
  PressHelp([](frmHelpAbout& help) {
    auto* web = Child<QPushButton>(&help, "cmdWeb");
    EXPECT_EQ(web->text(), "www.korvell.example");
    QTest::mouseClick(web, Qt::LeftButton);
    // Enter presses the web button while it has the focus, and OK otherwise.
    web->setFocus();
    QTest::keyClick(web, Qt::Key_Return);
    EXPECT_TRUE(help.isVisible());
    Child<QPushButton>(&help, "Command1")->setFocus();
    QTest::keyClick(&help, Qt::Key_Return);
  });
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  ASSERT_EQ(catcher.opened.size(), 2);
  EXPECT_EQ(catcher.opened[0], QUrl("http://www.korvell.example"));
  EXPECT_TRUE(catcher.busy_while_opening);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace snapnook::testing
