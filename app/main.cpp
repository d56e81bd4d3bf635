#include "application.h"
#include "database.h"
#include "fmmain.h"
#include "sound.h"
#include "startup.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TWavePlayer sound;
    int status = 0;
    if (!StartUp(&sound, status)) return status;
    FmMain->show();
    status = app.exec();
    ShutDown();
    return status;
}
