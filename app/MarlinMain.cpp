// The one application object of marlin.exe; WinMain runs it.
#include "app/CMarlinApp.h"

CMarlinApp theApp;
