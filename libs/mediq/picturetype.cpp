#include "picturetype.h"

namespace {

// The offset just past the first start code 00 00 01 <code>, or -1.
int FindStartCode(const std::uint8_t* data, int size, std::uint8_t code)
{
    for (int i = 0; i + 3 < size; ++i) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == code)
            return i + 4;
    }
    return -1;
}

}  // namespace

bool OrdersByPictureType(AVCodecID codec)
{
    return codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO || codec == AV_CODEC_ID_MPEG4;
}

PictureType ReadPictureType(AVCodecID codec, const std::uint8_t* data, int size)
{
    if (codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO) {
        // Picture header: 10 bits of temporal reference, then 3 bits of picture coding type.
        const int at = FindStartCode(data, size, 0x00);
        if (at < 0 || at + 1 >= size)
            return PictureType::Unknown;
        switch ((data[at + 1] >> 3) & 7) {
        case 1: return PictureType::I;
        case 2: return PictureType::P;
        case 3: return PictureType::B;
        default: return PictureType::Unknown;
        }
    }
    if (codec == AV_CODEC_ID_MPEG4) {
        // Video object plane: the first two bits are its coding type (I, P, B, sprite).
        const int at = FindStartCode(data, size, 0xB6);
        if (at < 0 || at >= size)
            return PictureType::Unknown;
        switch (data[at] >> 6) {
        case 0: return PictureType::I;
        case 1:
        case 3: return PictureType::P;
        case 2: return PictureType::B;
        }
    }
    return PictureType::Unknown;
}
