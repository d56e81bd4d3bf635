#include "cli.h"

int main(int argc, char** argv) {
    return vg::RunCli(argc, argv);
}
