#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("projectdb %s\n", QE_VERSION);
    return 0;
  }
  std::printf("usage: projectdb <command> [options]\n");
  return argc > 1 ? 2 : 0;
}
