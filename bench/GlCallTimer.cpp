#include "GlCallTimer.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <chrono>
#include <dlfcn.h>

double GlCallTimer::seconds = 0.0;
int64_t GlCallTimer::calls = 0;
int64_t GlCallTimer::drawCalls = 0;
int64_t GlCallTimer::textureBinds = 0;

void GlCallTimer::reset() {
    seconds = 0.0;
    calls = drawCalls = textureBinds = 0;
}

namespace {

struct Timed {
    Timed() : start(std::chrono::steady_clock::now()) {}
    ~Timed() {
        GlCallTimer::seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++GlCallTimer::calls;
    }
    std::chrono::steady_clock::time_point start;
};

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

// The library's function of the same name, timed.
#define TIMED(ret, name, params, args)                                  \
    extern "C" ret name params {                                        \
        static auto next = real<ret(*) params>(#name);                  \
        Timed timed;                                                    \
        return next args;                                               \
    }

TIMED(void, glTexEnvi, (GLenum t, GLenum p, GLint v), (t, p, v))
TIMED(void, glTexEnvf, (GLenum t, GLenum p, GLfloat v), (t, p, v))
TIMED(void, glLoadMatrixf, (const GLfloat* m), (m))
TIMED(void, glMultMatrixf, (const GLfloat* m), (m))
TIMED(void, glLoadIdentity, (void), ())
TIMED(void, glMatrixMode, (GLenum m), (m))
TIMED(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
TIMED(void, glFrustum, (GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f), (l, r, b, t, n, f))
TIMED(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
TIMED(GLboolean, glIsTexture, (GLuint t), (t))
TIMED(void, glInterleavedArrays, (GLenum f, GLsizei s, const GLvoid* p), (f, s, p))
TIMED(void, glEnable, (GLenum c), (c))
TIMED(void, glDisable, (GLenum c), (c))
TIMED(void, glBlendFunc, (GLenum s, GLenum d), (s, d))
TIMED(void, glAlphaFunc, (GLenum f, GLclampf r), (f, r))
TIMED(void, glColor3f, (GLfloat r, GLfloat g, GLfloat b), (r, g, b))
TIMED(void, glClear, (GLbitfield m), (m))
TIMED(void, glClearColor, (GLclampf r, GLclampf g, GLclampf b, GLclampf a), (r, g, b, a))
TIMED(GLenum, glGetError, (void), ())
TIMED(void, glFlush, (void), ())
TIMED(void, SDL_GL_SwapBuffers, (void), ())

extern "C" void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    static auto next = real<void (*)(GLenum, GLint, GLsizei)>("glDrawArrays");
    Timed timed;
    ++GlCallTimer::drawCalls;
    next(mode, first, count);
}

extern "C" void glBindTexture(GLenum target, GLuint texture) {
    static auto next = real<void (*)(GLenum, GLuint)>("glBindTexture");
    Timed timed;
    ++GlCallTimer::textureBinds;
    next(target, texture);
}
