// The image types a grab can be written in, by their stored code, and their encoders.
#pragma once

#include <cstdint>
#include <span>

enum class EncoderFormat { BMP, JPEG, PNG, GIF, TIFF };
inline constexpr EncoderFormat ImageFormatBMP = EncoderFormat::BMP;
inline constexpr EncoderFormat ImageFormatJPEG = EncoderFormat::JPEG;
inline constexpr EncoderFormat ImageFormatPNG = EncoderFormat::PNG;
inline constexpr EncoderFormat ImageFormatGIF = EncoderFormat::GIF;
inline constexpr EncoderFormat ImageFormatTIFF = EncoderFormat::TIFF;

struct ImageTypeInfo {
    std::int32_t code;
    const char* label;      // as the options dialog lists it
    const char* extension;  // without the dot
    EncoderFormat encoder;
};

// The entry for a stored code; any code outside 0..4 (-1 after a dialog closed with nothing
// chosen, say) is treated as BMP, code 0. The stored value itself is kept unchanged.
const ImageTypeInfo& ImageTypeFor(std::int32_t code);
// All five, in code order.
std::span<const ImageTypeInfo> ImageTypes();
