// The screens' factories.
#include "shell/screen_registry.h"

#include "screens/alignment_screen.h"
#include "screens/utility_screens.h"
#include "shell/application.h"
#include "shell/artwork.h"
#include "shell/commands.h"

namespace kavrin::shell {

void registerScreens() {
    for (auto& [command, factory] : screens::alignmentScreenFactories(
             buttonPicture(kPttToggleButton), buttonPicture(kProgramButton))) {
        CPelionTunerApp::registerScreen(command, std::move(factory));
    }
    CPelionTunerApp::registerScreen(kCmdRadioSetup, [] { return new screens::CRadioSetup; });
    CPelionTunerApp::registerScreen(kCmdProgramSerialNo, [] {
        return new screens::CSerialNoProgram(buttonPicture(kUpdateButton));
    });
}

} // namespace kavrin::shell
