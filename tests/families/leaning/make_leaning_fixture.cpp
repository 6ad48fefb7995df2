// Remakes the committed leaning fixtures: make_leaning_fixture <folder>.
#include <cstdio>
#include <exception>
#include <string>

#include "leaning_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_leaning_fixture FOLDER\n");
    return 1;
  }
  try {
    const std::string folder = argv[1];
    ktv::WriteStandardLeaningProject(folder + "/" + ktv::kStandardLeaningSI, true);
    ktv::WriteStandardLeaningProject(folder + "/" + ktv::kStandardLeaningCGS, false);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_leaning_fixture: %s\n", e.what());
    return 1;
  }
  return 0;
}
