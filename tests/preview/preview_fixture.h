// A preview canvas on its own, with a viewport of exactly the size asked for, and test images
// written into a folder of the test's.
#pragma once

#include "ceditdlg.h"
#include "clipobj.h"

#include <QCoreApplication>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <functional>
#include <vector>

class PreviewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The scroll bars stay hidden so that the viewport is the widget, whatever the image;
        // their ranges and positions work the same. One test shows them as the program does.
        m_canvas.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_canvas.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        QObject::connect(&m_canvas, &CEditDlg::problem, [this](const QString& text) { m_problems.push_back(text); });
        m_canvas.show();
        SetViewport(800, 600);
    }

    void SetViewport(int width, int height)
    {
        m_canvas.resize(width, height);
        Settle();
        ASSERT_EQ(m_canvas.viewport()->size(), QSize(width, height));
    }

    static void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    // Writes a PNG of width x height whose pixels come from colour (image x, y).
    QString MakeImage(const QString& name, int width, int height,
                      const std::function<QColor(int, int)>& colour = {}, QImage::Format format = QImage::Format_RGB32)
    {
        QImage image(width, height, format);
        image.fill(Qt::darkCyan);
        if (colour) {
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    image.setPixelColor(x, y, colour(x, y));
            }
        }
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return path;
    }

    void Show(const QString& path)
    {
        CClipObj item;
        item.SetPath(path);
        m_canvas.ShowClip(item);
        Settle();
    }

    // A rectangle by its edges, right and bottom exclusive.
    static QRect Edges(int left, int top, int right, int bottom) { return QRect(left, top, right - left, bottom - top); }

    QScrollBar& HBar() { return *m_canvas.horizontalScrollBar(); }
    QScrollBar& VBar() { return *m_canvas.verticalScrollBar(); }
    QImage Screen() { return m_canvas.viewport()->grab().toImage(); }

    QTemporaryDir m_dir;
    CEditDlg m_canvas;
    std::vector<QString> m_problems;
};
