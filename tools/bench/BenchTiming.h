#pragma once
// The clock and the summary the in-process benches share.

#include <windows.h>

#include <algorithm>
#include <vector>

// Seconds on the performance counter.
inline double BenchNow() {
  static LARGE_INTEGER frequency = {};
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of a non-empty set of figures.
inline double BenchMedian(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
