#include "runtime/display/gl_draw.h"

#include <GL/glew.h>

#include <cmath>
#include <utility>
#include <vector>

#include "runtime/display/texture_image.h"
#include "runtime/display/window_state.h"

namespace rt {
namespace {

// OpenGL state as last set, so that only changes reach the driver.
struct GlStateCache {
  int32_t renderMode = 0;
  GLuint texture = 0;
  int filter = -1;  // -1 unknown, else 0 nearest / 1 linear (per bound texture)
  int blend = -1;
  bool fixedStateSet = false;
};

GlStateCache cache;
std::vector<GLint> vertices;     // x, y pairs in window pixels
std::vector<GLfloat> texCoords;  // u, v pairs

void setUpWindowProjection() {
  const WindowState& w = windowState();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w.clientWidth, 0, w.clientHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // Origin at the top-left, y growing downwards.
  glScalef(1, -1, 1);
  glTranslatef(0, static_cast<GLfloat>(-w.clientHeight), 0);
  glViewport(0, 0, w.clientWidth, w.clientHeight);
}

void setFixedState() {
  if (cache.fixedStateSet) return;
  glDisable(GL_DEPTH_TEST);
  glAlphaFunc(GL_ALWAYS, 0);
  glDisable(GL_CULL_FACE);
  glEnable(GL_TEXTURE_2D);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  cache.fixedStateSet = true;
}

void bindTexture(const TextureImage& image, bool smooth, bool blend) {
  if (cache.texture != image.texture) {
    flushDrawBatch();
    glBindTexture(GL_TEXTURE_2D, image.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    cache.texture = image.texture;
    cache.filter = -1;
  }
  int filter = smooth ? 1 : 0;
  if (cache.filter != filter) {
    flushDrawBatch();
    GLint mode = smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mode);
    cache.filter = filter;
  }
  int blending = blend ? 1 : 0;
  if (cache.blend != blending) {
    flushDrawBatch();
    if (blend) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
      glDisable(GL_BLEND);
    }
    cache.blend = blending;
  }
}

void appendQuad(int32_t left, int32_t top, int32_t right, int32_t bottom, GLfloat u0, GLfloat v0,
                GLfloat u1, GLfloat v1) {
  // Two triangles covering pixels left..right and top..bottom inclusive.
  const GLint x0 = left, y0 = top, x1 = right + 1, y1 = bottom + 1;
  const GLint quad[12] = {x0, y0, x1, y0, x1, y1, x0, y0, x1, y1, x0, y1};
  const GLfloat uv[12] = {u0, v0, u1, v0, u1, v1, u0, v0, u1, v1, u0, v1};
  if (vertices.size() + 12 > vertices.capacity()) {
    vertices.reserve(vertices.capacity() * 2 + 12);
    texCoords.reserve(texCoords.capacity() * 2 + 12);
  }
  vertices.insert(vertices.end(), quad, quad + 12);
  texCoords.insert(texCoords.end(), uv, uv + 12);
}

void queueRect(int32_t left, int32_t top, int32_t right, int32_t bottom, const TextureImage& image,
               int32_t srcLeft, int32_t srcTop, int32_t srcRight, int32_t srcBottom, bool blend,
               bool smooth) {
  setRenderMode(1);
  setFixedState();
  bindTexture(image, smooth, blend);
  const GLfloat tw = static_cast<GLfloat>(image.textureWidth);
  const GLfloat th = static_cast<GLfloat>(image.textureHeight);
  appendQuad(left, top, right, bottom, (static_cast<GLfloat>(srcLeft) + 0.01f) / tw,
             (static_cast<GLfloat>(srcTop) + 0.01f) / th, (static_cast<GLfloat>(srcRight) + 0.99f) / tw,
             (static_cast<GLfloat>(srcBottom) + 0.99f) / th);
}

}  // namespace

void setRenderMode(int32_t mode) {
  if (cache.renderMode == mode) return;
  flushDrawBatch();
  cache.renderMode = mode;
  if (mode == 1) setUpWindowProjection();
}

void drawTexturedRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                      const TextureImage& image, int32_t target, int32_t srcLeft, int32_t srcTop,
                      int32_t srcRight, int32_t srcBottom, bool blend, bool smooth) {
  (void)target;  // only the window is drawn into
  if (left > right) std::swap(left, right), std::swap(srcLeft, srcRight);
  if (top > bottom) std::swap(top, bottom), std::swap(srcTop, srcBottom);
  const ViewMapping& m = windowState().mapping;
  int32_t mappedLeft = static_cast<int32_t>(std::lround(static_cast<double>(left) * m.scaleX)) + m.left;
  int32_t mappedTop = static_cast<int32_t>(std::lround(static_cast<double>(top) * m.scaleY)) + m.top;
  int32_t width = static_cast<int32_t>(static_cast<double>(right - left + 1) * m.scaleX + 0.99);
  int32_t height = static_cast<int32_t>(static_cast<double>(bottom - top + 1) * m.scaleY + 0.99);
  queueRect(mappedLeft, mappedTop, mappedLeft + width - 1, mappedTop + height - 1, image, srcLeft,
            srcTop, srcRight, srcBottom, blend, smooth);
}

void drawWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom,
                    const TextureImage& image) {
  queueRect(left, top, right, bottom, image, 0, 0, image.width - 1, image.height - 1, false, false);
}

void forgetBoundTexture() {
  flushDrawBatch();
  cache.texture = 0;
  cache.filter = -1;
}

void flushDrawBatch() {
  if (vertices.empty()) return;
  glVertexPointer(2, GL_INT, 8, vertices.data());
  glTexCoordPointer(2, GL_FLOAT, 8, texCoords.data());
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / 2));
  vertices.clear();
  texCoords.clear();
}

}  // namespace rt
