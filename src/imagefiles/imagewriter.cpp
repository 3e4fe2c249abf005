// CImage::Save: Qt's image writers for BMP, JPEG, PNG and TIFF, our GIF writer, the grab's texts in
// the formats that keep text, and a file that appears whole or not at all.
#include "cimage.h"
#include "embeddedtext.h"
#include "gifwriter.h"
#include "jpegwriter.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <iterator>

Q_LOGGING_CATEGORY(lcImageFiles, "kestivo.imagefiles", QtInfoMsg)

namespace {

constexpr int kTiffLzw = 1;  // the Qt TIFF plugin's compression value for LZW

const char* QtFormatName(EncoderFormat format)
{
    switch (format) {
    case EncoderFormat::BMP: return "bmp";
    case EncoderFormat::JPEG: return "jpeg";
    case EncoderFormat::PNG: return "png";
    case EncoderFormat::GIF: return "gif";
    case EncoderFormat::TIFF: return "tiff";
    }
    return "bmp";
}

// Qt's PNG writer takes a compression of 0 to 100 and turns it into a zlib level as c * 9 / 91,
// rounding down; this is the least c that gives the level.
int QtPngCompression(int level)
{
    const int zlibLevel = std::clamp(level, 0, ImageEncoding::kMaxPngCompression);
    return (zlibLevel * 91 + 8) / 9;
}

// The density Qt records for its images (from the screen's resolution), which JPEG files keep.
int DefaultDotsPerMeter()
{
    return QImage(1, 1, QImage::Format_RGB888).dotsPerMeterX();
}

QString WriteFailure(const QString& path, const QString& why)
{
    return QStringLiteral("\"%1\" could not be written: %2").arg(path, why);
}

// The texts as "Key: text" lines, for the one JPEG comment or TIFF description.
QByteArray TextLines(const ImageTexts& texts)
{
    QStringList lines;
    for (const ImageText& item : texts)
        lines.append(item.key + QStringLiteral(": ") + item.text);
    return lines.join(QLatin1Char('\n')).toUtf8();
}

ImageStatus EncodeWithQt(QImage& image, EncoderFormat format, const ImageEncoding& encoding, QIODevice& device)
{
    QImageWriter writer(&device, QtFormatName(format));
    if (format == EncoderFormat::JPEG)
        writer.setQuality(
            std::clamp(encoding.jpegQuality, ImageEncoding::kMinJpegQuality, ImageEncoding::kMaxJpegQuality));
    if (format == EncoderFormat::PNG)
        writer.setCompression(QtPngCompression(encoding.pngCompression));
    if (format == EncoderFormat::TIFF)
        writer.setCompression(kTiffLzw);
    // Qt's JPEG writer hands red-green-blue rows to the encoder as they are, but converts every other
    // layout pixel by pixel: for a grab's blue-green-red picture that took as long as the encoding.
    // Reordering the bytes first gives the same file in half the time.
    const bool reorder = format == EncoderFormat::JPEG && image.format() == QImage::Format_BGR888;
    if (!writer.write(reorder ? image.convertToFormat(QImage::Format_RGB888) : image))
        return ImageStatus::Fail(writer.errorString());
    return ImageStatus::Ok();
}

// Qt's JPEG writer makes each text key a comment of its own ("key: text"), of which most readers
// show only the last. Given the first key alone, with the other lines after its text, it writes the
// one comment of all the lines, straight into the file rather than into the encoded bytes after.
void SetJpegComment(QImage& image, const ImageTexts& texts)
{
    if (texts.empty())
        return;
    QString text = texts.front().text;
    for (auto item = std::next(texts.begin()); item != texts.end(); ++item)
        text += QLatin1Char('\n') + item->key + QStringLiteral(": ") + item->text;
    image.setText(texts.front().key, text);
}

// PNG keeps each text as a text chunk of Qt's writer, JPEG as one comment; TIFF gets its texts
// added to the encoded bytes (see embeddedtext.h). Everything else goes straight to disk.
ImageStatus Encode(QImage& image, EncoderFormat format, const SaveOptions& options, QIODevice& file)
{
    const bool amended = !options.texts.empty() && format == EncoderFormat::TIFF;
    if (format == EncoderFormat::PNG) {
        for (const ImageText& item : options.texts)
            image.setText(item.key, item.text);
    }
    if (format == EncoderFormat::JPEG)
        SetJpegComment(image, options.texts);
    if (format != EncoderFormat::GIF && !amended)
        return EncodeWithQt(image, format, options.encoding, file);

    QByteArray encoded;
    ImageStatus status;
    if (format == EncoderFormat::GIF) {
        status = EncodeGif(image, encoded);
    } else {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        status = EncodeWithQt(image, format, options.encoding, buffer);
        const bool added = status.ok() && AddTiffDescription(encoded, TextLines(options.texts));
        // A picture without its texts is still worth keeping: the grab goes on without them.
        if (status.ok() && !added)
            qCWarning(lcImageFiles) << "the texts could not be added to the" << QtFormatName(format) << "file";
    }
    if (status.ok() && file.write(encoded) != encoded.size())
        status = ImageStatus::Fail(file.errorString());
    return status;
}

}  // namespace

ImageStatus CImage::Save(const QString& path, EncoderFormat format, const SaveOptions& options) const
{
    if (IsNull())
        return ImageStatus::Fail(WriteFailure(path, QStringLiteral("there is no picture to save")));

    // Written beside the target and renamed over it when complete, so a full disk or a crash
    // never leaves half a file under the grab's name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ImageStatus::Fail(WriteFailure(path, file.errorString()));

    ImageStatus status;
    if (format == EncoderFormat::JPEG && (m_bpp == 24 || m_bpp == 32)) {
        // Straight from the rows as stored: no reordered, top-down copy to hand to Qt's writer.
        const JpegRows rows{m_bits, m_pitch, m_width, m_height, m_bpp / 8, options.waitForRows};
        const int quality =
            std::clamp(options.encoding.jpegQuality, ImageEncoding::kMinJpegQuality, ImageEncoding::kMaxJpegQuality);
        status = WriteJpeg(rows, quality, TextLines(options.texts), DefaultDotsPerMeter(), file);
    } else {
        if (options.waitForRows)
            options.waitForRows(m_height);
        QImage image = ToQImage();  // its own copy, so the texts set on it touch nothing else
        status = Encode(image, format, options, file);
    }
    if (!status.ok()) {
        file.cancelWriting();
        return ImageStatus::Fail(WriteFailure(path, status.error));
    }
    if (!file.commit())
        return ImageStatus::Fail(WriteFailure(path, file.errorString()));
    return ImageStatus::Ok();
}
