// The entry point of a framework application: it runs the one application object.
#include "framework/CWinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* application = CWinApp::current();
    return application != nullptr ? application->runApplication() : 1;
}
