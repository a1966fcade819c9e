// Opens Explorer as the program does, for a shell check of the command line it got:
//   velix_explorer_probe LETTER   ("-" for plain Explorer)

#include <windows.h>

#include "sysact/Explorer.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  OpenExplorer(argv[1][0] == '-' ? 0 : argv[1][0]);
  return 0;
}
