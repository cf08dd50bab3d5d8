// The safe writer's sets of files (the pages of one document): all of them
// take their names or none does.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/SafeFile.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;

namespace {

// Fails the flush of the n-th temporary file (a full disk found late).
class TFailingSync : public TFileSystemCalls {
 public:
  explicit TFailingSync(int failAt) : failAt_(failAt) {}
  int Fsync(int fd) override {
    if (++files_ == failAt_) {
      errno = ENOSPC;
      return -1;
    }
    return TFileSystemCalls::Fsync(fd);
  }

 private:
  int failAt_;
  int files_ = 0;
};

}  // namespace

TEST(SafeFileSet, AFailureAtAnyFileLeavesEveryFileAsItWas) {
  TempDir dir;
  for (const char* name : {"p-1.png", "p-2.png", "p-3.png"}) testutil::WriteFile(dir / name, "old");
  const std::vector<std::pair<std::string, std::string_view>> set = {{dir / "p-1.png", "new1"},
                                                                     {dir / "p-2.png", "new2"},
                                                                     {dir / "p-3.png", "new3"},
                                                                     {dir / "p-4.png", "new4"}};
  for (int failAt : {1, 3, 4}) {
    TFailingSync calls(failAt);
    const TFileResult r = WriteFilesAtomically(set, calls);
    ASSERT_FALSE(r) << failAt;
    EXPECT_EQ(r.Path, set[static_cast<std::size_t>(failAt - 1)].first);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"p-1.png", "p-2.png", "p-3.png"})) << failAt;
    for (const char* name : {"p-1.png", "p-2.png", "p-3.png"})
      EXPECT_EQ(testutil::ReadFile(dir / name), "old");
  }
  ASSERT_TRUE(WriteFilesAtomically(set));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"p-1.png", "p-2.png", "p-3.png", "p-4.png"}));
  EXPECT_EQ(testutil::ReadFile(dir / "p-3.png"), "new3");
  EXPECT_EQ(testutil::ReadFile(dir / "p-4.png"), "new4");
}
