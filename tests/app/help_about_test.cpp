#include "about.h"
#include "helpwindow.h"
#include "mainframe.h"

#include <QAction>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QScrollBar>
#include <QScopeGuard>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <gtest/gtest.h>
#include <memory>

extern "C" {
#include <libavutil/avutil.h>
}

namespace {

// The one help window a call to ShowHelp made for owner.
CHelpWindow* HelpWindowOf(const QWidget& owner)
{
    const QList<CHelpWindow*> windows = owner.findChildren<CHelpWindow*>();
    EXPECT_EQ(windows.size(), 1);
    return windows.value(0);
}

QTextDocument* GuideOf(const CHelpWindow* help)
{
    const auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    EXPECT_NE(browser, nullptr);
    return browser ? browser->document() : nullptr;
}

QStringList Headings(const QTextDocument* document)
{
    QStringList headings;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            headings.append(block.text());
    }
    return headings;
}

QList<QTextFragment> Fragments(const QTextDocument* document)
{
    QList<QTextFragment> fragments;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            fragments.append(it.fragment());
    }
    return fragments;
}

QImage ToImage(const QVariant& resource)
{
    if (resource.userType() == QMetaType::QImage)
        return resource.value<QImage>();
    if (resource.userType() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    return QImage::fromData(resource.toByteArray());
}

// The keys the guide's table lists: its first column, "`A` or `B`" and "`A`, `B`" split.
QSet<QString> KeysInTable(const QTextDocument* document)
{
    QSet<QString> keys;
    for (QTextFrame* frame : document->rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table || table->cellAt(0, 0).firstCursorPosition().block().text() != QStringLiteral("Key"))
            continue;
        for (int row = 1; row < table->rows(); ++row) {
            const QTextTableCell cell = table->cellAt(row, 0);
            QTextCursor text = cell.firstCursorPosition();
            text.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            for (const QString& key : text.selectedText().split(QRegularExpression(QStringLiteral(", | or "))))
                keys.insert(key.trimmed());
        }
    }
    return keys;
}

}  // namespace

TEST(HelpWindow, ShowsTheGuideAsAWindowOfItsOwn)
{
    QWidget owner;
    ShowHelp(&owner);
    CHelpWindow* help = HelpWindowOf(owner);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isWindow());
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->objectName(), QStringLiteral("HelpWindow"));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Kestivo Help"));
    EXPECT_TRUE(help->Browser()->openExternalLinks());

    const QTextDocument* guide = GuideOf(help);
    ASSERT_NE(guide, nullptr);
    // Read as markdown, not shown as its source.
    const QStringList headings = Headings(guide);
    EXPECT_TRUE(headings.contains(QStringLiteral("Keys"))) << headings.join(QStringLiteral(" | ")).toStdString();
    EXPECT_TRUE(headings.contains(QStringLiteral("The source pane")));
    EXPECT_FALSE(guide->toPlainText().contains(QStringLiteral("## ")));
    EXPECT_TRUE(guide->toPlainText().contains(QStringLiteral("Grab Image")));
}

TEST(HelpWindow, ALaterCallBringsBackTheSameWindow)
{
    QWidget owner;
    ShowHelp(&owner);
    CHelpWindow* first = HelpWindowOf(owner);
    ASSERT_NE(first, nullptr);
    first->close();
    EXPECT_FALSE(first->isVisible());

    QWidget child(&owner);
    ShowHelp(&child);  // from anywhere in the same window
    EXPECT_EQ(HelpWindowOf(owner), first);
    EXPECT_TRUE(first->isVisible());
}

TEST(HelpWindow, EveryPictureOfTheGuideIsCompiledInAndFitsTheWindow)
{
    QWidget owner;
    ShowHelp(&owner);
    const QTextDocument* guide = GuideOf(HelpWindowOf(owner));
    ASSERT_NE(guide, nullptr);
    int pictures = 0;
    for (const QTextFragment& fragment : Fragments(guide)) {
        if (!fragment.charFormat().isImageFormat())
            continue;
        ++pictures;
        const QTextImageFormat format = fragment.charFormat().toImageFormat();
        const QImage image = ToImage(guide->resource(QTextDocument::ImageResource, QUrl(format.name())));
        EXPECT_FALSE(image.isNull()) << format.name().toStdString();
        const qreal shownWidth = format.width() > 0 ? format.width() : image.width();
        EXPECT_LE(shownWidth, HelpWindowOf(owner)->width()) << format.name().toStdString();
    }
    EXPECT_GE(pictures, 3);
}

