#include "application.h"
#include "fmmain.h"
#include "sound.h"
#include "startup.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TWavePlayer sound;
    TProgram program(&sound);
    int status = 0;
    if (!program.StartUp(status)) return status;
    program.FmMain()->show();
    return app.exec();
}
