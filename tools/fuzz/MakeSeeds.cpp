// Writes every sample the image tests make into <dir>/<format>/, the fuzz seed corpus.

#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "tests/image/samples/ImageWriters.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s <directory>\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  mkdir(root.c_str(), 0755);
  int written = 0;
  for (const Sample& s : AllSamples()) {
    std::string ext = s.name.substr(s.name.rfind('.') + 1);
    if (ext == "cur") ext = "ico";
    const std::string dir = root + "/" + ext;
    mkdir(dir.c_str(), 0755);
    FILE* f = fopen((dir + "/" + s.name).c_str(), "wb");
    if (!f || fwrite(s.bytes.data(), 1, s.bytes.size(), f) != s.bytes.size()) {
      fprintf(stderr, "cannot write %s\n", s.name.c_str());
      if (f) fclose(f);
      return 1;
    }
    fclose(f);
    written++;
  }
  printf("%d seeds in %s\n", written, root.c_str());
  return 0;
}
