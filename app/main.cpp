// SPDX-License-Identifier: MIT
#include "app/Startup.h"

int main(int argc, char* argv[]) {
    runQuarnel(argc, argv);
}
