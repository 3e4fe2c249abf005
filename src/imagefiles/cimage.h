// The in-memory image: a device-independent bitmap (rows padded to four bytes, bottom-up unless
// made top-down) with its geometry, addressed from the top row down through bits and a signed
// pitch. It is saved in five formats, loaded from image files at their own depth, and drawn.
#pragma once

#include "colorref.h"
#include "dibbitmap.h"
#include "imagestatus.h"
#include "imagetype.h"
#include "saveoptions.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

class QPainter;

// Not shared between threads: an image is made, used and destroyed by one thread at a time (a
// capture worker may fill one and hand it to the user-interface thread with its item).
class CImage {
public:
    enum class Orientation { Default, TopDown, BottomUp };
    static constexpr unsigned kCreateAlpha = 1;  // Create flag: the fourth byte of 32-bit pixels is alpha
    static constexpr ColorRef kInvalidColor = 0xFFFFFFFF;

    CImage() = default;
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;
    CImage(CImage&&) noexcept = default;
    CImage& operator=(CImage&&) noexcept = default;
    ~CImage() = default;

    // A new, zeroed bitmap of bpp 1, 4, 8, 16, 24 or 32; a negative height makes it top-down.
    // Returns false, leaving the image empty, for other depths or an impossible size.
    bool Create(int width, int height, int bpp, unsigned flags = 0);
    // Adopts a bitmap that an outside library made. Default orientation: bottom-up when its
    // stored height is positive. A bitmap whose pixels do not fill its geometry is refused.
    bool Attach(std::unique_ptr<DibBitmap> bitmap, Orientation orientation = Orientation::Default);
    // Empties the image.
    void Destroy();

    bool IsNull() const { return !m_bitmap; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetPitch() const { return m_pitch; }
    int GetBPP() const { return m_bpp; }
    bool HasAlpha() const { return m_hasAlpha; }
    // The first byte of the top row; step by GetPitch() to the next row down.
    std::uint8_t* GetBits() { return m_bits; }
    const std::uint8_t* GetBits() const { return m_bits; }

    // The colour table of images of 8 bits or less, entries 0x00RRGGBB.
    const std::array<std::uint32_t, 256>& GetColorTable() const;
    void SetColorTable(int first, int count, const std::uint32_t* colors);

    // x from the left, y from the top row; colours 0x00BBGGRR. Out of range: SetPixel does nothing
    // and GetPixel gives kInvalidColor. In palette images SetPixel picks the nearest entry.
    void SetPixel(int x, int y, ColorRef color);
    ColorRef GetPixel(int x, int y) const;

    // Writes the image as a file (JPEG at the options' quality, PNG at their compression level, TIFF
    // with LZW, GIF with its own palette, or one chosen by libimagequant), with the options' texts
    // where the format keeps text. The file appears whole or not at all; an existing one is replaced.
    ImageStatus Save(const QString& path, EncoderFormat format, const SaveOptions& options = {}) const;
    // Replaces the image with the picture of an image file, keeping its depth where a bitmap can
    // (palette images stay palette images; 16, 24 and 32 bits stay; alpha as 32-bit with alpha;
    // anything else becomes 32-bit). On failure the image is empty. The file is not kept open.
    ImageStatus Load(const QString& path);
    ImageStatus LoadFromData(const QByteArray& bytes);

    // Draws the top-left srcWidth x srcHeight pixels into the destination rectangle, stretched;
    // alpha is blended over what is there. False without a target or a picture.
    bool Draw(QPainter* target, int destX, int destY, int destWidth, int destHeight, int srcWidth,
              int srcHeight, bool smooth = false) const;
    // Draws the source rectangle (x from the left, y from the top row; cut to the picture) into
    // dest, stretched, blending alpha. Drawing only what is visible keeps a deep zoom as quick as
    // a small one. False without a target or a picture.
    bool Draw(QPainter* target, const QRectF& dest, const QRect& source, bool smooth = false) const;

    // A copy as a QImage, top row first (palette images as Indexed8 or Mono, 16-bit as RGB555,
    // 24-bit as BGR888, 32-bit as RGB32 or ARGB32).
    QImage ToQImage() const;

private:
    std::uint8_t* PixelAddress(int x, int y) const;
    int NearestColorIndex(ColorRef color) const;
    QImage StorageView() const;
    QImage ConvertedArea(const QRect& area) const;
    // The QImage format that reads pixels of this depth as a bitmap stores them; Invalid for 4
    // bits, which QImage has no format for.
    static QImage::Format StorageFormat(int bpp, bool alpha);

    std::unique_ptr<DibBitmap> m_bitmap;
    std::uint8_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_pitch = 0;
    int m_bpp = 0;
    bool m_hasAlpha = false;
};
