#include "kestivoapp.h"

int main(int argc, char** argv)
{
    CKestivoApp app(argc, argv);
    if (app.InitInstance() == CKestivoApp::Start::EndQuietly)
        return 0;
    return app.ExitInstance(app.exec());
}