TEST(HelpWindow, EveryLinkWithinTheGuideLeadsToAHeading)
{
    QWidget owner;
    ShowHelp(&owner);
    const QTextDocument* guide = GuideOf(HelpWindowOf(owner));
    ASSERT_NE(guide, nullptr);
    QSet<QString> anchors;
    QStringList links;
    for (const QTextFragment& fragment : Fragments(guide)) {
        anchors.unite(QSet<QString>(fragment.charFormat().anchorNames().cbegin(), fragment.charFormat().anchorNames().cend()));
        if (fragment.charFormat().anchorHref().startsWith(QLatin1Char('#')))
            links.append(fragment.charFormat().anchorHref().mid(1));
    }
    EXPECT_GE(links.size(), 5);
    for (const QString& link : std::as_const(links))
        EXPECT_TRUE(anchors.contains(link)) << link.toStdString();
    EXPECT_TRUE(anchors.contains(QStringLiteral("trying-it-without-a-camera")));

    // Following one, as a click does or as typed into the guide, stays in the guide as it was.
    QTextBrowser* browser = HelpWindowOf(owner)->Browser();
    const QUrl guideUrl = browser->source();
    for (const QUrl& link : {guideUrl.resolved(QUrl(QStringLiteral("#keys"))), QUrl(QStringLiteral("#options"))}) {
        browser->setSource(link);
        EXPECT_EQ(browser->source().adjusted(QUrl::RemoveFragment), guideUrl.adjusted(QUrl::RemoveFragment));
        EXPECT_EQ(browser->source().fragment(), link.fragment());
        EXPECT_TRUE(Headings(browser->document()).contains(QStringLiteral("Keys"))) << link.toString().toStdString();
        EXPECT_FALSE(browser->document()->toPlainText().contains(QStringLiteral("## ")));
    }
    // And it goes there: "Keys" is the last heading, so its place is well down the guide.
    browser->setSource(QUrl(QStringLiteral("#keys")));
    EXPECT_GT(browser->verticalScrollBar()->value(), browser->verticalScrollBar()->maximum() / 2);
}

TEST(HelpWindow, FindWrapsAroundAndLeavesTheCursorWhenNothingMatches)
{
    QWidget owner;
    ShowHelp(&owner);
    CHelpWindow* help = HelpWindowOf(owner);
    ASSERT_NE(help, nullptr);
    help->Browser()->moveCursor(QTextCursor::End);
    ASSERT_TRUE(help->Find(QStringLiteral("Kestivo User Guide")));  // only at the top
    EXPECT_EQ(help->Browser()->textCursor().selectedText(), QStringLiteral("Kestivo User Guide"));
    const int at = help->Browser()->textCursor().position();

    EXPECT_FALSE(help->Find(QStringLiteral("no such words in the guide")));
    EXPECT_EQ(help->Browser()->textCursor().position(), at);

    help->Browser()->moveCursor(QTextCursor::Start);
    ASSERT_TRUE(help->Find(QStringLiteral("Keys"), true));  // backwards from the top: the last one
    EXPECT_GT(help->Browser()->textCursor().position(), help->Browser()->document()->characterCount() / 2);
}

// The guide's table and the program's keys must not drift apart: every key a command of the
// frame or its panes answers to is in the table.
TEST(HelpWindow, TheKeysTableListsEveryKeyTheProgramBinds)
{
    const QByteArray channels = qgetenv("KESTIVO_TEST_CHANNELS");
    const auto restore = qScopeGuard([&] { qputenv("KESTIVO_TEST_CHANNELS", channels); });
    qputenv("KESTIVO_TEST_CHANNELS", "Cam A=videotestsrc is-live=true");
    CMainFrame frame;
    frame.OnFileNew();  // the library window's commands exist while it is open

    ShowHelp(&frame);
    const QTextDocument* guide = GuideOf(HelpWindowOf(frame));
    ASSERT_NE(guide, nullptr);
    const QSet<QString> listed = KeysInTable(guide);
    ASSERT_FALSE(listed.isEmpty());

    int bound = 0;
    for (const QAction* action : frame.findChildren<QAction*>()) {
        if (!action->objectName().startsWith(QLatin1String("command")))
            continue;
        for (const QKeySequence& key : action->shortcuts()) {
            ++bound;
            EXPECT_TRUE(listed.contains(key.toString(QKeySequence::PortableText)))
                << key.toString(QKeySequence::PortableText).toStdString() << " of " << action->objectName().toStdString()
                << " (" << action->toolTip().toStdString() << ")";
        }
    }
    EXPECT_GE(bound, 25);  // the source pane's, the preview's, the library's, a channel's, the frame's
}

TEST(AboutBox, ShowsTheVersionsInUseOnTheGivenBackground)
{
    const QString details = AboutDetailsText();
    const QStringList lines = details.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 3) << details.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Qt ") + QString::fromLatin1(qVersion()));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("FFmpeg ") + QString::fromUtf8(av_version_info()))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QRegularExpression(QStringLiteral("\\(libavformat \\d+\\.\\d+\\.\\d+, libavcodec \\d+\\.\\d+\\.\\d+\\)$"))))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QRegularExpression(QStringLiteral("^GStreamer \\d+\\.\\d+\\.\\d+"))))
        << lines[2].toStdString();

    const QColor back(186, 210, 224);
    std::unique_ptr<QDialog> box(CreateOrvelAbout(QStringLiteral("/usr/bin/kestivo"), MakeColorRef(186, 210, 224), nullptr, details));
    const auto* label = box->findChild<QLabel*>(QStringLiteral("details"));
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains(QStringLiteral("Qt ")));
    EXPECT_TRUE(label->text().contains(QStringLiteral("FFmpeg")));
    EXPECT_TRUE(label->text().contains(QStringLiteral("GStreamer")));
    box->adjustSize();
    const QImage shot = box->grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 2), back);
    // The label lets the box's colour through rather than painting its own.
    const QPoint corner = label->mapTo(box.get(), QPoint(0, 0));
    EXPECT_EQ(shot.pixelColor(corner), back);
}
