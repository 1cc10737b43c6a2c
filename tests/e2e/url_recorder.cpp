// A stand-in web browser: writes the address it was asked to open to the file
// named by BLINDFOLD_OPENED_ADDRESSES, one line per address.
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const char* log = std::getenv("BLINDFOLD_OPENED_ADDRESSES");
  if (!log || argc < 2) return 1;
  std::FILE* file = std::fopen(log, "a");
  if (!file) return 1;
  std::fprintf(file, "%s\n", argv[1]);
  std::fclose(file);
  return 0;
}
