#include "cimage.h"

#include <QPainter>
#include <cstring>
#include <limits>

namespace {

bool IsSupportedDepth(int bpp)
{
    return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// A bitmap's pixels must fit in memory that an int-sized pitch can address.
constexpr std::int64_t kMaxBitmapBytes = std::numeric_limits<int>::max();

const std::array<std::uint32_t, 256> kNoColors{};

int Red(ColorRef c) { return int(c & 0xFF); }
int Green(ColorRef c) { return int((c >> 8) & 0xFF); }
int Blue(ColorRef c) { return int((c >> 16) & 0xFF); }

// Colour-table entries are 0x00RRGGBB; pixel colours are 0x00BBGGRR.
ColorRef FromTableEntry(std::uint32_t entry)
{
    return MakeColorRef(int((entry >> 16) & 0xFF), int((entry >> 8) & 0xFF), int(entry & 0xFF));
}

}  // namespace

bool CImage::Create(int width, int height, int bpp, unsigned flags)
{
    Destroy();
    if (width <= 0 || height == 0 || height == std::numeric_limits<int>::min() || !IsSupportedDepth(bpp))
        return false;
    auto bitmap = std::make_unique<DibBitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->bpp = bpp;
    const std::int64_t bytes = bitmap->Stride() * bitmap->Rows();
    if (bytes > kMaxBitmapBytes)
        return false;
    bitmap->pixels.assign(std::size_t(bytes), 0);
    const bool attached = Attach(std::move(bitmap), height < 0 ? Orientation::TopDown : Orientation::BottomUp);
    m_hasAlpha = attached && bpp == 32 && (flags & kCreateAlpha);
    return attached;
}

bool CImage::Attach(std::unique_ptr<DibBitmap> bitmap, Orientation orientation)
{
    Destroy();
    if (!bitmap || bitmap->width <= 0 || bitmap->height == 0 || !IsSupportedDepth(bitmap->bpp))
        return false;
    const std::int64_t stride = bitmap->Stride();
    const std::int64_t rows = bitmap->Rows();
    if (stride * rows > kMaxBitmapBytes || std::int64_t(bitmap->pixels.size()) < stride * rows)
        return false;

    const bool bottomUp = orientation == Orientation::BottomUp
        || (orientation == Orientation::Default && bitmap->height > 0);
    m_width = bitmap->width;
    m_height = int(rows);
    m_bpp = bitmap->bpp;
    m_pitch = bottomUp ? -int(stride) : int(stride);
    m_bits = bitmap->pixels.data() + (bottomUp ? (rows - 1) * stride : 0);
    m_bitmap = std::move(bitmap);
    return true;
}

void CImage::Destroy()
{
    m_bitmap.reset();
    m_bits = nullptr;
    m_width = m_height = m_pitch = m_bpp = 0;
    m_hasAlpha = false;
}

const std::array<std::uint32_t, 256>& CImage::GetColorTable() const
{
    return m_bitmap ? m_bitmap->colors : kNoColors;
}

void CImage::SetColorTable(int first, int count, const std::uint32_t* colors)
{
    if (!m_bitmap || m_bpp > 8)
        return;
    for (int i = 0; i < count && first + i < 256; ++i) {
        if (first + i >= 0)
            m_bitmap->colors[std::size_t(first + i)] = colors[i] & 0x00FFFFFF;
    }
}

std::uint8_t* CImage::PixelAddress(int x, int y) const
{
    if (!m_bitmap || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return nullptr;
    return m_bits + std::ptrdiff_t(y) * m_pitch + (std::ptrdiff_t(x) * m_bpp) / 8;
}

int CImage::NearestColorIndex(ColorRef color) const
{
    const int entries = 1 << m_bpp;
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < entries; ++i) {
        const ColorRef entry = FromTableEntry(m_bitmap->colors[std::size_t(i)]);
        const int dr = Red(entry) - Red(color), dg = Green(entry) - Green(color), db = Blue(entry) - Blue(color);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void CImage::SetPixel(int x, int y, ColorRef color)
{
    std::uint8_t* p = PixelAddress(x, y);
    if (!p)
        return;
    switch (m_bpp) {
    case 32:
        p[3] = m_hasAlpha ? 0xFF : 0;
        [[fallthrough]];
    case 24:
        p[0] = std::uint8_t(Blue(color));
        p[1] = std::uint8_t(Green(color));
        p[2] = std::uint8_t(Red(color));
        break;
    case 16: {
        const auto value = std::uint16_t(((Red(color) >> 3) << 10) | ((Green(color) >> 3) << 5) | (Blue(color) >> 3));
        p[0] = std::uint8_t(value & 0xFF);
        p[1] = std::uint8_t(value >> 8);
        break;
    }
    case 8:
        *p = std::uint8_t(NearestColorIndex(color));
        break;
    default: {  // 4 and 1: the leftmost pixel is in the high bits
        const int perByte = 8 / m_bpp;
        const int shift = (perByte - 1 - x % perByte) * m_bpp;
        const int mask = ((1 << m_bpp) - 1) << shift;
        *p = std::uint8_t((*p & ~mask) | (NearestColorIndex(color) << shift));
        break;
    }
    }
}

ColorRef CImage::GetPixel(int x, int y) const
{
    const std::uint8_t* p = PixelAddress(x, y);
    if (!p)
        return kInvalidColor;
    switch (m_bpp) {
    case 32:
    case 24:
        return MakeColorRef(p[2], p[1], p[0]);
    case 16: {
        const int value = p[0] | (p[1] << 8);
        auto expand = [](int five) { return (five << 3) | (five >> 2); };
        return MakeColorRef(expand((value >> 10) & 31), expand((value >> 5) & 31), expand(value & 31));
    }
    case 8:
        return FromTableEntry(m_bitmap->colors[*p]);
    default: {
        const int perByte = 8 / m_bpp;
        const int shift = (perByte - 1 - x % perByte) * m_bpp;
        return FromTableEntry(m_bitmap->colors[std::size_t((*p >> shift) & ((1 << m_bpp) - 1))]);
    }
    }
}

namespace {

QVector<QRgb> QtColorTable(const std::array<std::uint32_t, 256>& colors, int count)
{
    QVector<QRgb> table(count);
    for (int i = 0; i < count; ++i)
        table[i] = 0xFF000000u | colors[std::size_t(i)];
    return table;
}

}  // namespace

QImage::Format CImage::StorageFormat(int bpp, bool alpha)
{
    switch (bpp) {
    case 1: return QImage::Format_Mono;
    case 8: return QImage::Format_Indexed8;
    case 16: return QImage::Format_RGB555;
    case 24: return QImage::Format_BGR888;
    case 32: return alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    default: return QImage::Format_Invalid;  // 4 bits: QImage has no such format
    }
}

// The stored rows as a QImage without copying them, in stored order (bottom-up images appear
// upside down). Null for 4-bit images.
QImage CImage::StorageView() const
{
    const QImage::Format format = StorageFormat(m_bpp, m_hasAlpha);
    if (!m_bitmap || format == QImage::Format_Invalid)
        return {};
    QImage view(m_bitmap->pixels.data(), m_width, m_height, std::abs(m_pitch), format);
    if (m_bpp <= 8)
        view.setColorTable(QtColorTable(m_bitmap->colors, 1 << m_bpp));
    return view;
}

QImage CImage::ToQImage() const
{
    if (!m_bitmap)
        return {};
    if (m_bpp == 4 || (m_bpp == 32 && !m_hasAlpha))
        return ConvertedArea(QRect(0, 0, m_width, m_height));
    // A picture of its own, top row first.
    const QImage stored = StorageView();
    return m_pitch < 0 ? stored.mirrored() : stored.copy();
}

bool CImage::Draw(QPainter* target, int destX, int destY, int destWidth, int destHeight, int srcWidth,
                  int srcHeight, bool smooth) const
{
    return Draw(target, QRectF(destX, destY, destWidth, destHeight), QRect(0, 0, srcWidth, srcHeight), smooth);
}

bool CImage::Draw(QPainter* target, const QRectF& dest, const QRect& source, bool smooth) const
{
    if (!target || !m_bitmap)
        return false;
    const QRect area = source.intersected(QRect(0, 0, m_width, m_height));
    if (area.isEmpty())
        return true;
    const bool unusedXByte = m_bpp == 32 && !m_hasAlpha;

    target->save();
    target->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    target->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_bpp == 4 || unusedXByte) {
        // No QImage format reads these pixels as stored; convert only the part that is drawn.
        const QImage part = ConvertedArea(area);
        target->drawImage(dest, part, QRectF(part.rect()));
    } else if (m_pitch < 0) {
        // Stored bottom-up: draw the stored rows mirrored, so no copy of the pixels is made.
        target->translate(0, 2 * dest.y() + dest.height());
        target->scale(1, -1);
        target->drawImage(dest, StorageView(),
                          QRectF(area.x(), m_height - area.y() - area.height(), area.width(), area.height()));
    } else {
        target->drawImage(dest, StorageView(), QRectF(area));
    }
    target->restore();
    return true;
}

QImage CImage::ConvertedArea(const QRect& area) const
{
    if (m_bpp == 4) {
        QImage image(area.size(), QImage::Format_Indexed8);
        image.setColorTable(QtColorTable(m_bitmap->colors, 16));
        for (int y = 0; y < area.height(); ++y) {
            const std::uint8_t* row = m_bits + std::ptrdiff_t(area.y() + y) * m_pitch;
            uchar* out = image.scanLine(y);
            for (int x = 0; x < area.width(); ++x) {
                const int sx = area.x() + x;
                out[x] = (sx % 2) ? (row[sx / 2] & 0x0F) : (row[sx / 2] >> 4);
            }
        }
        return image;
    }
    // 32 bits without alpha: the fourth byte is unused in a bitmap but must be 0xFF in RGB32.
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(m_bits + std::ptrdiff_t(area.y() + y) * m_pitch);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            out[x] = row[area.x() + x] | 0xFF000000u;
    }
    return image;
}
