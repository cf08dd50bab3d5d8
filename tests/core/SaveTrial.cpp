// A helper of scripts/kill-save-trial.sh: saves one version of a test file
// through the safe writer and exits, so the script can kill it at a random
// moment of the save. Each version is SIZE bytes of one repeated letter
// with the letter and the size in a first line, so a torn file shows.
//   kestrin_save_trial TARGET LETTER SIZE [named]
// "named" makes the writer use a named temporary file, as on file systems
// without unnamed ones.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/SafeFile.h"

namespace {

class TNamedOnly : public kestrin::TFileSystemCalls {
 public:
  int OpenAt(int dirFd, const char* name, int flags, mode_t mode) override {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
      errno = EOPNOTSUPP;
      return -1;
    }
    return TFileSystemCalls::OpenAt(dirFd, name, flags, mode);
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s TARGET LETTER SIZE [named]\n", argv[0]);
    return 2;
  }
  const std::string target = argv[1];
  const char letter = argv[2][0];
  const std::size_t size = std::strtoull(argv[3], nullptr, 10);
  std::string bytes = std::string("version ") + letter + " " + std::to_string(size) + "\n";
  bytes.resize(size, letter);
  TNamedOnly named;
  const bool useNamed = argc > 4 && std::string(argv[4]) == "named";
  const kestrin::TFileResult r = useNamed ? kestrin::WriteFileAtomically(target, bytes, named)
                                          : kestrin::WriteFileAtomically(target, bytes);
  if (!r) {
    std::fprintf(stderr, "%s\n", r.Reason().c_str());
    return 1;
  }
  return 0;
}
