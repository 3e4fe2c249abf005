#include "settings_fixture.h"

namespace {

CNodeObj* AddFolder(CNodeObj& parent, const QString& name)
{
    auto folder = std::make_unique<CNodeObj>();
    folder->SetName(name);
    return parent.AddChild(std::move(folder));
}

void AddItem(CNodeObj& folder, const QString& name, bool withThumb, int seed)
{
    auto clip = std::make_unique<CClipObj>();
    clip->SetSource(withThumb ? QStringLiteral("/videos/%1.mpg").arg(name) : QString());
    clip->SetNumber(seed * 25);
    clip->SetPath(QStringLiteral("/grabs/%1_%2.bmp").arg(name).arg(seed * 25));
    clip->SetCaption(QStringLiteral("%1_%2").arg(name).arg(seed * 25));
    clip->SetKind(withThumb ? CClipObj::kVideoFile : CClipObj::kCaptureDevice);
    if (withThumb)
        clip->SetThumbnail(80, 60, PatternThumb(seed));
    folder.AddClip(std::move(clip));
}

}  // namespace

QByteArray PatternThumb(int seed)
{
    QByteArray block(CClipObj::kThumbHeaderBytes + 80 * 60 * 3, '\0');
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char((i * 31 + seed * 7) & 0xFF);
    return block;
}

std::unique_ptr<CSetObj> MakeRichSettings()
{
    auto settings = std::make_unique<CSetObj>(CSetObj::InMemoryTag{});
    settings->m_backColor = 0x00332211;
    settings->m_imageDir = QString(254, QChar(u'd'));
    settings->m_imageType = -1;
    CNodeObj& root = *settings->m_pRootNode;
    root.SetName(QStringLiteral("Grabs \u00e9t\u00e9 \u65e5\u672c"));
    AddItem(root, QStringLiteral("root"), true, 1);

    CNodeObj* trips = AddFolder(root, QString(255, QChar(u't')));
    AddItem(*trips, QStringLiteral("beach"), true, 2);
    AddItem(*trips, QStringLiteral("camera"), false, 3);
    CNodeObj* deeper = AddFolder(*AddFolder(*trips, QStringLiteral("2026")), QStringLiteral("june"));
    AddItem(*deeper, QStringLiteral("sunset"), true, 4);
    AddFolder(*trips, QString());  // an empty name survives too

    CNodeObj* notes = AddFolder(root, QString(70000, QChar(u'n')));
    AddItem(*notes, QStringLiteral("same"), false, 5);
    AddItem(*deeper, QStringLiteral("same"), false, 5);  // two items sharing one path
    return settings;
}
