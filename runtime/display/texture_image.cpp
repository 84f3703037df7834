#include "runtime/display/texture_image.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <string>
#include <vector>

#include "runtime/display/gl_draw.h"
#include "runtime/platform/message_box.h"

namespace rt {

bool powerOfTwoTexturesOnly = false;

namespace {

std::vector<TextureImage> images(1);  // handle 0 is never used
std::vector<int32_t> freeHandles;

int32_t nextPowerOfTwo(int32_t n) {
  int32_t p = 1;
  while (p < n) p <<= 1;
  return p;
}

bool upload(int32_t width, int32_t height, const uint32_t* pixels) {
  while (glGetError() != GL_NO_ERROR) {
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
  return glGetError() == GL_NO_ERROR;
}

// Copies the image into the top-left of a power-of-two buffer and uploads that.
bool uploadPadded(TextureImage& image, const uint32_t* pixels) {
  int32_t w = nextPowerOfTwo(image.width), h = nextPowerOfTwo(image.height);
  std::vector<uint32_t> padded(static_cast<size_t>(w) * h, 0);
  for (int32_t y = 0; y < image.height; ++y) {
    const uint32_t* from = pixels + static_cast<size_t>(y) * image.width;
    std::copy(from, from + image.width, padded.begin() + static_cast<ptrdiff_t>(y) * w);
  }
  if (!upload(w, h, padded.data())) return false;
  image.textureWidth = w;
  image.textureHeight = h;
  return true;
}

int32_t storeImage(const TextureImage& image) {
  if (!freeHandles.empty()) {
    int32_t handle = freeHandles.back();
    freeHandles.pop_back();
    images[static_cast<size_t>(handle)] = image;
    return handle;
  }
  images.push_back(image);
  return static_cast<int32_t>(images.size() - 1);
}

}  // namespace

int32_t createTextureImage(int32_t width, int32_t height, const uint32_t* pixels, int32_t flags) {
  (void)flags;  // only immediate upload is used
  forgetBoundTexture();
  TextureImage image;
  image.width = image.textureWidth = width;
  image.height = image.textureHeight = height;
  glGenTextures(1, &image.texture);
  glBindTexture(GL_TEXTURE_2D, image.texture);
  bool ok = !powerOfTwoTexturesOnly && upload(width, height, pixels);
  if (!ok) ok = uploadPadded(image, pixels);
  if (!ok) {
    image.textureWidth = width;
    image.textureHeight = height;
    int result = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, width, height, GL_BGRA,
                                   GL_UNSIGNED_BYTE, pixels);
    if (result != 0) {
      showMessageBox("Error", "gluBuild2DMipmaps failed", MessageBoxButtons::Ok);
      showMessageBox("Error", std::to_string(glGetError()), MessageBoxButtons::Ok);
    }
  }
  return storeImage(image);
}

const TextureImage* textureImage(int32_t handle) {
  if (handle <= 0 || static_cast<size_t>(handle) >= images.size()) return nullptr;
  const TextureImage& image = images[static_cast<size_t>(handle)];
  return image.texture != 0 ? &image : nullptr;
}

void deleteTextureImage(int32_t handle) {
  if (textureImage(handle) == nullptr) return;
  forgetBoundTexture();
  TextureImage& image = images[static_cast<size_t>(handle)];
  glDeleteTextures(1, &image.texture);
  image = TextureImage{};
  freeHandles.push_back(handle);
}

}  // namespace rt
