#include "helpwindow.h"

#include "captureversion.h"
#include "mediaversion.h"

#include <QAction>
#include <QHash>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QRegularExpression>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtGlobal>

// Outside any namespace: Q_INIT_RESOURCE declares the resource's init function where it is used.
static void InitGuideResource()
{
    static const bool done = [] {
        // The guide lives in a static library, whose resources nothing registers by itself.
        Q_INIT_RESOURCE(guide);
        return true;
    }();
    (void)done;
}

namespace {

const QUrl kGuideUrl(QStringLiteral("qrc:/docs/user-guide.md"));

// Screenshots are taken of the whole main window; shown at that size they would push the text
// off to the side.
constexpr int kImageWidth = 720;

// The anchor a heading gets where the guide is usually read as a page, so that the same
// "[...](#keys)" links work in both places: lower case, punctuation dropped, spaces as hyphens.
QString HeadingSlug(const QString& heading)
{
    static const QRegularExpression dropped(QStringLiteral("[^\\w\\- ]"));
    QString slug = heading.trimmed().toLower();
    slug.remove(dropped);
    slug.replace(QLatin1Char(' '), QLatin1Char('-'));
    return slug;
}

QImage ToImage(const QVariant& resource)
{
    if (resource.userType() == QMetaType::QImage)
        return resource.value<QImage>();
    if (resource.userType() == QMetaType::QPixmap)
        return resource.value<QPixmap>().toImage();
    if (resource.userType() == QMetaType::QByteArray)
        return QImage::fromData(resource.toByteArray());
    return {};
}

// Every page of the guide is markdown, but a link or a step back through the history names only
// the address: left to itself the browser would read the guide again as HTML.
class GuideBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override
    {
        QUrl url = name;
        // "#heading" alone means this page; unresolved it would count as another one and reload.
        if (url.isRelative() && url.path().isEmpty())
            url = source().resolved(url);
        if (type == QTextDocument::UnknownResource && url.path().endsWith(QLatin1String(".md")))
            type = QTextDocument::MarkdownResource;
        QTextBrowser::doSetSource(url, type);
        // Once more now that the headings carry their names (given as the source changed): the
        // browser's own attempt came before them.
        if (url.hasFragment())
            scrollToAnchor(url.fragment());
    }
};

}  // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    InitGuideResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Kestivo Help"));
    // Neither keeps the program running after the main window closes, nor ends it when closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(kImageWidth + 140, 760);

    m_find = new QLineEdit(this);
    m_find->setObjectName(QStringLiteral("HelpFind"));
    m_find->setPlaceholderText(tr("Find (Ctrl+F; Enter for the next, Shift+Enter for the previous)"));
    m_find->setClearButtonEnabled(true);
    m_browser = new GuideBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_find);
    layout->addWidget(m_browser, 1);

    connect(m_find, &QLineEdit::returnPressed, this, [this] { Find(m_find->text()); });
    auto* previous = new QAction(m_find);
    previous->setShortcuts({QKeySequence(Qt::SHIFT | Qt::Key_Return), QKeySequence(Qt::SHIFT | Qt::Key_Enter)});
    previous->setShortcutContext(Qt::WidgetShortcut);
    m_find->addAction(previous);
    connect(previous, &QAction::triggered, this, [this] { Find(m_find->text(), true); });
    // Typing refines the match in place rather than moving past it.
    connect(m_find, &QLineEdit::textEdited, this, [this](const QString& text) {
        QTextCursor cursor = m_browser->textCursor();
        cursor.setPosition(cursor.selectionStart());
        m_browser->setTextCursor(cursor);
        Find(text);
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);

    // Going back to the guide after following a link loads it again, and with it what the
    // markdown cannot say.
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        NameHeadings();
        LimitImageWidths(kImageWidth);
    });
    LoadGuide();
    m_browser->setFocus();
}

void CHelpWindow::LoadGuide()
{
    m_browser->setSource(kGuideUrl, QTextDocument::MarkdownResource);
}

void CHelpWindow::NameHeadings()
{
    QTextDocument* document = m_browser->document();
    QHash<QString, int> used;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0)
            continue;
        QString slug = HeadingSlug(block.text());
        // A repeated heading gets "-1", "-2", ... as it would as a page.
        if (const int seen = used[slug]++; seen > 0)
            slug += QStringLiteral("-%1").arg(seen);
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorNames({slug});
        cursor.mergeCharFormat(anchor);
    }
}

void CHelpWindow::LimitImageWidths(int maxWidth)
{
    QTextDocument* document = m_browser->document();
    struct Change {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Change> changes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image = ToImage(document->resource(QTextDocument::ImageResource, QUrl(format.name())));
            if (image.isNull() || image.width() <= maxWidth || format.width() > 0)
                continue;
            format.setWidth(maxWidth);
            format.setHeight(qreal(image.height()) * maxWidth / image.width());
            changes.append({fragment.position(), fragment.length(), format});
        }
    }
    // Applied after the walk: changing a fragment's format may split or merge fragments.
    for (const Change& change : std::as_const(changes)) {
        QTextCursor cursor(document);
        cursor.setPosition(change.position);
        cursor.setPosition(change.position + change.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(change.format);
    }
}

bool CHelpWindow::Find(const QString& text, bool backward)
{
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = m_browser->find(text, flags);
    if (!found) {
        const QTextCursor before = m_browser->textCursor();
        m_browser->moveCursor(backward ? QTextCursor::End : QTextCursor::Start);
        found = m_browser->find(text, flags);
        if (!found)
            m_browser->setTextCursor(before);
    }
    m_find->setStyleSheet(found ? QString() : QStringLiteral("QLineEdit { color: #b00000; }"));
    return found;
}

void ShowHelp(QWidget* parent)
{
    static QPointer<CHelpWindow> window;
    if (!window)
        window = new CHelpWindow(parent ? parent->window() : nullptr);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

QString AboutDetailsText()
{
    return QStringList{QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion())), MediaLibraryVersionText(),
                       CaptureLibraryVersionText()}
        .join(QLatin1Char('\n'));
}
