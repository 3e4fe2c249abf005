// CImage::Save: Qt's image writers for BMP, JPEG, PNG and TIFF, our GIF writer, and a file that
// appears whole or not at all.
#include "cimage.h"
#include "gifwriter.h"

#include <QImageWriter>
#include <QSaveFile>

namespace {

constexpr int kJpegQuality = 75;
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

QString WriteFailure(const QString& path, const QString& why)
{
    return QStringLiteral("\"%1\" could not be written: %2").arg(path, why);
}

ImageStatus EncodeWithQt(const QImage& image, EncoderFormat format, QIODevice& device)
{
    QImageWriter writer(&device, QtFormatName(format));
    if (format == EncoderFormat::JPEG)
        writer.setQuality(kJpegQuality);
    if (format == EncoderFormat::TIFF)
        writer.setCompression(kTiffLzw);
    // Qt's JPEG writer hands red-green-blue rows to the encoder as they are, but converts every other
    // layout pixel by pixel: for a grab's blue-green-red picture that took as long as the encoding.
    // Reordering the bytes first gives the same file in half the time.
    if (format == EncoderFormat::JPEG && image.format() == QImage::Format_BGR888) {
        if (!writer.write(image.convertToFormat(QImage::Format_RGB888)))
            return ImageStatus::Fail(writer.errorString());
        return ImageStatus::Ok();
    }
    if (!writer.write(image))
        return ImageStatus::Fail(writer.errorString());
    return ImageStatus::Ok();
}

}  // namespace

ImageStatus CImage::Save(const QString& path, EncoderFormat format) const
{
    if (IsNull())
        return ImageStatus::Fail(WriteFailure(path, QStringLiteral("there is no picture to save")));

    // Written beside the target and renamed over it when complete, so a full disk or a crash
    // never leaves half a file under the grab's name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ImageStatus::Fail(WriteFailure(path, file.errorString()));

    const QImage image = ToQImage();
    ImageStatus status;
    if (format == EncoderFormat::GIF) {
        QByteArray encoded;
        status = EncodeGif(image, encoded);
        if (status.ok() && file.write(encoded) != encoded.size())
            status = ImageStatus::Fail(file.errorString());
    } else {
        status = EncodeWithQt(image, format, file);
    }
    if (!status.ok()) {
        file.cancelWriting();
        return ImageStatus::Fail(WriteFailure(path, status.error));
    }
    if (!file.commit())
        return ImageStatus::Fail(WriteFailure(path, file.errorString()));
    return ImageStatus::Ok();
}
