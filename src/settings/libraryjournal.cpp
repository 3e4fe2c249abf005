#include "libraryjournal.h"

#include "archive.h"
#include "nodeobj.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

// "kestivo.journal": replays at start; each record with QT_LOGGING_RULES="kestivo.journal.debug=true".
Q_LOGGING_CATEGORY(lcJournal, "kestivo.journal", QtInfoMsg)

namespace {

constexpr char kMark[] = "KVJRNL\x00\x01";
constexpr qint64 kMarkBytes = 8;
constexpr qint64 kFrameBytes = 8;  // length and CRC-32
// Far above any record (a folder pasted whole with thousands of thumbnails stays well below);
// a length beyond it is damage, not a record to allocate for.
constexpr std::uint32_t kMaxRecordBytes = 1u << 30;

enum class Change : std::uint8_t {
    Base = 0,
    ClipsAdded = 1,
    ClipsRemoved = 2,
    ClipsMoved = 3,
    FolderAdded = 4,
    FolderRenamed = 5,
    FolderRemoved = 6,
};
constexpr const char* kChangeNames[] = {"base",         "items added",    "items removed", "items moved",
                                        "folder added", "folder renamed", "folder removed"};

std::uint32_t Crc(const char* data, qint64 size)
{
    return std::uint32_t(crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data), std::size_t(size)));
}

std::uint32_t LittleEndian32(const char* data)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | std::uint8_t(data[i]);
    return value;
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

CArchive Start(Change change)
{
    CArchive ar = CArchive::ForStoring();
    ar.WriteUInt8(std::uint8_t(change));
    return ar;
}

void WriteAddress(CArchive& ar, const CNodeObj& folder)
{
    const std::vector<std::uint32_t> address = folder.Address();
    ar.WriteUInt32(std::uint32_t(address.size()));
    for (const std::uint32_t index : address)
        ar.WriteUInt32(index);
}

void WriteRefs(CArchive& ar, const std::vector<ClipRef>& refs)
{
    ar.WriteUInt32(std::uint32_t(refs.size()));
    for (const ClipRef& ref : refs) {
        ar.WriteUInt32(std::uint32_t(ref.index));
        ar.WriteString(ref.path);
    }
}

void WriteBase(CArchive& ar, const SettingsFileIdentity& base)
{
    ar.WriteUInt64(base.device);
    ar.WriteUInt64(base.inode);
    ar.WriteUInt64(base.size);
    ar.WriteUInt64(std::uint64_t(base.modifiedNs));
}

SettingsFileIdentity ReadBase(CArchive& ar)
{
    SettingsFileIdentity base;
    base.device = ar.ReadUInt64();
    base.inode = ar.ReadUInt64();
    base.size = ar.ReadUInt64();
    base.modifiedNs = std::int64_t(ar.ReadUInt64());
    return base;
}

// Replaying: a record that names what the library does not hold ends the replay like damage.
CNodeObj& ReadFolder(CArchive& ar, CNodeObj& root)
{
    const std::size_t depth = ar.CheckCount(ar.ReadInt32(), 4);
    std::vector<std::uint32_t> address(depth);
    for (std::uint32_t& index : address)
        index = ar.ReadUInt32();
    CNodeObj* folder = root.FolderAt(address);
    if (!folder)
        throw CArchiveError("the journal names a folder the library does not hold");
    return *folder;
}

std::vector<ClipRef> ReadRefs(CArchive& ar)
{
    std::vector<ClipRef> refs(ar.CheckCount(ar.ReadInt32(), 4 + 1));
    for (ClipRef& ref : refs) {
        ref.index = ar.ReadUInt32();
        ref.path = ar.ReadString();
    }
    return refs;
}

