#include "application.h"
#include "commandline.h"
#include "displaycheck.h"
#include "fmmain.h"
#include "sound.h"
#include "startup.h"

#include <optional>

int main(int argc, char** argv) {
    int status = 0;
    QString file;
    if (!AnswerCommandLine(argc, argv, status, file)) return status;
    std::optional<TDisplayCheck> check(std::in_place, argc, argv);
    TApplication app(argc, argv);
    check.reset();
    TWavePlayer sound;
    TProgram program(&sound, BuiltinDirectoryResource, {file, true, SystemEditionPath()});
    if (!program.StartUp(status)) return status;
    program.FmMain()->show();
    return app.exec();
}
