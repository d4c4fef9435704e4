// The entry point of a framework application: it runs the one application object.
#include "framework/CWinApp.h"

#include "platform/DynamicLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before any library is loaded: the file picker may make any folder current.
    platform::keepCurrentFolderOutOfLibrarySearch();
    CWinApp* application = CWinApp::current();
    return application != nullptr ? application->runApplication() : 1;
}
