#include "core/Log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/MessageBox.h"

const char* const Log::FileName = "error_log.txt";

void Log::Start() {
    // Created empty at every start; a file that cannot be created changes nothing else.
    if (FILE* file = std::fopen(FileName, "w")) {
        std::fclose(file);
    }
    Write("Halvenor Engine -- motor de demos en tiempo real\n");
    Write("-> Inicializado sistema de LOG: [OK]\n");
    Write("===> Sistema inicializado.\n");
}

void Log::Write(const char* text) {
    if (text == nullptr) {
        return;
    }
    // Opened per call: the log keeps no handle and no state between calls.
    FILE* file = std::fopen(FileName, "a");
    if (file == nullptr) {
        return;
    }
    std::fputs(text, file);
    std::fclose(file);
}

void ShowEngineError(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(nullptr, text, "Engine Error", MB_OK);
}
