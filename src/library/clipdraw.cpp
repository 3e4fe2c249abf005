// Drawing one thumbnail item into its cell of the grid.
#include "clipobj.h"

#include "clipcaption.h"

#include <QFont>
#include <QPainter>
#include <QPalette>
#include <QtEndian>
#include <cstring>
#include <QImage>
#include <qdrawutil.h>

namespace {

constexpr QColor kBody(192, 192, 192);
constexpr QColor kCaptionText(250, 250, 250);
constexpr QColor kCaptionSelected(64, 64, 128);
constexpr QColor kCaptionPlain(165, 165, 165);

// The four shades of a Windows-style edge, fixed so that the cells look the same in every style.
QPalette EdgePalette()
{
    QPalette palette;
    palette.setColor(QPalette::Light, QColor(255, 255, 255));
    palette.setColor(QPalette::Midlight, QColor(227, 227, 227));
    palette.setColor(QPalette::Mid, QColor(160, 160, 160));
    palette.setColor(QPalette::Dark, QColor(128, 128, 128));
    palette.setColor(QPalette::Shadow, QColor(0, 0, 0));
    palette.setColor(QPalette::Button, kBody);
    return palette;
}

// The thumbnail block's pixels as they are stored: 24-bit blue-green-red rows, packed, bottom-up
// (so the picture reads upside down). No copy is made; the block must outlive the picture.
QImage StoredThumbnail(const QByteArray& block, int width, int height)
{
    return QImage(reinterpret_cast<const uchar*>(block.constData()) + CClipObj::kThumbHeaderBytes, width, height,
                  qsizetype(width) * 3, QImage::Format_BGR888);
}

// Built once: every cell of every paint uses them.
const QPalette& Edges()
{
    static const QPalette edges = EdgePalette();
    return edges;
}

}  // namespace

void CClipObj::Draw(QPainter& painter, const QRect& cell) const
{
    const int s = m_nShadow;
    // QRect's right() and bottom() are inclusive; the cell's edges are exclusive, as in the layout.
    const int left = cell.left(), top = cell.top(), right = cell.left() + cell.width(), bottom = cell.top() + cell.height();
    QRect body(QPoint(left, top), QPoint(right - s - 1, bottom - s - 1));
    if (m_bSelected)
        body.translate(s, s);
    const int bodyRight = body.right() + 1, bodyBottom = body.bottom() + 1;
    const QRect picture(QPoint(body.left() + 6, bodyBottom - 65), QPoint(body.left() + 85, bodyBottom - 6));
    const QRect caption(QPoint(body.left() + 5, body.top() + 5), QPoint(bodyRight - 6, body.top() + 20));

    painter.save();
    if (!m_bSelected)
        painter.fillRect(QRect(QPoint(left + s, top + s), QPoint(right - 1, bottom - 1)), Qt::black);
    const QPalette& edges = Edges();
    const QBrush bodyBrush(kBody);
    qDrawWinPanel(&painter, body, edges, false, &bodyBrush);

    painter.fillRect(caption, m_bSelected ? kCaptionSelected : kCaptionPlain);
    painter.setPen(Qt::black);
    painter.drawLine(caption.topLeft(), caption.topRight());
    painter.drawLine(caption.topLeft(), caption.bottomLeft());
    painter.setPen(Qt::white);
    painter.drawLine(caption.bottomLeft(), caption.bottomRight());
    painter.drawLine(caption.topRight(), caption.bottomRight());

    painter.setFont(clipcaption::Font());
    painter.setPen(kCaptionText);
    painter.setClipRect(caption);
    painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, clipcaption::Shown(m_strCaption));
    painter.setClipping(false);

    if (HasThumbnail()) {
        // Mirrored about the picture's middle row, so the bottom-up rows come out upright.
        painter.save();
        painter.translate(0, 2 * picture.top() + picture.height());
        painter.scale(1, -1);
        painter.drawImage(QRectF(picture), StoredThumbnail(m_thumb, m_thumbWidth, m_thumbHeight));
        painter.restore();
    }
    // The sunken frame lies on the picture's outermost two pixels, as the edge of the old grid did.
    qDrawWinPanel(&painter, picture, edges, true, nullptr);
    painter.restore();
}

QByteArray CClipObj::MakeThumbBlock(const QImage& picture, int width, int height)
{
    const QImage scaled = picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_BGR888);
    QByteArray block(kThumbHeaderBytes + qsizetype(width) * height * 3, '\0');
    // A real bitmap header in the reserved bytes: 40, width, height, 1 plane, 24 bits.
    auto put32 = [&block](int at, std::int32_t v) { qToLittleEndian(v, block.data() + at); };
    put32(0, 40);
    put32(4, width);
    put32(8, height);
    qToLittleEndian<std::uint16_t>(1, block.data() + 12);
    qToLittleEndian<std::uint16_t>(24, block.data() + 14);
    const auto rowBytes = qsizetype(width) * 3;
    char* pixels = block.data() + kThumbHeaderBytes;
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels + (height - 1 - y) * rowBytes, scaled.constScanLine(y), std::size_t(rowBytes));
    return block;
}