void Apply(CArchive& ar, CNodeObj& root)
{
    switch (Change(ar.ReadUInt8())) {
    case Change::ClipsAdded: {
        CNodeObj& folder = ReadFolder(ar, root);
        const std::size_t count = ar.CheckCount(ar.ReadInt32(), CClipObj::kMinRecordBytes);
        std::vector<std::unique_ptr<CClipObj>> clips;
        for (std::size_t i = 0; i < count; ++i) {
            clips.push_back(std::make_unique<CClipObj>());
            clips.back()->Serialize(ar);
        }
        for (std::unique_ptr<CClipObj>& clip : clips)
            folder.AddClip(std::move(clip));
        return;
    }
    case Change::ClipsRemoved: {
        CNodeObj& folder = ReadFolder(ar, root);
        folder.TakeClips(ReadRefs(ar));
        return;
    }
    case Change::ClipsMoved: {
        CNodeObj& from = ReadFolder(ar, root);
        CNodeObj& to = ReadFolder(ar, root);
        to.AppendUnshown(from.TakeClips(ReadRefs(ar)));
        return;
    }
    case Change::FolderAdded: {
        CNodeObj& parent = ReadFolder(ar, root);
        if (parent.Depth() >= CNodeObj::kMaxDepth)
            throw CArchiveError("the journal nests folders too deeply");
        // Read in place, so that the nesting limit counts from the folder's real depth.
        CNodeObj* folder = parent.AddChild(std::make_unique<CNodeObj>());
        try {
            folder->Serialize(ar);
        } catch (const CArchiveError&) {
            parent.TakeChild(folder);
            throw;
        }
        return;
    }
    case Change::FolderRenamed:
        ReadFolder(ar, root).SetName(ar.ReadString());
        return;
    case Change::FolderRemoved: {
        CNodeObj& parent = ReadFolder(ar, root);
        CNodeObj* folder = parent.GetChildList().GetAt(ar.ReadUInt32());
        if (!folder)
            throw CArchiveError("the journal removes a folder the library does not hold");
        // The files went (or stayed) when the folder was deleted; replay only forgets the folder.
        parent.TakeChild(folder);
        return;
    }
    case Change::Base:
        break;
    }
    throw CArchiveError("the journal holds a change of an unknown kind");
}

}  // namespace

SettingsFileIdentity IdentifySettingsFile(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {std::uint64_t(status.st_dev), std::uint64_t(status.st_ino), std::uint64_t(status.st_size),
            std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

QString GetJournalPath(const QString& settingsPath)
{
    return settingsPath + QStringLiteral(".journal");
}

JournalReplay ReplayLibraryJournal(const QByteArray& journal, const SettingsFileIdentity& base, CNodeObj& root)
{
    JournalReplay replay;
    if (journal.size() < kMarkBytes || std::memcmp(journal.constData(), kMark, kMarkBytes) != 0) {
        replay.stale = true;
        replay.reason = QStringLiteral("not a journal");
        return replay;
    }
    qint64 at = kMarkBytes;
    bool first = true;
    while (at < journal.size()) {
        const qint64 left = journal.size() - at;
        const std::uint32_t length = left >= kFrameBytes ? LittleEndian32(journal.constData() + at) : 0;
        if (left < kFrameBytes || length > kMaxRecordBytes || length > left - kFrameBytes) {
            replay.reason = QStringLiteral("the last record is cut short");
            break;
        }
        const char* content = journal.constData() + at + kFrameBytes;
        if (Crc(content, length) != LittleEndian32(journal.constData() + at + 4)) {
            replay.reason = QStringLiteral("a record is damaged (its checksum does not match)");
            break;
        }
        CArchive ar = CArchive::ForLoading(QByteArray(content, length));
        try {
            if (first) {
                if (Change(ar.ReadUInt8()) != Change::Base || ReadBase(ar) != base) {
                    replay.stale = true;
                    replay.reason = QStringLiteral("it continues another settings file");
                    return replay;
                }
                first = false;
            } else {
                Apply(ar, root);
                ++replay.applied;
            }
        } catch (const CArchiveError& error) {
            replay.reason = QString::fromUtf8(error.what());
            break;
        }
        at += kFrameBytes + length;
        replay.goodBytes = at;
    }
    if (first) {
        // Not even the first record: nothing tells which file the journal continues.
        replay.stale = true;
        return replay;
    }
    replay.damagedTail = replay.goodBytes < journal.size();
    return replay;
}

CLibraryJournal::~CLibraryJournal()
{
    Close();
}

std::unique_ptr<CLibraryJournal> CLibraryJournal::Create(const QString& path, const SettingsFileIdentity& base,
                                                         QString* reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (reason)
            *reason = SystemReason(errno);
        return nullptr;
    }
    std::unique_ptr<CLibraryJournal> journal(new CLibraryJournal(path, fd));
    CArchive ar = Start(Change::Base);
    WriteBase(ar, base);
    if (::write(fd, kMark, kMarkBytes) != kMarkBytes || !journal->Append(ar.StoredBytes())) {
        if (reason)
            *reason = SystemReason(errno);
        return nullptr;
    }
    // The new file's name on disk too, or a power cut could leave the records without it.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return journal;
}

std::unique_ptr<CLibraryJournal> CLibraryJournal::Continue(const QString& path, qint64 goodBytes, QString* reason)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, goodBytes) != 0 || ::lseek(fd, 0, SEEK_END) < 0 || ::fdatasync(fd) != 0) {
        if (reason)
            *reason = SystemReason(errno);
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<CLibraryJournal>(new CLibraryJournal(path, fd));
}

