// What the program was asked on its command line.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

// kestivo [--frame N] [video...], kestivo --grab N,... [--type T] [--out DIR] video, --help,
// --version. Read twice at most: first from argv before
// the application object exists (it needs a display, which the answers and refusals here do not),
// then, only when that met Qt's own options (-platform, -style...), from the arguments the
// application object left after taking those out.
struct CommandLine {
    enum class Request {
        Run,     // start the program
        Answer,  // print text on standard output and end with 0 (--help, --version)
        Refuse,  // print text on standard error and end with kRefused
        Grab,    // write frames of the video as files and end, without a window (RunGrabCommand)
    };
    static constexpr int kRefused = 2;

    Request request = Request::Run;
    QString text;                  // the answer or the reason for refusing, ending in a newline
    bool qtOptions = false;        // refused for options unknown here but Qt's own: read again

    QString video;                       // the first video named, absolute; empty for none
    QStringList ignored;                 // further videos named, as given: only one is opened
    std::optional<std::uint32_t> frame;  // --frame: where to open the video (0 the first frame)

    std::vector<std::uint32_t> grabFrames;  // --grab: in the order given, repeats kept
    std::optional<std::int32_t> grabType;   // --type as an image type code; none: the settings' type
    QString grabFolder;                     // --out, absolute; the current folder when not given
};

// arguments: the program's name first, as in argv. A relative video is taken in the current
// folder; the video must exist and be readable (its contents are the source's business).
CommandLine ReadCommandLine(const QStringList& arguments);
QStringList ArgumentList(int argc, char** argv);
// Prints an Answer or a Refuse where it belongs; returns the exit status to end with.
int PrintAnswer(const CommandLine& commandLine);
