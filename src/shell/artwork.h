// The program's own pictures, all drawn in code: toolbar images, the program icon, the form
// button faces and the two large pictures that the progress and radio setup screens load from
// "title.bmp" and "setup.bmp". Everything here needs a QGuiApplication (fonts and pixmaps).
#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

namespace kavrin::shell {

// Toolbar button images; commandIcon() draws them at exactly this size.
inline constexpr QSize kToolbarImageSize{22, 23};
// Sizes of the two screen pictures.
inline constexpr QSize kTitlePictureSize{446, 318};
inline constexpr QSize kSetupPictureSize{572, 554};
// Form button faces: pictogram and label on a transparent ground, small enough to sit inside
// the bevel of a 110 by 28 pixel push button.
inline constexpr QSize kButtonPictureSize{104, 24};

// Names accepted by buttonPicture().
inline constexpr const char* kPttToggleButton = "PTT Toggle";
inline constexpr const char* kProgramButton = "Program";
inline constexpr const char* kUpdateButton = "Update";

// The toolbar image of a command (data/command_ids.h): Load Archive File, Save Archive File, Read
// Radio Information and Softpots, Program All, Print and About. Any other id gives an empty icon.
QIcon commandIcon(int commandId);

// A handheld radio with its tuning knob, at 16, 32 and 64 pixels.
QIcon applicationIcon();
// The same drawing at `size` pixels square, with a transparent background (the desktop's icons).
QImage applicationIconImage(int size);

// The picture of the read/write progress screen, kTitlePictureSize.
QImage titlePicture();

// How to connect a radio to the PC, for the radio setup screen; kSetupPictureSize.
QImage setupPicture();

// The face of a form button, kButtonPictureSize: kPttToggleButton, kProgramButton or
// kUpdateButton. The label is part of the picture, so the button needs no text of its own.
// Any other name gives an empty icon.
QIcon buttonPicture(const QString& name);

} // namespace kavrin::shell
