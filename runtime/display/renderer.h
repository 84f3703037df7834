// The renderer: freeglut callbacks on DisplayThread that show the newest frame.
//
// redisplayTick asks for a redisplay about every 16 ms; renderDisplay takes the newest Ready
// frame from the FrameRing, keeps the window at the frame's size, uploads the frame as a texture
// when it is new and draws it as one textured rectangle, then swaps buffers. A redraw happens
// only after a builder pass (or a reshape or full-screen change), so an idle screen costs one
// cheap redraw per pass and no texture upload.
#pragma once

namespace rt {

void renderDisplay();
void redisplayTick(int value);
void onWindowReshape(int width, int height);

}  // namespace rt