void CLibraryJournal::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void CLibraryJournal::Remove()
{
    Close();
    ::unlink(QFile::encodeName(m_path).constData());
}

bool CLibraryJournal::Append(const QByteArray& content)
{
    if (m_fd < 0)
        return false;
    QByteArray record(kFrameBytes, Qt::Uninitialized);
    const std::uint32_t frame[2] = {std::uint32_t(content.size()), Crc(content.constData(), content.size())};
    for (int i = 0; i < 8; ++i)
        record[i] = char(frame[i / 4] >> (8 * (i % 4)));
    record += content;
    // One write for the whole record, so that a crash leaves at most this record cut short.
    qint64 written = 0;
    while (written < record.size()) {
        const ssize_t n = ::write(m_fd, record.constData() + written, std::size_t(record.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    if (written == record.size() && ::fdatasync(m_fd) == 0) {
        const auto kind = std::uint8_t(content.isEmpty() ? 0 : content[0]);
        qCDebug(lcJournal).nospace() << "recorded " << (kind < std::size(kChangeNames) ? kChangeNames[kind] : "?")
                                     << " (" << record.size() << " bytes)";
        return true;
    }
    // A record that may be half written must not be followed by others the replay would skip:
    // stop recording, and say so once. The settings are still written whole at exit.
    qCWarning(lcJournal).noquote() << "the library's journal" << m_path
                                   << "could not be written, later changes are kept only at exit:"
                                   << SystemReason(errno);
    Close();
    return false;
}

void CLibraryJournal::ClipsAdded(const CNodeObj& folder, const std::vector<const CClipObj*>& clips)
{
    CArchive ar = Start(Change::ClipsAdded);
    WriteAddress(ar, folder);
    ar.WriteUInt32(std::uint32_t(clips.size()));
    for (const CClipObj* clip : clips)
        clip->Write(ar);
    Append(ar.StoredBytes());
}

void CLibraryJournal::ClipsRemoved(const CNodeObj& folder, const std::vector<ClipRef>& removed)
{
    CArchive ar = Start(Change::ClipsRemoved);
    WriteAddress(ar, folder);
    WriteRefs(ar, removed);
    Append(ar.StoredBytes());
}

void CLibraryJournal::ClipsMoved(const CNodeObj& from, const CNodeObj& to, const std::vector<ClipRef>& moved)
{
    CArchive ar = Start(Change::ClipsMoved);
    WriteAddress(ar, from);
    WriteAddress(ar, to);
    WriteRefs(ar, moved);
    Append(ar.StoredBytes());
}

void CLibraryJournal::FolderAdded(const CNodeObj& folder)
{
    CArchive ar = Start(Change::FolderAdded);
    WriteAddress(ar, *folder.GetParent());
    folder.Write(ar);
    Append(ar.StoredBytes());
}

void CLibraryJournal::FolderRenamed(const CNodeObj& folder)
{
    CArchive ar = Start(Change::FolderRenamed);
    WriteAddress(ar, folder);
    ar.WriteString(folder.GetName());
    Append(ar.StoredBytes());
}

void CLibraryJournal::FolderRemoved(const CNodeObj& parent, std::size_t index)
{
    CArchive ar = Start(Change::FolderRemoved);
    WriteAddress(ar, parent);
    ar.WriteUInt32(std::uint32_t(index));
    Append(ar.StoredBytes());
}

LibraryJournalStart StartLibraryJournal(const QString& settingsPath, CNodeObj& root)
{
    LibraryJournalStart start;
    const QString path = GetJournalPath(settingsPath);
    const SettingsFileIdentity base = IdentifySettingsFile(settingsPath);
    QFile left(path);
    if (left.open(QIODevice::ReadOnly)) {
        start.found = true;
        start.replay = ReplayLibraryJournal(left.readAll(), base, root);
        left.close();
        if (start.replay.stale) {
            qCInfo(lcJournal).noquote() << "a journal left behind was not replayed:" << start.replay.reason;
        } else {
            qCInfo(lcJournal).noquote().nospace()
                << "replayed " << start.replay.applied << " changes of the library from the journal " << path
                << (start.replay.damagedTail ? QStringLiteral("; its damaged end was ignored: ") + start.replay.reason
                                             : QString());
            start.journal = CLibraryJournal::Continue(path, start.replay.goodBytes, &start.reason);
            return start;
        }
    }
    start.journal = CLibraryJournal::Create(path, base, &start.reason);
    return start;
}
