// Remakes the committed cantilever fixtures: make_cantilever_fixture <folder>.
#include <cstdio>
#include <exception>
#include <string>

#include "cantilever_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_cantilever_fixture FOLDER\n");
    return 1;
  }
  try {
    const std::string folder = argv[1];
    ktv::WriteStandardCantileverProject(folder + "/" + ktv::kStandardCantileverSI, true);
    ktv::WriteStandardCantileverProject(folder + "/" + ktv::kStandardCantileverCGS, false);
    ktv::WriteSectionAaCantileverProject(folder + "/" + ktv::kSectionAaCantileverSI);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_cantilever_fixture: %s\n", e.what());
    return 1;
  }
  return 0;
}
