#include "pictures/folder_kinds.h"

#include <gtest/gtest.h>

namespace snapnook {
namespace {

TEST(FolderKinds, SetFoldersEndWithSetAndOneMoreCharacter) {
  for (const char* name : {"SET1", "set9", "SETA", "MYSET2", "/a/b/SET1", "/a/SET1/", "x/set2/"}) {
    EXPECT_TRUE(IsSetFolder(name)) << name;
  }
  for (const char* name : {"SET", "SET10", "SETS1", "/a/SET10/", "/a/SET/", "ET1", "", "/"}) {
    EXPECT_FALSE(IsSetFolder(name)) << name;
  }
}

TEST(FolderKinds, BigFoldersEndWithBig) {
  for (const char* name : {"BIG", "big", "OLDBIG", "/a/SET1/BIG/", "/a/SET1/Big"}) {
    EXPECT_TRUE(IsBigFolder(name)) << name;
  }
  for (const char* name : {"BIGGER", "/a/BIG/x/", "/a/BIGS/", "BI", ""}) {
    EXPECT_FALSE(IsBigFolder(name)) << name;
  }
}

}  // namespace
}  // namespace snapnook
