#include "imagetype.h"

#include <array>

namespace {

const std::array<ImageTypeInfo, 5> kImageTypes = {{
    {0, "Microsoft Windows Bitmap(BMP)", "bmp", ImageFormatBMP},
    {1, "JPEG Format(JPG)", "jpg", ImageFormatJPEG},
    {2, "Portable Network Graphics(PNG)", "png", ImageFormatPNG},
    {3, "Graphics Interchanged Format(GIF)", "gif", ImageFormatGIF},
    {4, "Tagged Imaged File Format(TIFF)", "tif", ImageFormatTIFF},
}};

}  // namespace

const ImageTypeInfo& ImageTypeFor(std::int32_t code)
{
    if (code < 0 || code >= std::int32_t(kImageTypes.size()))
        return kImageTypes[0];
    return kImageTypes[std::size_t(code)];
}

std::span<const ImageTypeInfo> ImageTypes()
{
    return kImageTypes;
}
