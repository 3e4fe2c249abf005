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

TEST(AboutBox, ShowsTheDetailsAsTheyAreGivenAndOnlyWhenGiven)
{
    std::unique_ptr<QDialog> plain(CreateOrvelAbout(QStringLiteral("/x"), MakeColorRef(0, 0, 0)));
    EXPECT_EQ(plain->findChild<QLabel*>(QStringLiteral("details")), nullptr);

    // A version string is the library's own words: markup in it is shown, not obeyed.
    const QString details = QStringLiteral("Qt 6.4.2\nLib <b>1.0</b>");
    std::unique_ptr<QDialog> box(CreateOrvelAbout(QStringLiteral("/x"), MakeColorRef(0, 0, 0), nullptr, details));
    const auto* label = box->findChild<QLabel*>(QStringLiteral("details"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), details);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->textInteractionFlags() & Qt::TextSelectableByMouse);
}
