// SPDX-License-Identifier: MIT
#include "app/Form1.h"

int main(int argc, char* argv[]) {
    runQuarnel(argc, argv);
}
