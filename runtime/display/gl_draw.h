// Drawing textured rectangles into the window: the 2D projection, cached OpenGL state and a
// batch of triangles flushed in one draw call. DisplayThread only.
#pragma once

#include <cstdint>

namespace rt {

struct TextureImage;

// 0 none (set up again before the next rectangle), 1 the window's 2D projection.
void setRenderMode(int32_t mode);

// Queues a rectangle of `image` (source pixels srcLeft..srcRight, srcTop..srcBottom) drawn at
// destination pixels left..right, top..bottom of the frame, mapped through the view mapping.
// Target 0 is the window (the only target here).
void drawTexturedRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const TextureImage& image, int32_t target, int32_t srcLeft, int32_t srcTop,
                      int32_t srcRight, int32_t srcBottom, bool blend, bool smooth);

// Queues the whole of `image` stretched over window pixels, unmapped (bars, the menu strip).
void drawWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                    const TextureImage& image);

// Forgets the cached texture binding: texture names are reused after deletion, and creating
// a texture binds it behind the cache's back.
void forgetBoundTexture();

// Issues the queued triangles.
void flushDrawBatch();

}  // namespace rt
