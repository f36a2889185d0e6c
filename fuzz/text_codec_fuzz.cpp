// The text conversions over any bytes: nothing crashes, and every accepted
// conversion is undone exactly by its reverse, so that no text (a file name
// above all) ever comes back as another.
//
// Input: any bytes, read as UTF-8, as UTF-16 (pairs of bytes) and as the
// single-byte code pages.
#include "fuzz/fuzz_support.h"
#include "platform/text_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vh;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    if (const auto utf16 = utf8_to_utf16(bytes)) {
        FUZZ_CHECK(utf16_to_utf8(*utf16) == bytes);
        FUZZ_CHECK(utf16_length(bytes) == utf16->size());
    }

    std::u16string units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    const std::string utf8 = utf16_to_utf8(units);
    FUZZ_CHECK(utf8_to_utf16(utf8) == units);

    const std::string from_1251 = cp1251_to_utf8(bytes);
    FUZZ_CHECK(utf8_to_cp1251(from_1251) == bytes);
    const std::string from_866 = cp866_to_utf8(bytes);
    FUZZ_CHECK(utf8_to_cp866(from_866) == bytes);
    if (const auto cp1251 = utf8_to_cp1251(bytes)) FUZZ_CHECK(cp1251_to_utf8(*cp1251) == bytes);
    if (const auto cp866 = utf8_to_cp866(bytes)) FUZZ_CHECK(cp866_to_utf8(*cp866) == bytes);
    return 0;
}
