// The utility screens' factories, with the pictures the shell draws for them.
#include "shell/utility_screen_registry.h"

#include "screens/utility_screens.h"
#include "shell/application.h"
#include "shell/artwork.h"
#include "shell/commands.h"

namespace kavrin::shell {

void registerUtilityScreens() {
    CPelionTunerApp::registerScreen(kCmdRadioSetup, [] { return new screens::CRadioSetup; });
    CPelionTunerApp::registerScreen(kCmdProgramSerialNo, [] {
        return new screens::CSerialNoProgram(buttonPicture(kUpdateButton));
    });
}

} // namespace kavrin::shell
