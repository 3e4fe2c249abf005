// The image types a grab can be written in, by their stored code.
#pragma once

#include <cstdint>
#include <span>

struct ImageTypeInfo {
    std::int32_t code;
    const char* label;      // as the options dialog lists it
    const char* extension;  // without the dot
};

// The entry for a stored code; any code outside 0..4 (-1 after a dialog closed with nothing
// chosen, say) is treated as BMP, code 0. The stored value itself is kept unchanged.
const ImageTypeInfo& ImageTypeFor(std::int32_t code);
// All five, in code order.
std::span<const ImageTypeInfo> ImageTypes();
