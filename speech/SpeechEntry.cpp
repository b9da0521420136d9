// What the speech module exports to the program.
#include "DesktopSpeaker.h"
#include "SpeechModule.h"

#include "common/ProgramModule.h"

BIMBALA_MODULE_IDENTITY(SpeechModule::Interface)

extern "C" Q_DECL_EXPORT Speaker *bimbala_make_speaker()
{
    return new DesktopSpeaker;
}
