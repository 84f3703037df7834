// Hardware images: OpenGL textures made from frames, addressed by handle. DisplayThread only.
#pragma once

#include <cstdint>

namespace rt {

struct TextureImage {
  uint32_t texture = 0;              // OpenGL texture name
  int32_t width = 0, height = 0;     // image size
  int32_t textureWidth = 0, textureHeight = 0;  // allocated size (padded to powers of two)
};

// Power-of-two textures only (off by default): every image is padded.
extern bool powerOfTwoTexturesOnly;

// Creates a texture from width x height BGRA pixels and returns its handle (1 and up), or 0
// when no texture could be made. Falls back to a padded power-of-two texture, then to mipmaps.
int32_t createTextureImage(int32_t width, int32_t height, const uint32_t* pixels, int32_t flags);

// The image of a handle, or nullptr when the handle has no entry.
const TextureImage* textureImage(int32_t handle);

// Deletes the texture and frees the handle.
void deleteTextureImage(int32_t handle);

}  // namespace rt
