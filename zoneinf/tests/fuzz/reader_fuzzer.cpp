// libFuzzer target over one reader of outside bytes; the build names the
// exercise (reader_exercises.h) with ZONEINF_FUZZ_EXERCISE.
#include "reader_exercises.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    zoneinf::fuzz::ZONEINF_FUZZ_EXERCISE(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
