#include "about.h"

#include <QDialog>
#include <QLabel>
#include <QPalette>
#include <gtest/gtest.h>
#include <memory>

TEST(AboutBox, ShowsThePathOnTheGivenBackground)
{
    const QString path = QStringLiteral("/opt/kestivo/bin/kestivo");
    std::unique_ptr<QDialog> box(CreateOrvelAbout(path, MakeColorRef(186, 210, 224)));
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(186, 210, 224));
    EXPECT_TRUE(box->autoFillBackground());

    const auto* pathLabel = box->findChild<QLabel*>(QStringLiteral("exePath"));
    ASSERT_NE(pathLabel, nullptr);
    EXPECT_EQ(pathLabel->text(), path);
    const auto* title = box->findChild<QLabel*>(QStringLiteral("title"));
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(title->text().contains(QStringLiteral(KESTIVO_VERSION)));

    // The colour is painted, not only set.
    box->resize(300, 150);
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(186, 210, 224));
}
