// The S-record reader on arbitrary text.

#include "formats/srecord.h"
#include "record_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzzRecordReader<zelmo::formats::SRecordReader>(data, size);
}
