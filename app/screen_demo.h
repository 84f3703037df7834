// The executable's main program until the spot plotter exists: a screen check that selects
// the 640 x 480 16-colour mode, sets a few palette entries and draws with writePixel.
#pragma once

namespace app {

// ProgramThread; ends through endProgram when Escape is pressed.
void screenDemo();

// Draws the demo picture into the write surface (16 colour bars, a frame and a diagonal).
void drawDemoPicture();

}  // namespace app
