// The engine's progress and error journal, error_log.txt in the working
// directory. Start creates the file empty and writes the banner; Write appends
// one already formatted text, unchanged, and flushes it at once so that a crash
// keeps everything written before it.
#ifndef HALVENOR_CORE_LOG_H
#define HALVENOR_CORE_LOG_H

#include <string>

// The formats are checked as the C library the engine links reads them: GCC's
// plain "printf" means Microsoft's runtime when building for Windows, which
// knows no %zu, while the programs format through the C99 printf that the
// GNU toolchain links there too. Clang knows only the plain name.
#if defined(__clang__)
#define HALVENOR_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((__format__(__printf__, formatIndex, firstArgument)))
#else
#define HALVENOR_PRINTF_FORMAT(formatIndex, firstArgument) \
    __attribute__((__format__(gnu_printf, formatIndex, firstArgument)))
#endif

class Log {
public:
    static void Start();
    static void Write(const char* text);
    // Formats printf-style, whatever the length, and writes the result.
    static void Format(const char* format, ...) HALVENOR_PRINTF_FORMAT(1, 2);

    // While a sink is set, texts are appended to it instead of the file:
    // tools that read a show with the engine's readers keep the show's
    // directory untouched. Null writes to the file again. The listener, if
    // any, is called after each text reaches the sink, while the reader that
    // wrote it is still where it was: the checker points a reader's warning
    // at its line.
    static void Capture(std::string* sink, void (*listener)(void* context) = nullptr, void* context = nullptr);

    static const char* const FileName;
};

// The engine's general error box: printf-style text, caption "Engine Error".
void ShowEngineError(const char* format, ...);

#endif
