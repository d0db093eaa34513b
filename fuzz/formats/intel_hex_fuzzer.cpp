// The Intel HEX reader on arbitrary text.

#include "formats/intel_hex.h"
#include "record_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzRecordReader<zelmo::formats::IntelHexReader>(data, size);
}
