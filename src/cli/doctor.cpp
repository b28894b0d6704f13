// The checklist: the ports' diagnosis, then the radio asked for its firmware version on the port
// the search picks, with whatever the link said on the way.
#include "cli/doctor.h"

#include "cli/cli.h"
#include "data/radio_utilities.h"
#include "link/port_diagnosis.h"
#include "link/port_discovery.h"

namespace kavrin::cli {

namespace {

// Keeps the first warning the radio work would have shown: the link's own says where it
// failed, the command's after it only that it did.
class CollectedMessages final : public IUserMessages {
public:
    void showMessage(const std::string& text, const std::string&, MessageIcon icon) override {
        if (icon == MessageIcon::Exclamation && problems.empty()) {
            problems = text;
        }
    }
    Answer ask(const std::string& text, const std::string& title, MessageIcon icon) override {
        showMessage(text, title, icon);
        return Answer::Cancel;
    }
    std::string problems;
};

PortCheck radioCheck(const std::string& radioPort, bool portProblems) {
    if (radioPort.empty()) {
        return {CheckOutcome::Problem, "No radio could be asked: there is no port to try.",
                "Solve the problems above first."};
    }
    CollectedMessages messages;
    const ScopedUserMessages scope(messages);
    const ScopedRadioPort port(radioPort);
    NoBusyCursor cursor;
    RememberedStatusLine status;
    if (const auto version = firmwareVersionCommand(UserInterface{messages, cursor, status})) {
        return {CheckOutcome::Ok,
                "The radio on " + radioPort + " answers: firmware version " + *version + ".",
                {}};
    }
    return {CheckOutcome::Problem,
            "The radio on " + radioPort + " does not answer (" + messages.problems + ").",
            portProblems ? "Solve the problems above, then run kavrin-cli doctor again."
                         : "Switch the radio on, check that the cable sits firmly in the radio's "
                           "socket, and close any other program that uses the cable."};
}

} // namespace

int doctorCommand(Console& console, const Arguments& arguments) {
    const auto diagnosis = diagnosePorts(arguments.port.value_or(std::string{}));
    for (const auto& check : diagnosis.checks) {
        console.out << checkLine(check) << '\n';
    }
    const auto radio = radioCheck(diagnosis.radioPort, diagnosis.hasProblem());
    console.out << checkLine(radio) << '\n';
    return radio.outcome == CheckOutcome::Ok ? kExitOk : kExitFailed;
}

} // namespace kavrin::cli
