#include "application.h"
#include "commandline.h"
#include "database.h"
#include "fmmain.h"
#include "sound.h"
#include "startup.h"

int main(int argc, char** argv) {
    int status = 0;
    if (!AnswerCommandLine(argc, argv, status)) return status;
    TApplication app(argc, argv);
    TWavePlayer sound;
    if (!StartUp(&sound, status)) return status;
    FmMain->show();
    status = app.exec();
    ShutDown();
    return status;
}
