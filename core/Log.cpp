#include "core/Log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/MessageBox.h"

const char* const Log::FileName = "error_log.txt";

namespace {

std::string* captureSink = nullptr;
void (*captureListener)(void* context) = nullptr;
void* captureContext = nullptr;

}  // namespace

void Log::Capture(std::string* sink, void (*listener)(void* context), void* context) {
    captureSink = sink;
    captureListener = sink != nullptr ? listener : nullptr;
    captureContext = context;
}

void Log::Start() {
    // Created empty at every start; a file that cannot be created changes nothing else.
    if (FILE* file = std::fopen(FileName, "wb")) {
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
    if (captureSink != nullptr) {
        captureSink->append(text);
        if (captureListener != nullptr) {
            captureListener(captureContext);
        }
        return;
    }
    // Opened per call: the log keeps no handle and no state between calls.
    // In binary mode, so that its lines end alike on every system.
    FILE* file = std::fopen(FileName, "ab");
    if (file == nullptr) {
        return;
    }
    std::fputs(text, file);
    std::fclose(file);
}

void Log::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int size = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    std::vsnprintf(&text[0], text.size() + 1, format, args);
    va_end(args);
    Write(text.c_str());
}

void ShowEngineError(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    MessageBoxA(nullptr, text, "Engine Error", MB_OK);
}
