// Folders, items and image files for the library window's tests.
#pragma once

#include "nodeobj.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class LibraryFixture : public ::testing::Test {
protected:
    // An item whose file exists (or, with exists false, whose file is missing from a folder that
    // exists).
    CClipObj* AddItem(CNodeObj& folder, const QString& name, bool exists = true)
    {
        const QString path = m_dir.filePath(name);
        if (exists) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("image");
        }
        return AddItemAt(folder, path);
    }

    static CClipObj* AddItemAt(CNodeObj& folder, const QString& path)
    {
        auto clip = std::make_unique<CClipObj>();
        clip->SetPath(path);
        clip->SetCaption(QFileInfo(path).baseName());
        return folder.AddClip(std::move(clip));
    }

    void AddItems(CNodeObj& folder, int count)
    {
        for (int i = 0; i < count; ++i)
            AddItem(folder, QStringLiteral("%1_%2.bmp").arg(folder.GetName()).arg(i));
    }

    static CNodeObj* AddFolder(CNodeObj& parent, const QString& name)
    {
        auto child = std::make_unique<CNodeObj>();
        child->SetName(name);
        return parent.AddChild(std::move(child));
    }

    static std::vector<bool> Selection(const CNodeObj& folder)
    {
        std::vector<bool> selected;
        for (const CClipObj* clip : folder.GetClipList())
            selected.push_back(clip->IsSelected());
        return selected;
    }

    QTemporaryDir m_dir;
    CNodeObj m_root;
};
