#include "commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <iterator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("CommandLine", text);
}

// Written out rather than QCommandLineParser::helpText(), which names the program from the
// application object that does not exist yet.
QString HelpText()
{
    return Tr("Usage: kestivo [options] [video...]\n"
              "Grabs still images from video files and capture devices.\n"
              "\n"
              "Options:\n"
              "  -h, --help      Show this help and end.\n"
              "  -v, --version   Show the version and end.\n"
              "  --frame <N>     Open the video at frame N (0 is the first frame).\n"
              "\n"
              "Arguments:\n"
              "  video           A video file to open in the source; only the first is opened.\n"
              "                  When Kestivo already runs, that program opens it.\n");
}

CommandLine Answer(const QString& text)
{
    CommandLine line;
    line.request = CommandLine::Request::Answer;
    line.text = text;
    return line;
}

// withHint: a mistake in the options, which --help explains.
CommandLine Refuse(const QString& reason, bool withHint)
{
    CommandLine line;
    line.request = CommandLine::Request::Refuse;
    line.text = QStringLiteral("kestivo: ") + reason + QLatin1Char('\n');
    if (withHint)
        line.text += Tr("Try \"kestivo --help\" for the options.\n");
    return line;
}

// Digits only: QString::toUInt alone would take "+40" and " 40" too.
std::optional<std::uint32_t> FrameNumber(const QString& text)
{
    const bool digits = !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    bool ok = false;
    const uint frame = digits ? text.toUInt(&ok) : 0;
    return ok ? std::optional<std::uint32_t>(frame) : std::nullopt;
}

// The system's words for why path cannot be read as a file; empty when it can. No open(): a
// named pipe would block until its writer comes, and lose what the writer sends meanwhile.
QString WhyUnreadable(const QString& path)
{
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (QFileInfo(path).isDir())
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    return {};
}

// The options the application object takes out of the arguments (Qt 6's QGuiApplication,
// QApplication and the X11 platform), with one dash or two. Only these wait for it: any other
// mistake is refused at once, without a display.
bool IsQtOption(const QString& name)
{
    static const char* const kNames[] = {
        "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
        "qwindowtitle", "title", "qwindowicon", "icon", "reverse", "session", "testability",
        "nograb", "dograb", "qmljsdebugger", "style", "stylesheet", "widgetcount", "display",
        "name", "visual", "cmap", "sync",
    };
    return std::any_of(std::begin(kNames), std::end(kNames), [&name](const char* qt) { return name == QLatin1String(qt); });
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, Tr("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, Tr("Show the version and end."));
    const QCommandLineOption frame(QStringLiteral("frame"), Tr("Open the video at frame N."), QStringLiteral("N"));
    parser.addOptions({help, version, frame});
    // Qt's own options are single-dash words (-reverse, -stylesheet): read as letters, their "v"
    // or "h" would ask for the version or the help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const bool parsed = parser.parse(arguments);

    // Asked for help or the version, the user gets it, whatever else is on the line.
    if (parser.isSet(help))
        return Answer(HelpText());
    if (parser.isSet(version))
        return Answer(QStringLiteral("kestivo %1\n").arg(QStringLiteral(KESTIVO_VERSION)));
    if (!parsed) {
        CommandLine line = Refuse(parser.errorText(), true);
        const QStringList unknown = parser.unknownOptionNames();
        line.qtOptions = std::any_of(unknown.begin(), unknown.end(), IsQtOption);
        return line;
    }

    CommandLine line;
    if (parser.isSet(frame)) {
        line.frame = FrameNumber(parser.value(frame));
        if (!line.frame)
            return Refuse(Tr("--frame takes a frame number (0 is the first frame), not \"%1\".").arg(parser.value(frame)), true);
    }
    const QStringList videos = parser.positionalArguments();
    if (videos.isEmpty()) {
        if (line.frame)
            return Refuse(Tr("--frame needs a video to open."), true);
        return line;
    }
    if (const QString reason = WhyUnreadable(videos.first()); !reason.isEmpty())
        return Refuse(Tr("cannot open \"%1\": %2").arg(videos.first(), reason), false);
    line.video = QFileInfo(videos.first()).absoluteFilePath();
    line.ignored = videos.mid(1);
    return line;
}

QStringList ArgumentList(int argc, char** argv)
{
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int PrintAnswer(const CommandLine& commandLine)
{
    const QByteArray text = commandLine.text.toLocal8Bit();
    switch (commandLine.request) {
    case CommandLine::Request::Answer:
        std::fputs(text.constData(), stdout);
        std::fflush(stdout);
        return 0;
    case CommandLine::Request::Refuse:
        std::fputs(text.constData(), stderr);
        return CommandLine::kRefused;
    case CommandLine::Request::Run:
        break;
    }
    return 0;
}
