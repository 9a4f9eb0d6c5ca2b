// A show's shader files compiled as the player will compile them, for the
// show checker: each complaint of the driver comes back as a finding on a
// line of the author's file. Uses the current OpenGL context (the editing
// player's window) or, in a tool without one, a context without a window.
#ifndef HALVENOR_FX2D_SHADERCHECK_H
#define HALVENOR_FX2D_SHADERCHECK_H

#include <string>
#include <vector>

class ShaderCheck {
public:
    struct Finding {
        bool error;
        // 0 when the finding is about the whole file.
        int line;
        std::string text;
    };

    // Findings of the file; none when it compiles. A machine that cannot
    // compile (no display for the context) gives one warning saying why.
    static std::vector<Finding> Check(const char* fileName);
};

#endif
