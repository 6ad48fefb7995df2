// Remakes the committed gravity fixtures: make_gravity_fixture <folder>.
#include <cstdio>
#include <exception>
#include <string>

#include "gravity_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_gravity_fixture FOLDER\n");
    return 1;
  }
  try {
    const std::string folder = argv[1];
    ktv::WriteStandardGravityProject(folder + "/" + ktv::kStandardGravitySI, true);
    ktv::WriteStandardGravityProject(folder + "/" + ktv::kStandardGravityCGS, false);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_gravity_fixture: %s\n", e.what());
    return 1;
  }
  return 0;
}
