// The text of a shader layer: the author's fragment shader as read from its
// file, completed into a program the driver compiles, and the driver's
// complaints turned back into lines of the author's file.
//
// Two entry styles are told apart by the source. A Shadertoy shader defines
// mainImage(out vec4, in vec2) and declares nothing; a live-coding shader
// defines main() writing out_color and usually brings its own #version line
// and uniform block. Whatever a style expects and the file does not declare
// itself is added in front of it, and #line directives keep the driver
// counting the author's lines, so an error names the line the author sees.
#ifndef HALVENOR_FX2D_SHADERSOURCE_H
#define HALVENOR_FX2D_SHADERSOURCE_H

#include <cstddef>
#include <string>
#include <vector>

class ShaderSource {
public:
    // A shader is a page of text; a larger file is a mistake (a picture or a
    // video named by accident), refused before it reaches the driver.
    static constexpr size_t kMaxBytes = 1024 * 1024;

    enum class Style { None, Shadertoy, LiveCoding };

    // Reads the file through the path rules. False, with Errors() saying
    // why, when it cannot be read, is too large or has no entry point.
    bool Load(const char* fileName);
    // The same from text already in memory (name is used in messages).
    bool Parse(const std::string& name, const std::string& text);

    Style GetStyle() const { return style; }
    const std::string& FileName() const { return fileName; }
    // The fragment program to compile, and the vertex program that goes with
    // it (it hands the layer's pixel position and alpha over).
    const std::string& Fragment() const { return fragment; }
    static const char* Vertex();

    // Lines "file:LINE: error: text" for each complaint of a compile or link
    // log; a complaint without a line gets "file: error: text".
    std::vector<std::string> AuthorMessages(const std::string& driverLog) const;

    const std::vector<std::string>& Errors() const { return errors; }

    // Whether the author's text declares name itself (uniform, in or out).
    static bool Declares(const std::string& text, const std::string& name);

    // The float uniforms the author's text declares itself ("uniform float
    // level;", "uniform highp float a, b;"), without the ones either style
    // gives: a show's sync tracks set them (ShaderLayer::FloatUniform).
    static std::vector<std::string> OwnFloatUniforms(const std::string& text);
    // Those of the text last parsed.
    const std::vector<std::string>& OwnFloats() const { return ownFloats; }

private:
    void Build(const std::string& text);
    std::string Prelude(const std::string& text) const;

    std::string fileName;
    Style style = Style::None;
    std::string fragment;
    std::vector<std::string> errors;
    std::vector<std::string> ownFloats;
    int entryLine = 1;
};

#endif
