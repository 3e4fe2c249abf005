#include "commandline.h"

#include "imagetype.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
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
              "       kestivo --grab <N,...> [--type <TYPE>] [--out <DIR>] video\n"
              "Grabs still images from video files and capture devices.\n"
              "\n"
              "Options:\n"
              "  -h, --help      Show this help and end.\n"
              "  -v, --version   Show the version and end.\n"
              "  --frame <N>     Open the video at frame N (0 is the first frame).\n"
              "  --grab <N,...>  Write these frames of the video as image files and end, without a\n"
              "                  window: each is named as a grab, <video>_<N>.<type>, never over\n"
              "                  an existing file, and its path is printed, one line per frame.\n"
              "  --type <TYPE>   With --grab: bmp, jpg (jpeg), png, gif or tif (tiff). Default:\n"
              "                  the image type set in Options, or bmp when there are none.\n"
              "  --out <DIR>     With --grab: the existing folder to write into. Default: the\n"
              "                  current folder.\n"
              "\n"
              "Arguments:\n"
              "  video           A video file to open in the source; only the first is opened.\n"
              "                  When Kestivo already runs, that program opens it.\n"
              "\n"
              "Exit status: 0 done; 1 the program could not start or save, or with --grab, a\n"
              "frame or the video could not be written; 2 a mistake on the command line.\n");
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

// "120,480,1000", and as many of those as --grab was given: digits only between the commas.
// Null, with the item that is not a frame number, on a mistake.
std::optional<std::vector<std::uint32_t>> FrameList(const QStringList& values, QString* wrong)
{
    std::vector<std::uint32_t> frames;
    for (const QString& value : values) {
        for (const QString& item : value.split(QLatin1Char(','))) {
            const std::optional<std::uint32_t> frame = FrameNumber(item);
            if (!frame) {
                *wrong = item;
                return std::nullopt;
            }
            frames.push_back(*frame);
        }
    }
    return frames;
}

// The image type code for a --type name: the extensions grabs get, and "jpeg" and "tiff".
std::optional<std::int32_t> ImageTypeCode(const QString& name)
{
    QString extension = name.toLower();
    if (extension == QLatin1String("jpeg"))
        extension = QStringLiteral("jpg");
    else if (extension == QLatin1String("tiff"))
        extension = QStringLiteral("tif");
    for (const ImageTypeInfo& type : ImageTypes()) {
        if (extension == QLatin1String(type.extension))
            return type.code;
    }
    return std::nullopt;
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

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, Tr("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")}, Tr("Show the version and end.")};
    QCommandLineOption frame{QStringLiteral("frame"), Tr("Open the video at frame N."), QStringLiteral("N")};
    QCommandLineOption grab{QStringLiteral("grab"), Tr("Write these frames as image files."), QStringLiteral("N,...")};
    QCommandLineOption type{QStringLiteral("type"), Tr("The image type of --grab."), QStringLiteral("TYPE")};
    QCommandLineOption out{QStringLiteral("out"), Tr("The folder of --grab."), QStringLiteral("DIR")};
};

// What --grab asks, as far as the words go. Whether the folder takes files and the frames are in
// the video is the grab's to find out (RunGrabCommand): it ends with 1 rather than 2 for those.
CommandLine ReadGrab(const QCommandLineParser& parser, const Options& options)
{
    if (parser.isSet(options.frame))
        return Refuse(Tr("--frame and --grab do not go together."), true);
    CommandLine line;
    line.request = CommandLine::Request::Grab;
    QString wrong;
    const std::optional<std::vector<std::uint32_t>> frames = FrameList(parser.values(options.grab), &wrong);
    if (!frames)
        return Refuse(Tr("--grab takes frame numbers separated by commas (0 is the first frame), not \"%1\".").arg(wrong), true);
    line.grabFrames = *frames;
    if (parser.isSet(options.type)) {
        line.grabType = ImageTypeCode(parser.value(options.type));
        if (!line.grabType)
            return Refuse(Tr("--type takes bmp, jpg, jpeg, png, gif, tif or tiff, not \"%1\".").arg(parser.value(options.type)), true);
    }
    const QString out = parser.value(options.out);
    if (parser.isSet(options.out) && out.isEmpty())
        return Refuse(Tr("--out needs a folder."), true);
    line.grabFolder = out.isEmpty() ? QDir::currentPath() : QFileInfo(out).absoluteFilePath();

    const QStringList videos = parser.positionalArguments();
    if (videos.isEmpty())
        return Refuse(Tr("--grab needs a video."), true);
    if (videos.size() > 1)
        return Refuse(Tr("--grab takes one video; \"%1\" is one too many.").arg(videos.at(1)), true);
    if (const QString reason = WhyUnreadable(videos.first()); !reason.isEmpty())
        return Refuse(Tr("cannot open \"%1\": %2").arg(videos.first(), reason), false);
    line.video = QFileInfo(videos.first()).absoluteFilePath();
    return line;
}

}  // namespace

CommandLine ReadCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    const Options options;
    const QCommandLineOption& help = options.help;
    const QCommandLineOption& version = options.version;
    const QCommandLineOption& frame = options.frame;
    parser.addOptions({help, version, frame, options.grab, options.type, options.out});
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

    if (parser.isSet(options.grab))
        return ReadGrab(parser, options);
    if (parser.isSet(options.type) || parser.isSet(options.out))
        return Refuse(Tr("--type and --out go with --grab."), true);

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
    case CommandLine::Request::Grab:
        break;
    }
    return 0;
}
