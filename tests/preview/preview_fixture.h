// A preview canvas whose viewport is exactly the size asked for, and test images in a folder of
// the test's.
#pragma once

#include "ceditdlg.h"

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Hidden scroll bars leave the viewport the widget's size; ranges and positions work the same.
        m_canvas.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_canvas.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QObject::connect(&m_canvas, &CEditDlg::problem, [this](const QString& text) { m_problems << text; });
        m_canvas.show();
        SetViewport(800, 600);
    }

    void SetViewport(int width, int height)
    {
        m_canvas.resize(width, height);
        QCoreApplication::processEvents();
        ASSERT_EQ(m_canvas.viewport()->size(), QSize(width, height));
    }

    // Writes a PNG whose pixels are colour(x, y) and shows it.
    QString Show(const QString& name, int width, int height, const std::function<QColor(int, int)>& colour = {},
                 QImage::Format format = QImage::Format_RGB32)
    {
        QImage image(width, height, format);
        image.fill(Qt::darkCyan);
        for (int y = 0; colour && y < height; ++y) {
            for (int x = 0; x < width; ++x)
                image.setPixelColor(x, y, colour(x, y));
        }
        CClipObj item;
        item.SetPath(m_dir.filePath(name));
        EXPECT_TRUE(image.save(item.GetPath()));
        m_canvas.ShowClip(item);
        return item.GetPath();
    }

    static QRect Edges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }
    QScrollBar& HBar() { return *m_canvas.horizontalScrollBar(); }
    QScrollBar& VBar() { return *m_canvas.verticalScrollBar(); }
    QImage Screen() { return m_canvas.viewport()->grab().toImage(); }

    QTemporaryDir m_dir;
    CEditDlg m_canvas;
    QStringList m_problems;
};
