// The folder chooser: where it opens, what it keeps between uses and what it writes back.
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/form2.h"
#include "support/gui_support.h"

namespace snapnook::testing {
namespace {

class ChooserTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    tree.MakeDir("start/inner");
    tree.MakeDir("photos/SET1/BIG");
    tree.MakeDir("photos/SET2");
    tree.MakeDir("photos/.hidden");
    old_current_ = QDir::currentPath();
    QDir::setCurrent(Q(tree.Path("start")));
    OpenWindow();
  }
  void TearDown() override {
    QDir::setCurrent(old_current_);
    GuiTest::TearDown();
  }

  static QString Q(const std::string& text) { return QString::fromStdString(text); }
  QLineEdit* SourceField() { return Child<QLineEdit>(window.get(), "txtSourceDir"); }

  // Presses "..."; while the chooser is up, notes the folder it opened on and lets `act` play
  // the user, who must close it.
  QString Browse(const std::function<void(Form2&, FolderList&)>& act) {
    QString opened_on;
    User user;
    user.on_modal = [&](QWidget* modal) {
      auto* chooser = qobject_cast<Form2*>(modal);
      ASSERT_NE(chooser, nullptr);
      opened_on = chooser->Path();
      act(*chooser, *Child<FolderList>(chooser, "Dir1"));
      EXPECT_FALSE(chooser->isVisible());
    };
    QTest::mouseClick(Child<QPushButton>(window.get(), "cmdSrc"), Qt::LeftButton);
    return opened_on;
  }

  static void PressOk(Form2& chooser, FolderList&) {
    QTest::mouseClick(Child<QPushButton>(&chooser, "cmdOK"), Qt::LeftButton);
  }

  // Highlights the subfolder `name` of the open folder and presses Enter on it.
  static void Open(FolderList& list, const QString& name) {
    const QList<QTreeWidgetItem*> found =
        list.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list.setCurrentItem(found.first());
    QTest::keyClick(&list, Qt::Key_Return);
  }

 private:
  QString old_current_;
};

TEST_F(ChooserTest, HasItsControlsInPlace) {
  Browse([](Form2& chooser, FolderList& list) {
    EXPECT_EQ(chooser.windowTitle(), "Choose a directory");
    EXPECT_EQ(chooser.size(), QSize(392, 175));
    EXPECT_EQ(Child<QComboBox>(&chooser, "Drive1")->geometry(), QRect(0, 0, 241, 21));
    EXPECT_EQ(list.geometry(), QRect(0, 24, 385, 111));
    EXPECT_EQ(Child<QPushButton>(&chooser, "cmdOK")->geometry(), QRect(144, 144, 89, 25));
    EXPECT_EQ(Child<QComboBox>(&chooser, "Drive1")->itemData(0).toString(), "/");
    // The folder list has the focus, and comes first in the keyboard order.
    EXPECT_EQ(chooser.focusWidget(), &list);
    EXPECT_EQ(TabOrder(&list), QStringList({"Dir1", "Drive1", "cmdOK"}));
    PressOk(chooser, list);
  });
}

TEST_F(ChooserTest, FirstUseOpensOnTheWorkingFolderAndOkWritesItBack) {
  const QString opened = Browse(PressOk);
  EXPECT_EQ(opened, Q(tree.Path("start")));
  EXPECT_EQ(SourceField()->text(), Q(tree.Path("start")));
}

TEST_F(ChooserTest, ListShowsAncestorsAndSubfoldersAndEnterOpensAFolder) {
  SourceField()->setText(Q(tree.Path("photos")));
  Browse([](Form2& chooser, FolderList& list) {
    QStringList shown;
    for (QTreeWidgetItemIterator it(&list); *it; ++it) shown << (*it)->text(0);
    EXPECT_EQ(shown.first(), "/");
    EXPECT_EQ(shown.mid(shown.size() - 3), QStringList({"photos", "SET1", "SET2"}));
    Open(list, "SET1");
    EXPECT_TRUE(chooser.isVisible());  // Enter opened the folder; it did not press OK
    Open(list, "BIG");
    PressOk(chooser, list);
  });
  EXPECT_EQ(SourceField()->text(), Q(tree.Path("photos/SET1/BIG")));
}

TEST_F(ChooserTest, KeepsItsFolderBetweenUses) {
  Browse([](Form2& chooser, FolderList& list) {
    Open(list, "inner");
    PressOk(chooser, list);
  });
  Form2* first = window->Chooser();
  SourceField()->clear();
  const QString opened = Browse(PressOk);
  EXPECT_EQ(window->Chooser(), first);
  EXPECT_EQ(opened, Q(tree.Path("start/inner")));
  EXPECT_EQ(SourceField()->text(), Q(tree.Path("start/inner")));
}

TEST_F(ChooserTest, OpensOnTheTypedFolderWhenItExists) {
  SourceField()->setText(Q(tree.Path("photos/SET2/")));
  EXPECT_EQ(Browse(PressOk), Q(tree.Path("photos/SET2")));
  // OK replaces the typed text even when it names the same folder.
  EXPECT_EQ(SourceField()->text(), Q(tree.Path("photos/SET2")));

  SourceField()->setText(Q(tree.Path("photos/nothing here")));
  EXPECT_EQ(Browse(PressOk), Q(tree.Path("photos/SET2")));
  EXPECT_EQ(SourceField()->text(), Q(tree.Path("photos/SET2")));
}

TEST_F(ChooserTest, ClosingWithoutOkLeavesTheFieldAsTyped) {
  SourceField()->setText(QStringLiteral("typed by hand"));
  Browse([](Form2& chooser, FolderList& list) {
    Open(list, "inner");
    QTest::keyClick(&chooser, Qt::Key_Escape);
  });
  EXPECT_EQ(SourceField()->text(), "typed by hand");
  Browse([](Form2& chooser, FolderList&) { chooser.close(); });
  EXPECT_EQ(SourceField()->text(), "typed by hand");
  // The chooser stays where the user left it.
  SourceField()->clear();
  EXPECT_EQ(Browse(PressOk), Q(tree.Path("start/inner")));
}

TEST(DriveRoots, RootComesFirstThenNaturalOrder) {
  EXPECT_EQ(OrderDriveRoots({"/media/usb10", "/boot", "/", "/media/usb9", "", "/boot"}),
            QStringList({"/", "/boot", "/media/usb9", "/media/usb10"}));
  App();
  EXPECT_EQ(MountedDriveRoots().first(), "/");
}

}  // namespace
}  // namespace snapnook::testing
