#include "clipcaption.h"

#include "clipobj.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImageReader>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

namespace clipcaption {

namespace {

constexpr int kCaptionPointSize = 8;
// The band is 82 pixels wide; a pixel of air each side keeps the text off its frame.
constexpr int kCaptionTextWidth = 82 - 4;
const QChar kEllipsis(0x2026);
constexpr qsizetype kStartLetters = 3;

QString Tr(const char* text)
{
    return QCoreApplication::translate("CKestivoView", text);
}

// The texts a grab wrote into its file (see VideoGrabTexts and LiveGrabTexts). PNG keeps one text
// per key; JPEG keeps them as "Key: text" lines of one comment, which Qt hands back as the first
// key's text with the other lines after it, white space simplified. So every text is cut again
// where one of the grab's keys begins.
QHash<QString, QString> RecordedTexts(QImageReader& reader)
{
    static const QRegularExpression nextKey(QStringLiteral("\\s(Source|Frame|Timecode|Channel|Grab|Software): "));
    QHash<QString, QString> texts;
    for (const QString& key : reader.textKeys()) {
        const QString text = reader.text(key);
        QString current = key;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& match : nextKey.globalMatch(text)) {
            texts.insert(current, text.mid(from, match.capturedStart() - from));
            current = match.captured(1);
            from = match.capturedEnd();
        }
        texts.insert(current, text.mid(from));
    }
    return texts;
}

}  // namespace

const QFont& Font()
{
    static const QFont font = [] {
        QFont f(QStringLiteral("Sans Serif"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSize(kCaptionPointSize);
        return f;
    }();
    return font;
}

namespace {

QString Elided(const QString& caption)
{
    const QFontMetrics metrics(Font());
    if (metrics.horizontalAdvance(caption) <= kCaptionTextWidth)
        return caption;
    const qsizetype number = caption.lastIndexOf(QLatin1Char('_'));
    if (number > 0) {
        const QString tail = caption.mid(number);
        const int tailWidth = metrics.horizontalAdvance(tail);
        // The number leaves room for the first few letters at least, so that the start still shows.
        const int start = metrics.horizontalAdvance(caption.left(std::min<qsizetype>(number, kStartLetters)));
        if (tailWidth + metrics.horizontalAdvance(kEllipsis) + start <= kCaptionTextWidth)
            return metrics.elidedText(caption.left(number), Qt::ElideRight, kCaptionTextWidth - tailWidth) + tail;
    }
    return metrics.elidedText(caption, Qt::ElideMiddle, kCaptionTextWidth);
}

}  // namespace

QString Shown(const QString& caption)
{
    // Asked for every visible cell at every paint; a caption never changes how it is cut.
    static QHash<QString, QString> shown;
    if (const auto known = shown.constFind(caption); known != shown.constEnd())
        return *known;
    return shown.insert(caption, Elided(caption)).value();
}

QString ToolTip(const CClipObj& clip, const TimecodeSource& timecodeOf)
{
    QImageReader reader(clip.GetPath());
    const QHash<QString, QString> texts = RecordedTexts(reader);
    QStringList lines{clip.GetCaption()};
    if (clip.GetKind() == CClipObj::kCaptureDevice) {
        const QString channel = texts.value(QStringLiteral("Channel"));
        lines.append(channel.isEmpty() ? Tr("Capture grab %1").arg(clip.GetNumber())
                                       : Tr("Channel %1, grab %2").arg(channel).arg(clip.GetNumber()));
    } else {
        lines.append(Tr("Video %1, frame %2").arg(QDir::toNativeSeparators(clip.GetSource())).arg(clip.GetNumber()));
    }
    QString timecode = texts.value(QStringLiteral("Timecode"));
    if (timecode.isEmpty() && clip.GetKind() != CClipObj::kCaptureDevice && timecodeOf)
        timecode = timecodeOf(clip.GetSource(), std::uint32_t(std::max(0, clip.GetNumber())));
    if (!timecode.isEmpty())
        lines.append(Tr("Timecode %1").arg(timecode));
    if (const QSize size = reader.size(); size.isValid())
        lines.append(Tr("%1 x %2 pixels").arg(size.width()).arg(size.height()));
    lines.append(QDir::toNativeSeparators(clip.GetPath()));
    return lines.join(QLatin1Char('\n'));
}

}  // namespace clipcaption
