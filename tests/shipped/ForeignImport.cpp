// A program that imports zlib from its DLL: the shipped-binary check must refuse it.

#include <zlib.h>

int main() { return zlibVersion()[0] == '1' ? 0 : 1; }
