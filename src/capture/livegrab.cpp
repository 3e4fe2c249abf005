#include "livegrab.h"

#include "cimage.h"
#include "grabnaming.h"

#include <QFile>
#include <QtGlobal>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
constexpr int kThumbWidth = 80;
constexpr int kThumbHeight = 60;

// volatile keeps the product in a double, whatever the compiler would rather contract or widen:
// 5 x 9.6 must be 48, not 47.999..., for row 527 of a 576-row frame.
int TruncatedProduct(int index, double step)
{
    volatile double product = index * step;
    return int(product);
}

// Test hook: KESTIVO_TEST_GRAB_DELAY_MS makes every live grab take that much longer to write, as an
// image directory on a slow share would. Read once, by the first grab.
void DelayForTests()
{
    static const int delayMs = qEnvironmentVariableIntValue("KESTIVO_TEST_GRAB_DELAY_MS");
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
}
}  // namespace

int ThumbSourceRow(int i, int imageHeight)
{
    return imageHeight - 1 - TruncatedProduct(i, double(imageHeight) / kThumbHeight);
}

int ThumbSourceColumn(int j, int imageWidth)
{
    return TruncatedProduct(j, double(imageWidth) / kThumbWidth);
}

bool FrameToImage(const CapturedFrame& frame, CImage& image)
{
    if (frame.bpp != 24 || !frame.pixels || !image.Create(frame.width, frame.height, 24))
        return false;
    const std::size_t rowBytes = std::size_t(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y) {
        const std::uint8_t* source = frame.pixels.get() + std::size_t(frame.height - 1 - y) * rowBytes;
        std::memcpy(image.GetBits() + std::ptrdiff_t(y) * image.GetPitch(), source, rowBytes);
    }
    return true;
}

QByteArray MakeLiveThumbBlock(const CapturedFrame& frame)
{
    QByteArray block(CClipObj::kThumbHeaderBytes + kThumbWidth * kThumbHeight * 3, '\0');
    auto* out = reinterpret_cast<std::uint8_t*>(block.data()) + CClipObj::kThumbHeaderBytes;
    const std::size_t rowBytes = std::size_t(frame.width) * 3;
    for (int i = 0; i < kThumbHeight; ++i) {
        // The buffer is stored bottom row first, so image row y is buffer row height - 1 - y.
        const int bufferRow = frame.height - 1 - ThumbSourceRow(i, frame.height);
        const std::uint8_t* row = frame.pixels.get() + std::size_t(bufferRow) * rowBytes;
        for (int j = 0; j < kThumbWidth; ++j, out += 3)
            std::memcpy(out, row + std::size_t(ThumbSourceColumn(j, frame.width)) * 3, 3);
    }
    return block;
}

LiveGrabResult MakeLiveGrab(const CapturedFrame& frame, const QString& channelName, int number,
                            const GrabSettings& settings)
{
    CImage image;
    if (!FrameToImage(frame, image))
        return {nullptr, QStringLiteral("a %1 x %2 frame of %3 bits could not be taken")
                             .arg(frame.width).arg(frame.height).arg(frame.bpp)};
    const QString grabName = BuildGrabName(SafeGrabBase(channelName), std::uint32_t(number));
    const GrabTarget target = BuildGrabPath(grabName, settings.imageDir, settings.imageType);
    if (!target.ok())
        return {nullptr, target.error};
    const SaveOptions options{settings.encoding, LiveGrabTexts(channelName, number)};
    DelayForTests();
    if (const ImageStatus status = image.Save(target.path, target.encoder, options); !status.ok()) {
        QFile::remove(target.path);  // the name was reserved for this grab
        return {nullptr, status.error};
    }

    auto item = std::make_unique<CClipObj>();
    item->SetSource(QString());
    item->SetNumber(number);
    item->SetPath(target.path);
    item->SetCaption(target.caption);
    item->SetKind(CClipObj::kCaptureDevice);
    item->SetThumbnail(kThumbWidth, kThumbHeight, MakeLiveThumbBlock(frame));
    return {std::move(item), QString()};
}
