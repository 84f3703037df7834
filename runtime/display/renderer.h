// The renderer: freeglut callbacks on DisplayThread that show the newest frame.
//
// redisplayTick runs whenever another thread wakes the window's thread (wakePresenter): it
// applies a changed title and asks for a redisplay. renderDisplay takes the newest Ready frame
// from the FrameRing, keeps the window at the frame's size, uploads the frame as a texture when
// it is new and draws it as one textured rectangle, then swaps buffers. A redraw happens only for
// a new frame, a reshape, an expose or a full-screen change, and an idle screen wakes nobody.
#pragma once

namespace rt {

void renderDisplay();
void redisplayTick(int value);
void onWindowReshape(int width, int height);

}  // namespace rt
