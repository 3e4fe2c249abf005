#include "captesthelpers.h"

#include <QImage>
#include <QSettings>
#include <QTest>

void UseTestChannels(const QString& channels)
{
    qputenv("KESTIVO_TEST_CHANNELS", channels.toUtf8());
    QSettings(QStringLiteral("Orvel"), QStringLiteral("Kestivo")).remove(QStringLiteral("Capture"));
}

QString MakePicture(const QTemporaryDir& dir, int width, int height, QColor top, QColor bottom)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(bottom);
    for (int y = 0; y < height / 2; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, top);
    }
    const QString path = dir.filePath(QStringLiteral("pic-%1x%2-%3-%4.png").arg(width).arg(height).arg(top.name().mid(1), bottom.name().mid(1)));
    EXPECT_TRUE(image.save(path));
    return path;
}

QString PictureSource(const QString& path)
{
    return QStringLiteral("filesrc location=%1 ! pngdec ! imagefreeze is-live=true").arg(path);
}

QColor Frame::At(int x, int row) const
{
    const std::uint8_t* p = pixels.data() + (std::size_t(row) * std::size_t(width) + std::size_t(x)) * 3;
    return QColor(p[2], p[1], p[0]);
}

int FrameCollector::Callback(int, const std::uint8_t* pixels, int width, int height, int bpp, void* user)
{
    auto* self = static_cast<FrameCollector*>(user);
    std::lock_guard lock(self->m_mutex);
    self->m_last.width = width;
    self->m_last.height = height;
    self->m_last.bpp = bpp;
    self->m_last.pixels.assign(pixels, pixels + std::size_t(width) * std::size_t(height) * std::size_t(bpp / 8));
    ++self->m_calls;
    return 0;
}

Frame FrameCollector::Last() const
{
    std::lock_guard lock(m_mutex);
    return m_last;
}

void FrameCollector::Reset()
{
    std::lock_guard lock(m_mutex);
    m_last = Frame{};
    m_calls = 0;
}

bool FrameCollector::WaitFrame(Frame* frame)
{
    const int before = Calls();
    const bool arrived = QTest::qWaitFor([&] { return Calls() > before; }, 10000);
    if (arrived && frame)
        *frame = Last();
    return arrived;
}

bool Near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}
