// Prodle's entry point and its one application object.
#include <windows.h>

#include "app/prodle_app.h"

CProdleApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    return AfxWinMain(instance, showCommand);
}
