// The program as main.cpp starts it, over the application folder given as the
// first argument, with the update check at start kept off the network.
#include "Program.h"
#include "TUpdateChecker.h"

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    TUpdateChecker::setNetwork({TUpdateChecker::network().baseUrl, THttpClient::NumericResolver()});
    return Program::run(argc, argv, argv[1]);
}
