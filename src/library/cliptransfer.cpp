#include "cliptransfer.h"

#include "nodeobj.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QHash>
#include <QIODevice>
#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <utility>

namespace {

quint64 AddressOf(const void* object)
{
    return quint64(reinterpret_cast<quintptr>(object));
}

// Compares addresses only, so that a folder destroyed since the data was made is simply not found.
CNodeObj* FindFolder(CNodeObj& folder, quint64 address)
{
    if (AddressOf(&folder) == address)
        return &folder;
    for (CNodeObj* child : folder.GetChildList()) {
        if (CNodeObj* found = FindFolder(*child, address))
            return found;
    }
    return nullptr;
}

}  // namespace

ClipSelection SelectedClips(CNodeObj* folder)
{
    ClipSelection selection;
    if (!folder)
        return selection;
    selection.folder = folder;
    for (CClipObj* clip : folder->GetClipList()) {
        if (clip->IsSelected())
            selection.clips.push_back(clip);
    }
    return selection;
}

QMimeData* MakeClipMimeData(const ClipSelection& selection, bool withImage)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QStringList paths;
    for (const CClipObj* clip : selection.clips) {
        urls.append(QUrl::fromLocalFile(clip->GetPath()));
        paths.append(clip->GetPath());
    }
    data->setUrls(urls);
    data->setText(paths.join(QLatin1Char('\n')));
    // What GNOME's file manager pastes from; "copy" even after a Cut.
    QByteArray copied("copy");
    for (const QUrl& url : std::as_const(urls))
        copied += '\n' + url.toEncoded();
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    if (withImage && selection.clips.size() == 1) {
        const QImage picture = selection.clips.front()->GetImage().ToQImage();
        if (!picture.isNull())
            data->setImageData(picture);
    }

    QByteArray items;
    QDataStream out(&items, QIODevice::WriteOnly);
    out << quint64(QCoreApplication::applicationPid()) << selection.cut << AddressOf(selection.folder);
    for (const CClipObj* clip : selection.clips)
        out << AddressOf(clip) << clip->GetPath();
    data->setData(QLatin1String(kClipItemsMimeType), items);
    return data;
}

ClipSelection ReadClipMimeData(const QMimeData* data, CNodeObj& root)
{
    if (!data || !data->hasFormat(QLatin1String(kClipItemsMimeType)))
        return {};
    QDataStream in(data->data(QLatin1String(kClipItemsMimeType)));
    quint64 process = 0, folderAddress = 0;
    bool cut = false;
    in >> process >> cut >> folderAddress;
    if (in.status() != QDataStream::Ok || process != quint64(QCoreApplication::applicationPid()))
        return {};
    ClipSelection selection;
    selection.folder = FindFolder(root, folderAddress);
    selection.cut = cut;
    if (!selection.folder)
        return {};
    QHash<quint64, CClipObj*> present;
    for (CClipObj* clip : selection.folder->GetClipList())
        present.insert(AddressOf(clip), clip);
    while (!in.atEnd()) {
        quint64 address = 0;
        QString path;
        in >> address >> path;
        if (in.status() != QDataStream::Ok)
            break;
        // The path guards against a new item that took the address of one deleted since.
        CClipObj* clip = present.take(address);
        if (clip && clip->GetPath() == path)
            selection.clips.push_back(clip);
    }
    return selection;
}

std::vector<CClipObj*> TransferClips(const ClipSelection& selection, CNodeObj& target, ClipTransfer how)
{
    if (selection.IsEmpty() || selection.folder == &target)
        return {};
    CLibraryObserver* observer = target.Observer();
    if (how == ClipTransfer::Move) {
        const QSet<const CClipObj*> chosen(selection.clips.cbegin(), selection.clips.cend());
        std::vector<ClipRef> moved;
        std::vector<CClipObj*> arrived = target.AppendUnshown(
            selection.folder->TakeClips([&chosen](const CClipObj* c) { return chosen.contains(c); }, &moved));
        if (observer && !moved.empty())
            observer->ClipsMoved(*selection.folder, target, moved);
        return arrived;
    }
    std::vector<std::unique_ptr<CClipObj>> copies;
    for (const CClipObj* clip : selection.clips)
        copies.push_back(clip->Clone());
    std::vector<CClipObj*> arrived = target.AppendUnshown(std::move(copies));
    if (observer && !arrived.empty())
        observer->ClipsAdded(target, {arrived.cbegin(), arrived.cend()});
    return arrived;
}
