// A libFuzzer target: the property FUZZ_CHECK (CheckPageText, CheckWebPath or
// CheckNaturalOrder, as the build defines it) on every input; a broken one aborts.
#include <cstdio>
#include <cstdlib>

#include "fuzz_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string wrong =
      snapnook::fuzz::FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size));
  if (wrong.empty()) return 0;
  std::fprintf(stderr, "property broken: %s\n", wrong.c_str());
  std::abort();
}
