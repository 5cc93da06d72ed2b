#pragma once

// What the GL tests observe besides pixels: binding queries and call counts.

#include <GL/glew.h>
#include <type_traits>

// The name bound at a binding point (GL_ARRAY_BUFFER_BINDING and the like), or any other
// single integer state.
inline GLuint boundName(GLenum binding)
{
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return GLuint(name);
}

// Counts the real calls of a GL entry point that GLEW routes through a pointer, such as
// glUseProgram or glBindVertexArray, while alive: CallCounter<glUseProgram> counter;
// The caches in gl/ promise to skip redundant calls, which only GL's side can show.
template <auto& entry>
struct CallCounter {
    static inline int calls = 0;
    static inline std::remove_reference_t<decltype(entry)> real = nullptr;

    template <typename... Arguments>
    static void GLAPIENTRY counting(Arguments... arguments)
    {
        ++calls;
        real(arguments...);
    }

    CallCounter()
    {
        calls = 0;
        real = entry;
        entry = counting;
    }
    ~CallCounter() { entry = real; }
};
