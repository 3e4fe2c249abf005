#include "icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

namespace {

// The icons are drawn in this dark slate; on a dark look it is swapped for a light grey, so that
// the commands stay visible.
constexpr char kInk[] = "#2f3b4c";
constexpr char kLightInk[] = "#dde3ea";

bool PaletteIsDark()
{
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

class ThemedSvgEngine : public QIconEngine {
public:
    explicit ThemedSvgEngine(QByteArray svg) : m_svg(std::move(svg)) {}

    QIconEngine* clone() const override { return new ThemedSvgEngine(m_svg); }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const bool dark = PaletteIsDark();
        const QString key = QStringLiteral("%1x%2:%3:%4").arg(size.width()).arg(size.height()).arg(int(mode)).arg(dark);
        if (const auto cached = m_cache.constFind(key); cached != m_cache.cend())
            return *cached;
        QByteArray svg = m_svg;
        if (dark)
            svg.replace(kInk, kLightInk);
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        if (mode == QIcon::Disabled)
            painter.setOpacity(0.35);
        QSvgRenderer(svg).render(&painter);
        painter.end();
        return *m_cache.insert(key, QPixmap::fromImage(image));
    }

private:
    QByteArray m_svg;
    QHash<QString, QPixmap> m_cache;
};

}  // namespace

QIcon KestivoIcon(const QString& name)
{
    InitKestivoIcons();
    const QString path = name.startsWith(QLatin1Char(':')) ? name : QStringLiteral(":/icons/%1.svg").arg(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QIcon();
    return QIcon(new ThemedSvgEngine(file.readAll()));
}
