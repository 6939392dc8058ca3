#include "pictures/folder_kinds.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "core/folder_lookup.h"
#include "core/natural_order.h"
#include "support/temp_tree.h"

namespace snapnook {
namespace {

// The folder kinds, the same in every locale: under Turkish rules "i" does not upper-case to
// "I", which must not make "big" anything but a folder of originals.
void ExpectTheKinds() {
  for (const char* name : {"SET1", "set9", "SETA", "MYSET2", "/a/b/SET1", "/a/SET1/", "x/set2/",
                           "SET\xC3\xA9", "/a/set\xE2\x82\xAC/", "SET\xE9"}) {
    EXPECT_TRUE(IsSetFolder(name)) << name;
  }
  for (const char* name : {"SET", "SET10", "SETS1", "/a/SET10/", "/a/SET/", "ET1", "", "/",
                           "SET\xC3\xA9x", "SET\xE2\x82\xAC\xC3\xA9"}) {
    EXPECT_FALSE(IsSetFolder(name)) << name;
  }
  for (const char* name : {"BIG", "big", "OLDBIG", "/a/SET1/BIG/", "/a/SET1/Big", "bIg"}) {
    EXPECT_TRUE(IsBigFolder(name)) << name;
  }
  for (const char* name : {"BIGGER", "/a/BIG/x/", "/a/BIGS/", "BI", ""}) {
    EXPECT_FALSE(IsBigFolder(name)) << name;
  }
  testing::TempTree tree;
  tree.MakeDir("BIG/SIDEWAYS");
  RealFileSystem fs;
  EXPECT_EQ(FindFolderIgnoringCase(fs, tree.Path("BIG"), "sideways"), "SIDEWAYS");
  EXPECT_TRUE(MatchesPattern("img.jpg", "*.JPG"));
  EXPECT_LT(NaturalCompare("img2", "IMG10"), 0);
}

TEST(FolderKinds, AreDecidedOnTheNameAloneInEveryLocale) {
  ExpectTheKinds();
  // A Turkish locale, made for the test where the system has none.
  testing::TempTree locales;
  const std::string made =
      "localedef -i tr_TR -f UTF-8 " + locales.Path("tr_TR.UTF-8") + " >/dev/null 2>&1";
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr && std::system(made.c_str()) == 0) {
    ::setenv("LOCPATH", locales.root().c_str(), 1);
  }
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
    GTEST_SKIP() << "no tr_TR.UTF-8 locale and localedef could not make one";
  }
  ExpectTheKinds();
  std::setlocale(LC_ALL, "C");
  ::unsetenv("LOCPATH");
}

}  // namespace
}  // namespace snapnook
