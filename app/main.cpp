#include "application.h"
#include "commandline.h"
#include "fmmain.h"
#include "sound.h"
#include "startup.h"

int main(int argc, char** argv) {
    int status = 0;
    if (!AnswerCommandLine(argc, argv, status)) return status;
    TApplication app(argc, argv);
    TWavePlayer sound;
    TProgram program(&sound);
    if (!program.StartUp(status)) return status;
    program.FmMain()->show();
    return app.exec();
}
