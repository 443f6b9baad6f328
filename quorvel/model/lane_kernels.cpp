#include "quorvel/model/lane_kernels.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace quorvel::lanes {

namespace {

bool Supported(Path path) {
#if QUORVEL_VECTOR_KERNELS
  switch (path) {
    case Path::Portable:
      return true;
    case Path::Avx2:
      return __builtin_cpu_supports("avx2");
    case Path::Avx512:
      return __builtin_cpu_supports("avx512f");
  }
  return false;
#else
  return path == Path::Portable;
#endif
}

const Kernels& KernelsOf([[maybe_unused]] Path path) {
#if QUORVEL_VECTOR_KERNELS
  if (path == Path::Avx512) return Avx512Kernels();
  if (path == Path::Avx2) return Avx2Kernels();
#endif
  return PortableKernels();
}

// The best path the processor has, or no better than the one QUORVEL_SIMD names.
Path Chosen() {
  Path ceiling = Path::Avx512;
  if (const char* named = std::getenv("QUORVEL_SIMD")) {
    if (std::strcmp(named, "portable") == 0) ceiling = Path::Portable;
    if (std::strcmp(named, "avx2") == 0) ceiling = Path::Avx2;
  }
  for (Path path : {Path::Avx512, Path::Avx2}) {
    if (path <= ceiling && Supported(path)) return path;
  }
  return Path::Portable;
}

struct Choice {
  Path path;
  const Kernels* kernels;
};

Choice& Current() {
  static Choice choice = [] {
    const Path path = Chosen();
    return Choice{path, &KernelsOf(path)};
  }();
  return choice;
}

}  // namespace

const Kernels& Active() {
  return *Current().kernels;
}

Path ActivePath() {
  return Current().path;
}

bool Available(Path path) {
  return Supported(path);
}

bool Use(Path path) {
  if (!Supported(path)) return false;
  Current() = Choice{path, &KernelsOf(path)};
  return true;
}

const char* Name(Path path) {
  switch (path) {
    case Path::Avx2:
      return "avx2";
    case Path::Avx512:
      return "avx512";
    case Path::Portable:
      break;
  }
  return "portable";
}

}  // namespace quorvel::lanes
