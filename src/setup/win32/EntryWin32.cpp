// Windows' entry point: a program of the windows subsystem, without a console.
#include "setup/Run.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return menu::setup::run();
}
