// The library's journal: every change of the library appended to a file beside "Options.dat" and
// flushed to disk as it happens, so that a crash or a kill loses at most the change being written.
// "Options.dat" itself is still written only at an orderly exit, in its unchanged layout; the
// journal is replayed onto it at the next start when the program did not get that far.
//
// The file: an 8-byte mark, then records, each a 32-bit length, the CRC-32 of its content and the
// content (little-endian, the settings file's own string and item records inside). The first
// record names the "Options.dat" the journal continues (device, inode, size, modification time):
// a journal left beside another file (written at exit just before a crash removed the journal, or
// replaced by hand) is stale and is not replayed. The others each hold one change, with folders
// named by their place in the tree and items by their index and path (see CLibraryObserver). A
// record cut short or damaged ends the journal there: the changes before it are kept.
#pragma once

#include "libraryobserver.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class CNodeObj;

// Which "Options.dat" a journal continues; all zero when there was none.
struct SettingsFileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const SettingsFileIdentity&) const = default;
};
SettingsFileIdentity IdentifySettingsFile(const QString& path);

// settingsPath followed directly by ".journal".
QString GetJournalPath(const QString& settingsPath);

struct JournalReplay {
    bool stale = false;      // the journal belongs to another settings file (or is no journal)
    int applied = 0;         // changes replayed onto the library
    bool damagedTail = false;  // the journal ends in a record cut short or damaged, ignored
    qint64 goodBytes = 0;    // the length of the journal up to the end of its last good record
    QString reason;          // why the tail (or the whole journal) was not replayed
};
// Replays the journal's changes onto root, the library read from the file base names. Stops at
// the first record that is cut short, damaged or names what the library does not hold: the
// changes after it were made to a library that replay cannot rebuild. Nothing is told to an
// observer of root.
JournalReplay ReplayLibraryJournal(const QByteArray& journal, const SettingsFileIdentity& base, CNodeObj& root);

// An open journal that records each change it is told of. User-interface thread only.
class CLibraryJournal : public CLibraryObserver {
public:
    ~CLibraryJournal() override;

    // A new, empty journal at path continuing base (any earlier file there is replaced). Null,
    // with the system's reason, when it cannot be written.
    static std::unique_ptr<CLibraryJournal> Create(const QString& path, const SettingsFileIdentity& base,
                                                   QString* reason = nullptr);
    // The journal at path kept after a replay: cut back to goodBytes (a damaged tail goes) and
    // continued. Null, with the reason, when it cannot be opened.
    static std::unique_ptr<CLibraryJournal> Continue(const QString& path, qint64 goodBytes, QString* reason = nullptr);

    // Closes the journal and deletes its file: the settings file now holds everything.
    void Remove();
    QString Path() const { return m_path; }
    // False after a record could not be written; later changes are then not recorded either.
    bool Healthy() const { return m_fd >= 0; }

    void ClipsAdded(const CNodeObj& folder, const std::vector<const CClipObj*>& clips) override;
    void ClipsRemoved(const CNodeObj& folder, const std::vector<ClipRef>& removed) override;
    void ClipsMoved(const CNodeObj& from, const CNodeObj& to, const std::vector<ClipRef>& moved) override;
    void FolderAdded(const CNodeObj& folder) override;
    void FolderRenamed(const CNodeObj& folder) override;
    void FolderRemoved(const CNodeObj& parent, std::size_t index) override;

    // Appends one record (its length and checksum added here) and waits until it is on disk.
    bool Append(const QByteArray& content);

private:
    CLibraryJournal(QString path, int fd) : m_path(std::move(path)), m_fd(fd) {}
    void Close();

    QString m_path;
    int m_fd = -1;
};

struct LibraryJournalStart {
    std::unique_ptr<CLibraryJournal> journal;  // null when no journal could be written (reason)
    bool found = false;                        // a journal was left behind
    JournalReplay replay;                      // what became of it
    QString reason;
};
// At start, with the instance's lock held (a second instance must never replay or cut a journal
// the first is writing) and the settings just read from settingsPath into root: replays a journal
// left behind and keeps it, cut back to its good records, as this session's journal; or starts a
// new one, replacing a stale one. The caller makes the journal root's observer.
LibraryJournalStart StartLibraryJournal(const QString& settingsPath, CNodeObj& root);
