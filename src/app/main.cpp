#include "commandline.h"
#include "grabcommand.h"
#include "kestivoapp.h"
#include "picturememory.h"

int main(int argc, char** argv)
{
    KeepPictureMemory();
    // Before the application object, which needs a display: --help, --version and a mistake on
    // the command line are answered in a terminal without one.
    CommandLine commandLine = ReadCommandLine(ArgumentList(argc, argv));
    if (commandLine.request == CommandLine::Request::Grab) {
        // A script's tool, which runs without a display and beside a running program.
        QCoreApplication app(argc, argv);
        return RunGrabCommand(commandLine);
    }
    if (commandLine.request != CommandLine::Request::Run && !commandLine.qtOptions)
        return PrintAnswer(commandLine);

    CKestivoApp app(argc, argv);
    // The application object has taken Qt's own options out of the arguments by now: what is left
    // must make sense on its own.
    if (commandLine.qtOptions) {
        commandLine = ReadCommandLine(QCoreApplication::arguments());
        if (commandLine.request == CommandLine::Request::Grab)
            return RunGrabCommand(commandLine);
        if (commandLine.request != CommandLine::Request::Run)
            return PrintAnswer(commandLine);
    }
    switch (app.InitInstance(commandLine)) {
    case CKestivoApp::Start::EndQuietly:
        return 0;
    case CKestivoApp::Start::CannotStart:
        return 1;
    case CKestivoApp::Start::Quit:
        return app.ExitInstance(0);
    case CKestivoApp::Start::Run:
        break;
    }
    return app.ExitInstance(app.exec());
}
