// The settings object: everything the user sets, and the whole image library.
#pragma once

#include "colorref.h"
#include "nodeobj.h"

#include <QString>
#include <cstdint>
#include <memory>

class CArchive;

// User-interface thread only.
class CSetObj {
public:
    static constexpr ColorRef kDefaultBackColor = MakeColorRef(186, 210, 224);
    static constexpr char kDefaultRootName[] = "Image Directory";

    // The defaults, and the default image directory created on disk (an existing directory or a
    // failure is ignored: a grab into a missing directory reports its own error).
    CSetObj();
    // The defaults only; nothing is created on disk. For reading a file into a fresh object.
    struct InMemoryTag {};
    explicit CSetObj(InMemoryTag);

    CSetObj(const CSetObj&) = delete;
    CSetObj& operator=(const CSetObj&) = delete;
    CSetObj(CSetObj&&) noexcept = default;
    CSetObj& operator=(CSetObj&&) noexcept = default;
    ~CSetObj() = default;

    // The default image directory: "ImageDir" beside the settings, or for an installed program
    // "Kestivo" in the user's Pictures folder (CSystemInfo::GetDefaultImageDir).
    static QString DefaultImageDir();
    // Creates the default image directory; an existing directory or a failure is ignored.
    static void CreateDefaultImageDir();

    // Writes the settings, or reads them into this object. Reading throws CArchiveError on damaged
    // data, leaving this object in an unspecified but destructible state: read into a fresh
    // object (see ReadSettings) and move it into place on success.
    void Serialize(CArchive& ar);

    ColorRef m_backColor = kDefaultBackColor;
    QString m_imageDir;
    std::int32_t m_imageType = 0;
    std::unique_ptr<CNodeObj> m_pRootNode;
};

// The one settings object, from static initialisation to static destruction. Made with the
// defaults only: the default image directory is created when the program starts its window, so
// that a run which only answers on the command line (--help, --grab) leaves no folder behind.
extern CSetObj g_SetObj;
