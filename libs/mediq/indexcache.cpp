#include "indexcache.h"

#include "avresult.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr quint32 kMagic = 0x4B564958;  // "KVIX"
constexpr quint32 kVersion = 1;
// Each stored packet: pos, pts, dts (8 bytes each), size, crc (4 each), flags, type (1 each).
constexpr qint64 kPacketBytes = 8 * 3 + 4 * 2 + 1 * 2;

void WriteHeader(QDataStream& out, const MediaIndex& index)
{
    out << kMagic << kVersion << qint32(index.codecId) << qint32(index.streamIndex) << qint32(index.timeBaseNum)
        << qint32(index.timeBaseDen) << index.frameRate << qint32(index.width) << qint32(index.height)
        << qint32(index.sarNum) << qint32(index.sarDen) << qint32(index.rotation) << quint64(index.packets.size());
}

}  // namespace

QString IndexCachePath(const QString& videoPath)
{
    const QFileInfo info(videoPath);
    if (!info.isFile())
        return {};
    const QByteArray key = info.absoluteFilePath().toUtf8() + '\n' + QByteArray::number(info.size()) + '\n'
        + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/Orvel/Kestivo/index");
    return folder + QLatin1Char('/')
        + QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex()) + QStringLiteral(".idx");
}

std::optional<MediaIndex> LoadCachedIndex(const QString& videoPath)
{
    const QString path = IndexCachePath(videoPath);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QDataStream in(&file);
    quint32 magic = 0, version = 0;
    qint32 codec, stream, tbNum, tbDen, width, height, sarNum, sarDen, rotation;
    double rate = 0;
    quint64 count = 0;
    in >> magic >> version >> codec >> stream >> tbNum >> tbDen >> rate >> width >> height >> sarNum >> sarDen
        >> rotation >> count;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion || tbDen <= 0 || !(rate > 0)
        || count == 0 || qint64(count) > (file.size() - file.pos()) / kPacketBytes)
        return std::nullopt;

    MediaIndex index;
    index.codecId = codec;
    index.streamIndex = stream;
    index.timeBaseNum = tbNum;
    index.timeBaseDen = tbDen;
    index.frameRate = rate;
    index.width = width;
    index.height = height;
    index.sarNum = sarNum;
    index.sarDen = sarDen;
    index.rotation = rotation;
    index.packets.resize(count);
    for (IndexedPacket& p : index.packets) {
        qint64 pos, pts, dts;
        quint32 size, crc;
        quint8 flags, type;
        in >> pos >> pts >> dts >> size >> crc >> flags >> type;
        p = IndexedPacket{pos, pts, dts, size, crc, flags, PictureType(type)};
    }
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    // The same promise a freshly built index keeps: frames exist.
    index.ComputeDisplayOrder();
    if (index.FrameCount() == 0)
        return std::nullopt;
    return index;
}

void StoreCachedIndex(const QString& videoPath, const MediaIndex& index)
{
    const QString path = IndexCachePath(videoPath);
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QDataStream out(&file);
    WriteHeader(out, index);
    for (const IndexedPacket& p : index.packets)
        out << qint64(p.pos) << qint64(p.pts) << qint64(p.dts) << quint32(p.size) << quint32(p.crc) << quint8(p.flags)
            << quint8(p.type);
    if (out.status() != QDataStream::Ok || !file.commit())
        qCInfo(lcMediq) << "the index of" << videoPath << "could not be cached in" << path;
}
