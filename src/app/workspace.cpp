// The workspace a session leaves for the next: the source's video and frame, the library's
// selected folder and the width of its folder tree, kept in the profile (never in "Options.dat").
#include "mainframe.h"

#include "cchildframe.h"
#include "cnodetreeview.h"
#include "csourcedlg.h"
#include "csourcepane.h"
#include "logging.h"
#include "profile.h"

#include <QFileInfo>
#include <QSplitter>
#include <QTreeWidgetItem>
#include <algorithm>

namespace {

const QString kVideo = QStringLiteral("Workspace/Video");
const QString kFrame = QStringLiteral("Workspace/Frame");
// The selected folder as the names from below the library's top folder down to it.
const QString kFolder = QStringLiteral("Workspace/Folder");
const QString kTreeWidth = QStringLiteral("Workspace/TreeWidth");

QSplitter* LibrarySplitter(const CChildFrame* frame)
{
    return frame->findChild<QSplitter*>(QStringLiteral("LibrarySplitter"));
}

QStringList FolderNames(const QTreeWidgetItem* item)
{
    QStringList names;
    for (; item && item->parent(); item = item->parent())
        names.prepend(item->text(0));
    return names;
}

// The folder at those names, or the deepest one of them that is still there.
QTreeWidgetItem* FolderAt(const QTreeWidget* tree, const QStringList& names)
{
    QTreeWidgetItem* item = tree->topLevelItem(0);
    for (const QString& name : names) {
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; item && i < item->childCount() && !next; ++i) {
            if (item->child(i)->text(0) == name)
                next = item->child(i);
        }
        if (!next)
            break;
        item = next;
    }
    return item;
}

}  // namespace

void CMainFrame::SaveWorkspace()
{
    QSettings profile = kestivo::Profile();
    const CSourceDlg* source = m_wndSourcePane->Dialog();
    if (source->IsOpen()) {
        profile.setValue(kVideo, source->FileName());
        profile.setValue(kFrame, source->CurrentFrame());
    } else {
        profile.remove(kVideo);
        profile.remove(kFrame);
    }
    // A library window closed before the end leaves what the last one kept.
    if (!m_pLibraryFrame)
        return;
    const QStringList folder = FolderNames(m_pLibraryFrame->TreeView()->currentItem());
    profile.setValue(kFolder, folder);
    const int treeWidth = LibrarySplitter(m_pLibraryFrame)->sizes().value(0);
    profile.setValue(kTreeWidth, treeWidth);
    qCDebug(lcApp) << "workspace kept: video" << source->FileName() << "frame" << source->CurrentFrame() << "folder"
                   << folder.join(QLatin1Char('/')) << "tree width" << treeWidth;
}

void CMainFrame::RestoreWorkspace(bool reopenVideo)
{
    const QSettings profile = kestivo::Profile();
    if (m_pLibraryFrame) {
        CNodeTreeView* tree = m_pLibraryFrame->TreeView();
        if (QTreeWidgetItem* folder = FolderAt(tree, profile.value(kFolder).toStringList()))
            tree->setCurrentItem(folder);
        // The tree does not stretch with the window, so the width it is given now stays.
        QSplitter* splitter = LibrarySplitter(m_pLibraryFrame);
        const int width = profile.value(kTreeWidth, 0).toInt();
        const QList<int> sizes = splitter->sizes();
        if (width > 0 && sizes.size() == 2)
            splitter->setSizes({width, std::max(sizes[0] + sizes[1] - width, 1)});
    }
    const QString video = profile.value(kVideo).toString();
    if (!reopenVideo || video.isEmpty() || !QFileInfo(video).isFile())
        return;
    const auto frame = profile.value(kFrame, 0).toUInt();
    qCInfo(lcApp) << "reopening" << video << "at frame" << frame << "as the last session left it";
    OpenVideo(video, frame);
}
