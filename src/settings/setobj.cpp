#include "setobj.h"

#include "archive.h"
#include "systeminfo.h"

#include <QDir>

CSetObj g_SetObj{CSetObj::InMemoryTag{}};

namespace {

std::unique_ptr<CNodeObj> NewDefaultRoot()
{
    auto root = std::make_unique<CNodeObj>();
    root->SetName(QString::fromLatin1(CSetObj::kDefaultRootName));
    return root;
}

}  // namespace

CSetObj::CSetObj(InMemoryTag) : m_imageDir(DefaultImageDir()), m_pRootNode(NewDefaultRoot()) {}

CSetObj::CSetObj() : CSetObj(InMemoryTag{})
{
    CreateDefaultImageDir();
}

void CSetObj::CreateDefaultImageDir()
{
    QDir().mkpath(DefaultImageDir());
}

QString CSetObj::DefaultImageDir()
{
    return g_ExtSysInfo.GetDefaultImageDir();
}

void CSetObj::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteUInt32(m_backColor);
        ar.WriteString(m_imageDir);
        ar.WriteInt32(m_imageType);
        m_pRootNode->Serialize(ar);
        return;
    }
    m_backColor = ar.ReadUInt32();
    m_imageDir = ar.ReadString();
    m_imageType = ar.ReadInt32();
    m_pRootNode = std::make_unique<CNodeObj>();
    m_pRootNode->Serialize(ar);
}
