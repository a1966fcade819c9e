// Writes every sample the image tests make into <dir>/<format>/, and a few XML texts
// into <dir>/xml/: the fuzz seed corpus.

#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "tests/image/samples/ImageWriters.h"

namespace {

// An update description as the server sends it, and the edges of the reader.
const char* const kXmlSeeds[] = {
    "<?xml version=\"1.0\" encoding=\"gb2312\"?><soft><main name=\"Velix\" ver=\"1.1\" "
    "path=\"soft/velix.vlx\"><p flag=\"5\" name=\"plug\" ver=\"2\" path=\"soft/p5.vlx\"/></main></soft>",
    "<?xml version=\"1.0\"?>\r\n<plugins>\r\n  <p id=\"1\" name=\"\xb1\xe3\xc7\xa9\">text</p>\r\n</plugins>\r\n",
    "<a><b>t</b><c/></a><d></d>",
    "<a><a>t</a></a><!--c--><b x=1 y=\"2/>",
    "<?xml version=\"1.0\"",
};

}  // namespace

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
  const std::string xmlDir = root + "/xml";
  mkdir(xmlDir.c_str(), 0755);
  for (const char* seed : kXmlSeeds) {
    const std::string path = xmlDir + "/seed" + std::to_string(written) + ".xml";
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fputs(seed, f) < 0) {
      fprintf(stderr, "cannot write %s\n", path.c_str());
      if (f) fclose(f);
      return 1;
    }
    fclose(f);
    written++;
  }
  printf("%d seeds in %s\n", written, root.c_str());
  return 0;
}
