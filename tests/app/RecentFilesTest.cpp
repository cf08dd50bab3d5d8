// The recent-file lists of the months and of the strength logs share one
// settings file, each in a section of its own.
#include <gtest/gtest.h>

#include "app/RecentFiles.h"

namespace kestrin {
namespace {

TEST(RecentFiles, TwoListsInOneSettingsFileKeepToTheirSections) {
  TIniFile ini;
  ini.SetText("[Recent]\r\nFile1=/data/old.slt\r\n[RecentStrength]\r\nFile8=/data/old.kst\r\n");
  TRecentFiles months;
  TRecentFiles strength(kSectionRecentStrength);
  EXPECT_EQ(months.Section(), "Recent");
  months.Read(ini);
  strength.Read(ini);
  EXPECT_EQ(months.Paths(), QStringList{"/data/old.slt"});
  EXPECT_EQ(strength.Paths(), QStringList{"/data/old.kst"});

  for (int i = 0; i <= TRecentFiles::kMaxFiles; ++i) strength.Add(QStringLiteral("/data/%1.kst").arg(i));
  strength.Write(ini);
  months.Read(ini);
  EXPECT_EQ(months.Paths(), QStringList{"/data/old.slt"});  // untouched by the strength list's write
  const std::string text = ini.Text();
  EXPECT_NE(text.find("[Recent]\r\nFile1=/data/old.slt\r\n[RecentStrength]\r\nFile8=/data/1.kst\r\n"
                      "File1=/data/8.kst\r\n"),
            std::string::npos)
      << text;

  TRecentFiles again(kSectionRecentStrength);
  again.Read(ini);
  ASSERT_EQ(again.Paths().size(), TRecentFiles::kMaxFiles);
  EXPECT_EQ(again.Paths().front(), "/data/8.kst");
  EXPECT_EQ(again.Paths().back(), "/data/1.kst");
}

}  // namespace
}  // namespace kestrin
