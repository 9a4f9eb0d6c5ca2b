#include "tests/support/AuthorRun.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include "core/Application.h"
#include "core/Display.h"
#include "core/Engine.h"
#include "glext/GlExtensions.h"
#include "platform/Bass.h"
#include "platform/Clock.h"

namespace TestSupport {

bool AuthorRun::FrameComposed(Engine& engine) {
    const bool goesOn = mode.FrameComposed(engine);
    const Picture picture = ReadWindow();
    const bool more = onFrame(frame++, picture);
    return goesOn && more;
}

int AuthorRun::Run() {
    // As in the console's loop test: Mesa's driver, unloaded when the window
    // closes, would take its own memory's origin with it before the leak
    // checker runs; kept loaded it is still told apart.
    dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    AuthorMode::UseAuthorTime();
    const int status = Application::Run(*this);
    Platform::UseClockPosition(false);
    Platform::UseVirtualClock(false);
    // The player keeps its display for the whole process; the next show of
    // this process opens its own.
    if (shownEngine != nullptr) {
        delete shownEngine->display;
        shownEngine->display = nullptr;
    }
    return status;
}

Picture ReadWindow() {
    const SDL_Surface* window = SDL_GetVideoSurface();
    Picture picture;
    picture.width = window != nullptr ? window->w : 0;
    picture.height = window != nullptr ? window->h : 0;
    std::vector<uint8_t> rows(static_cast<size_t>(picture.width) * picture.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    picture.rgb.resize(rows.size());
    const size_t rowBytes = static_cast<size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(&picture.rgb[static_cast<size_t>(y) * rowBytes],
                    &rows[static_cast<size_t>(picture.height - 1 - y) * rowBytes], rowBytes);
    }
    return picture;
}

}  // namespace TestSupport
