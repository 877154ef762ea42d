// The POSIX entry point.
#include "setup/Os.h"
#include "setup/Run.h"

int main(int argc, char **argv)
{
    menu::setup::os::keepArguments(argc, argv);
    return menu::setup::run();
}
