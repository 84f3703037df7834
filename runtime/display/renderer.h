// The renderer: freeglut callbacks on DisplayThread that show the newest frame.
//
// redisplayTick asks for a redisplay about every 16 ms; renderDisplay takes the newest Ready
// frame from the FrameRing, keeps the window at the frame's size, uploads the frame as a texture
// when it is new and draws it as one textured rectangle, then swaps buffers. A redraw happens
// only for a new frame, a reshape, an expose or a full-screen change, so an idle screen costs
// nothing but the timer.
#pragma once

namespace rt {

void renderDisplay();
void redisplayTick(int value);
void onWindowReshape(int width, int height);

}  // namespace rt
