// Program entry.
#include "shell/ProgramEnvironment.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
