#include "kestivoapp.h"

int main(int argc, char** argv)
{
    CKestivoApp app(argc, argv);
    switch (app.InitInstance()) {
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
