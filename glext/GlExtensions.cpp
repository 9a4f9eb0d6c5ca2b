#include "glext/GlExtensions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Wgl.h"

PFNGLACTIVETEXTUREARBPROC halvenorActiveTextureARB = nullptr;
PFNGLMULTITEXCOORD2FARBPROC halvenorMultiTexCoord2fARB = nullptr;

namespace {

// Never destroyed: the registry's release at exit runs among the static
// destructors, in an order between files that nothing fixes, and what it may
// meet is never gone before it.
std::string& missingNames = *new std::string;

// The loader's own allocations end the process when memory runs out.
char* CopyOrDie(const char* text, const char* file, int line) {
    char* copy = static_cast<char*>(std::malloc(std::strlen(text) + 1));
    if (copy == nullptr) {
        std::printf("Error allocating memory in file %s, line %d\n", file, line);
        std::fflush(stdout);
        std::exit(-1);
    }
    std::strcpy(copy, text);
    return copy;
}

bool ListHas(const char* list, const char* word, size_t length) {
    if (list == nullptr || length == 0) {
        return false;
    }
    for (const char* at = std::strstr(list, word); at != nullptr; at = std::strstr(at + 1, word)) {
        const bool startsWord = at == list || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == '\0';
        if (startsWord && endsWord && std::strncmp(at, word, length) == 0) {
            return true;
        }
    }
    return false;
}

bool ResolveEntryPoints(const char* extension) {
    if (std::strcmp(extension, "GL_ARB_multitexture") == 0) {
        halvenorActiveTextureARB =
            reinterpret_cast<PFNGLACTIVETEXTUREARBPROC>(Platform::GetProcAddress("glActiveTextureARB"));
        halvenorMultiTexCoord2fARB =
            reinterpret_cast<PFNGLMULTITEXCOORD2FARBPROC>(Platform::GetProcAddress("glMultiTexCoord2fARB"));
        return halvenorActiveTextureARB != nullptr && halvenorMultiTexCoord2fARB != nullptr;
    }
    if (std::strcmp(extension, "WGL_ARB_pbuffer") == 0 || std::strcmp(extension, "WGL_ARB_pixel_format") == 0) {
        return Platform::ResolvePbufferEntryPoints();
    }
    return true;
}

}  // namespace

bool InitExtensions(const char* required) {
    if (required == nullptr) {
        return false;
    }
    const char* glNames = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* wglNames = Platform::WglExtensionsString();
    char* list = CopyOrDie(required, __FILE__, __LINE__);
    bool allPresent = true;
    missingNames.clear();
    for (char* word = std::strtok(list, " "); word != nullptr; word = std::strtok(nullptr, " ")) {
        const size_t length = std::strlen(word);
        const bool present = ListHas(glNames, word, length) || ListHas(wglNames, word, length);
        if (!present || !ResolveEntryPoints(word)) {
            allPresent = false;
            missingNames += missingNames.empty() ? word : std::string(" ") + word;
        }
    }
    std::free(list);
    return allPresent;
}

const char* MissingExtensions() { return missingNames.c_str(); }
